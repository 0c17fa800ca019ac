// Condiment tables: the ".con" records as the editor lists, stores and
// marks them.

#include "keyboard/condiment_editor.h"
#include "keyboard_fixture.h"
#include "program/update_list.h"

namespace tramond::test {
namespace {

class Condiments : public ::testing::Test {
protected:
    Condiments() {
        program.writeRecords(RecordKind::Condiment, 3, [](int n) { return "COND    " + std::to_string(n); });
        program.writeRecords(RecordKind::Plu, 5, [](int n) { return "SAUCE " + std::to_string(n); });
        auto plu = program.read(".plu");
        plu[1 * 137] = 0x02;  // PLUs 2 and 4 are condiments
        plu[3 * 137] = 0x03;
        writeFileAtomic(program.session.file(".plu"), plu);
        editor.activate();
    }
    std::vector<std::uint8_t> table(int t) const {
        const auto con = program.read(".con");
        return {con.begin() + (t - 1) * 140, con.begin() + t * 140};
    }
    static std::uint16_t entry(const std::vector<std::uint8_t>& r, int e) {
        return static_cast<std::uint16_t>(r[28 + 7 * e] | (r[29 + 7 * e] << 8));
    }

    KeyboardProgram program;
    ProgramKeyNames names{program.session.programPath, program.session.app};
    CondimentEditor editor{program.session, LanguageTexts::builtIn(), names, program.prompter};
};

TEST_F(Condiments, ListsTablesAndOnlyCondimentPlus) {
    ASSERT_EQ(editor.tables().size(), 3u);
    EXPECT_EQ(editor.tables()[2].name, "COND    3");
    ASSERT_EQ(editor.condimentPlus().size(), 2u);
    EXPECT_EQ(editor.condimentPlus()[0].number, 2);
    EXPECT_EQ(editor.condimentPlus()[1].name, "SAUCE 4");
    EXPECT_EQ(editor.current(), 1);
    EXPECT_EQ(editor.rows.size(), 1u);  // one empty row to fill
}

TEST_F(Condiments, StoresEntriesWithoutGapsAndMarksTheTable) {
    ASSERT_TRUE(editor.addPlu(0));
    ASSERT_TRUE(editor.addPlu(1));
    ASSERT_TRUE(editor.addPlu(0));
    editor.deleteRow(1);  // rows 1 and 3 are left
    editor.rows.push_back({"65535", ""});
    editor.rows.push_back({"abc", ""});
    editor.options = {true, false, true, false};
    editor.link = "7";
    editor.name = "SAUCES";
    ASSERT_TRUE(editor.chooseTable(2));  // choosing another table stores the one shown
    const auto r = table(1);
    EXPECT_EQ(entry(r, 0), 2);
    EXPECT_EQ(entry(r, 1), 2);
    EXPECT_EQ(r[28 + 14], 0xFF);
    EXPECT_EQ(r[28 + 15], 0xFF);
    EXPECT_EQ(entry(r, 3), 0);  // not a number: stored 0, so empty
    EXPECT_EQ(r[0], 0x05);
    EXPECT_EQ(r[27], 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[2])), "SAUCES");
    EXPECT_EQ(r[26], 0);
    EXPECT_EQ(program.session.updateList().lines(), std::vector<std::string>{"000004501"});
    // Unchanged tables are neither written nor marked.
    ASSERT_TRUE(editor.chooseTable(3));
    ASSERT_TRUE(editor.store());
    EXPECT_EQ(program.session.updateList().lines(), std::vector<std::string>{"000004501"});
    editor.addPlu(1);
    ASSERT_TRUE(editor.store());  // what the close box does
    EXPECT_EQ(entry(table(3), 0), 4);
    EXPECT_EQ(program.session.updateList().lines(), (std::vector<std::string>{"000004501", "000004503"}));
}

TEST_F(Condiments, RefusesAWrongLinkAndASeventeenthEntry) {
    editor.link = "256";
    const auto before = table(1);
    EXPECT_FALSE(editor.chooseTable(2));
    EXPECT_EQ(editor.current(), 1);
    EXPECT_EQ(table(1), before);
    EXPECT_EQ(program.prompter.messages.back(), "Error: Wrong Input!");
    editor.link = "255";
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(editor.addPlu(0));
    EXPECT_FALSE(editor.addPlu(1));
    EXPECT_EQ(program.prompter.messages.back(), "Error: List has max 16 Items!");
    EXPECT_EQ(editor.rows.size(), 16u);
    editor.deleteAll();
    EXPECT_EQ(editor.rows.size(), 1u);
    EXPECT_TRUE(editor.store());
    EXPECT_EQ(table(1)[27], 255);
}

TEST_F(Condiments, NamesOfEntriesAndMacroTables) {
    auto con = program.read(".con");
    con[140 + 28] = 9;  // table 2: PLU 9 (beyond the PLU count), PLU 4, PLU 65535
    con[140 + 35] = 4;
    con[140 + 42] = 0xFF;
    con[140 + 43] = 0xFF;
    con[2 * 140] = 0x10;  // table 3 is a macro: 2005, tender 1
    con[2 * 140 + 28] = 2005 & 0xFF;
    con[2 * 140 + 29] = 2005 >> 8;
    con[2 * 140 + 35] = 901 & 0xFF;
    con[2 * 140 + 36] = 901 >> 8;
    writeFileAtomic(program.session.file(".con"), con);
    program.writeRecords(RecordKind::Tender, 2, [](int) { return "CASH"; });
    ASSERT_TRUE(editor.chooseTable(2));
    ASSERT_EQ(editor.rows.size(), 3u);
    EXPECT_EQ(editor.rows[0].name, "");
    EXPECT_EQ(editor.rows[1].name, "SAUCE 4");
    EXPECT_EQ(editor.rows[2].value, "65535");
    EXPECT_EQ(editor.rows[2].name, "");
    ASSERT_TRUE(editor.chooseTable(3));
    EXPECT_TRUE(editor.macro());
    ASSERT_EQ(editor.rows.size(), 2u);
    EXPECT_EQ(editor.rows[0].name, "SubTotal");
    EXPECT_EQ(editor.rows[1].name, "CASH");
    ASSERT_TRUE(editor.addFunction(48));
    EXPECT_EQ(editor.rows.back().name, "0");
    editor.setMacro(false);
    EXPECT_TRUE(editor.rows.back().value.empty());
}

}  // namespace
}  // namespace tramond::test
