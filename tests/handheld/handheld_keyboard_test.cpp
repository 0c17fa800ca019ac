// The handheld keyboard: the fourteen key codes in the register
// configuration file, choosing them from the handheld's groups, and OK.

#include "handheld/handheld_keyboard.h"

#include <algorithm>

#include "handheld/handheld_program.h"
#include "program/default_records.h"

namespace tramond::test {
namespace {

class HandheldKeys : public ::testing::Test {
protected:
    HandheldKeys() {
        writeHandheldRecords(program);
        program.writeRecords(RecordKind::PoRa, 2, [](int n) { return "PAID OUT " + std::to_string(n); });
        program.writeRecords(RecordKind::Modifier, 2, [](int n) { return "MOD " + std::to_string(n); });
    }
    std::filesystem::path chk() const { return program.session.file(".chk"); }
    std::unique_ptr<HandheldKeyboard> keyboard(PluLines* pluLines = nullptr) {
        auto k = std::make_unique<HandheldKeyboard>(program.session, LanguageTexts::builtIn(), names,
                                                    program.prompter, pluLines);
        opened = k->open();
        return k;
    }
    static int fixedIndex(std::uint16_t code) {
        const auto f = fixedFunctions();
        return static_cast<int>(std::find_if(f.begin(), f.end(), [&](const auto& x) { return x.code == code; }) -
                                f.begin());
    }

    KeyboardProgram program;
    ProgramKeyNames names{program.session.programPath, program.session.app};
    bool opened = false;
};

TEST_F(HandheldKeys, MissingFileIsReportedCreatedAndShowsTheDefaultCodes) {
    ASSERT_FALSE(std::filesystem::exists(chk()));
    const auto kb = keyboard();
    ASSERT_TRUE(opened);
    EXPECT_EQ(program.prompter.messages, std::vector<std::string>{"Error: Error opening File !!"});
    EXPECT_EQ(program.read(".chk").size(), kCheckFileSize);
    const std::uint16_t defaults[kHandheldKeys] = {306,  307,  701,  705,  702,   2030, 5001,
                                                   5002, 5003, 5004, 5005, 10000, 901,  1000};
    for (int k = 1; k <= kHandheldKeys; ++k) EXPECT_EQ(kb->code(k), defaults[k - 1]) << "key " << k;
    EXPECT_EQ(kb->caption(1), "VOID 6");
    EXPECT_EQ(kb->caption(6), "List");
    EXPECT_EQ(kb->caption(8), "DEPT 2");
    EXPECT_EQ(kb->caption(12), "PLU");
    EXPECT_FALSE(kb->changed());
}

TEST_F(HandheldKeys, AChosenFunctionIsStoredLittleEndianAtItsKeyAndMarksBlock111OnOk) {
    RegisterConfigFile::of(program.session.programPath).ensure();
    auto before = program.read(".chk");
    const auto kb = keyboard();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(program.prompter.messages.empty());

    // Handheld groups: no drawers, no clerks.
    const auto groups = kb->groups();
    EXPECT_EQ(groups, (std::vector<std::string>{"Fixed", "Correction", "Discount", "PoRa", "Tender", "Currency",
                                                "Prev.Bal.", "Department", "PLU", "Modifier", "Salespers.",
                                                "Condiments"}));
    EXPECT_EQ(kb->choose(7, 6), 0) << "nothing selected: nothing chosen";
    EXPECT_EQ(kb->code(3), 701);

    kb->select(3);
    ASSERT_EQ(kb->entries(7).size(), 9u);
    EXPECT_EQ(kb->choose(7, 6), 0);
    EXPECT_FALSE(kb->selected());
    EXPECT_EQ(kb->code(3), 5007);
    EXPECT_EQ(kb->caption(3), "DEPT 7");

    kb->select(1);
    EXPECT_EQ(kb->entries(3), (std::vector<std::string>{"1  PAID OUT 1", "2  PAID OUT 2"}));
    kb->choose(3, 1);
    EXPECT_EQ(kb->code(1), 802);
    kb->select(2);
    kb->choose(9, 0);
    EXPECT_EQ(kb->code(2), 1001);

    ASSERT_TRUE(kb->save());
    const auto after = program.read(".chk");
    before[0] = 0x22, before[1] = 0x03;  // 802
    before[2] = 0xE9, before[3] = 0x03;  // 1001
    before[4] = 0x8F, before[5] = 0x13;  // 5007
    EXPECT_EQ(after, before);
    EXPECT_EQ(program.session.updateList().lines(), std::vector<std::string>{"000000111"});
}

TEST_F(HandheldKeys, ClearCancelAndAnUnchangedOkWriteNothing) {
    RegisterConfigFile::of(program.session.programPath).ensure();
    const auto kb = keyboard();
    kb->select(5);
    kb->cancel();
    EXPECT_FALSE(kb->selected());
    EXPECT_EQ(kb->code(5), 702);
    kb->select(5);
    kb->clearKey();
    EXPECT_EQ(kb->code(5), 0);
    EXPECT_EQ(kb->caption(5), "");
    EXPECT_TRUE(kb->changed());
    // Giving the key its code back leaves nothing to write.
    kb->select(5);
    kb->choose(0, 0);  // the " 0 " key
    EXPECT_EQ(kb->code(5), 48);
    kb->select(5);
    kb->choose(6, 1);  // PB function 2
    EXPECT_EQ(kb->code(5), 702);
    EXPECT_FALSE(kb->changed());

    const auto time = std::filesystem::last_write_time(chk());
    std::filesystem::remove(program.session.file(".upd"));
    ASSERT_TRUE(kb->save());
    EXPECT_EQ(std::filesystem::last_write_time(chk()), time);
    EXPECT_FALSE(std::filesystem::exists(program.session.file(".upd")));
}

TEST_F(HandheldKeys, PriceLevelAsksForALevelAndRefusesOneOutOfRange) {
    RegisterConfigFile::of(program.session.programPath).ensure();
    program.session.app.set(appblock::kPluPriceLevels, 3);
    const auto kb = keyboard();
    const int pl = fixedIndex(2011);
    kb->select(4);
    EXPECT_EQ(kb->choose(0, pl), 3);
    EXPECT_EQ(kb->code(4), 705) << "no code before the level";
    EXPECT_FALSE(kb->chooseLevel(pl, 0));
    EXPECT_FALSE(kb->chooseLevel(pl, 4));
    EXPECT_EQ(program.prompter.messages,
              (std::vector<std::string>{"Error: Wrong Input!", "Error: Wrong Input!"}));
    EXPECT_EQ(kb->selected(), 4) << "a refused level keeps the key selected";
    EXPECT_EQ(kb->code(4), 705);
    EXPECT_TRUE(kb->chooseLevel(pl, 2));
    EXPECT_EQ(kb->code(4), 2012);
    EXPECT_EQ(kb->caption(4), "PL# 2") << "the key says its level, as the register keyboard does";
    EXPECT_FALSE(kb->selected());
}

TEST_F(HandheldKeys, EmptyKindsAndUnusableFilesAreReported) {
    RegisterConfigFile::of(program.session.programPath).ensure();
    program.session.app.setU16(kindInfo(RecordKind::Salesperson).countOffset, 0);
    auto kb = keyboard();
    kb->select(1);
    EXPECT_TRUE(kb->entries(10).empty());
    EXPECT_EQ(program.prompter.messages,
              std::vector<std::string>{"Application Error: Not Available with this Application !!"});
    EXPECT_EQ(kb->selected(), 1);

    // A ".chk" that cannot be made: the dialog has nothing to edit.
    std::filesystem::remove(chk());
    std::filesystem::create_directory(chk());
    program.prompter.messages.clear();
    kb = keyboard();
    EXPECT_FALSE(opened);
    ASSERT_FALSE(program.prompter.messages.empty());
    EXPECT_EQ(program.prompter.messages.front(), "Error: Error opening File !!");
}

// With PLUs addressed by code the register numbers PLUs by their place in
// the PLU list: the key must store that place and be named after the
// record there, not after the record of that number.
TEST_F(HandheldKeys, PlusByCodeAreChosenAndNamedByListPosition) {
    RegisterConfigFile::of(program.session.programPath).ensure();
    program.writeRecords(RecordKind::Plu, 3, [](int n) { return "ITEM " + std::to_string(n); });
    program.session.app.set(appblock::kPluRandomCodeSize, 3);
    struct ListOrder : PluLines {
        std::optional<std::vector<PluLine>> lines() override {
            return std::vector<PluLine>{{3, "000001 ITEM 3"}, {1, "000002 ITEM 1"}, {2, "000005 ITEM 2"}};
        }
    } list;
    names.setPluOrder({3, 1, 2});
    const auto kb = keyboard(&list);
    kb->select(2);
    EXPECT_EQ(kb->entries(8), (std::vector<std::string>{"000001 ITEM 3", "000002 ITEM 1", "000005 ITEM 2"}));
    kb->choose(8, 0);
    EXPECT_EQ(kb->code(2), 10001);
    EXPECT_EQ(kb->caption(2), "ITEM 3");
}

}  // namespace
}  // namespace tramond::test
