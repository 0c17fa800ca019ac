// Adding a key function: groups, their lists, the codes of choices, the
// entry shown first, and linking a PLU to a free modifier.

#include "keyboard/key_function_chooser.h"
#include "keyboard_fixture.h"

namespace tramond::test {
namespace {

class Chooser : public ::testing::Test {
protected:
    Chooser() {
        program.writeRecords(RecordKind::Tender, 8, [](int n) { return "CASH " + std::to_string(n); });
        program.writeRecords(RecordKind::Plu, 3, [](int n) { return "ITEM " + std::to_string(n); });
    }
    KeyFunctionChooser chooser() {
        return KeyFunctionChooser(program.session.app, LanguageTexts::builtIn(), names, nullptr,
                                  program.session.programPath);
    }
    KeyboardProgram program;
    ProgramKeyNames names{program.session.programPath, program.session.app};
};

TEST_F(Chooser, GroupsListsAndCodes) {
    auto c = chooser();
    auto groups = c.groups();
    ASSERT_EQ(groups.size(), 14u);
    EXPECT_EQ(groups.front(), "Fixed");
    EXPECT_EQ(groups[5], "Tender");
    EXPECT_EQ(groups.back(), "Condiments");
    const auto tenders = c.entries(5);
    ASSERT_EQ(tenders.lines.size(), 8u);
    EXPECT_EQ(tenders.lines[2], "3  CASH 3");
    EXPECT_FALSE(tenders.message);
    EXPECT_EQ(c.choose(5, 2).code, 903);
    EXPECT_EQ(c.entries(0).lines.size(), 95u);

    program.session.app.setU16(kindInfo(RecordKind::Clerk).countOffset, 0);
    const auto clerks = c.entries(10);
    EXPECT_TRUE(clerks.lines.empty());
    EXPECT_EQ(clerks.message, (KeyMessage{"Application Error", "Not Available with this Application !!"}));
    program.session.app.setU16(kindInfo(RecordKind::Drawer).countOffset, 4);  // no ".drw" file
    EXPECT_EQ(c.entries(3).message, (KeyMessage{"Error", "Error opening File !!"}));

    const auto fixed = fixedFunctions();
    const int pl = static_cast<int>(
        std::find_if(fixed.begin(), fixed.end(), [](const auto& f) { return f.code == 2011; }) - fixed.begin());
    program.session.app.set(appblock::kPluPriceLevels, 3);
    const auto ask = c.choose(0, pl);
    EXPECT_FALSE(ask.code);
    EXPECT_EQ(ask.levelMaximum, 3);
    EXPECT_EQ(c.codeWithLevel(pl, 2), 2012);
    EXPECT_EQ(c.codeWithLevel(pl, 0), std::nullopt);
    EXPECT_EQ(c.codeWithLevel(pl, 4), std::nullopt);

    program.session.app.setOption(26, 5, true);
    groups = c.groups();
    ASSERT_EQ(groups.size(), 15u);
    EXPECT_EQ(groups.back(), "Modifier as PLU#");
    EXPECT_EQ(c.entries(KeyFunctionChooser::kModifierAsPluGroup).lines.size(), 3u);
}

TEST(ChooserMemory, TheEntryAfterTheLastChoiceComesFirst) {
    EXPECT_EQ(KeyFunctionChooser::initialEntry({5, 2}, 5, 8), 3);
    EXPECT_EQ(KeyFunctionChooser::initialEntry({5, 7}, 5, 8), 0);
    EXPECT_EQ(KeyFunctionChooser::initialEntry({0, 0}, 0, 95), 0);
    EXPECT_EQ(KeyFunctionChooser::initialEntry({0, 4}, 0, 95), 5);
    EXPECT_EQ(KeyFunctionChooser::initialEntry({5, 2}, 6, 8), 0);
    EXPECT_EQ(KeyFunctionChooser::initialEntry({5, 2}, 5, 0), -1);
}

TEST_F(Chooser, LinkingAPluToTheFirstFreeModifier) {
    program.writeRecords(RecordKind::Modifier, 3, [](int n) { return n == 2 ? std::string("%77") : n == 1 ? "Modi 1" : "ADDI 3"; });
    program.session.app.setU8(kindInfo(RecordKind::Modifier).descriptorLengthOffset, 24);
    program.session.app.set(appblock::kPluRandomCodeSize, 3);
    auto plu = program.read(".plu");
    plu[137 + 2] = 0x56;  // PLU 2: 123456
    plu[137 + 3] = 0x34;
    plu[137 + 4] = 0x12;
    writeFileAtomic(program.session.file(".plu"), plu);
    auto c = chooser();
    auto link = c.linkModifier(1);
    EXPECT_EQ(link.code, 1001);
    EXPECT_EQ(link.changeCode, 1001u);
    const auto mod = program.read(".mod");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&mod[3])), "%123456");
    EXPECT_EQ(c.linkModifier(1).code, 1003);
    link = c.linkModifier(1);
    EXPECT_FALSE(link.code);
    EXPECT_EQ(link.message->text, "Cannot make link with modifier, \r\nthere are no empty records!");
    EXPECT_EQ(c.linkModifier(0).message->text, "Error in Plu file!");  // PLU 1 has no number
    program.session.app.set(appblock::kPluRandomCodeSize, 13);
    EXPECT_EQ(c.linkModifier(1).message->text, "Modifier caption is smaller than Plu randomsize");
}

TEST_F(Chooser, PluKeysByCodeAreNamedThroughTheListOrder) {
    // Codes 2, 5, 1: the register's PLUs 1, 2, 3 are records 3, 1, 2.
    program.session.app.set(appblock::kPluRandomCodeSize, 1);
    auto plu = program.read(".plu");
    for (auto [record, code] : {std::pair{1, 2}, {2, 5}, {3, 1}}) plu[137 * (record - 1) + 2] = static_cast<std::uint8_t>(code);
    writeFileAtomic(program.session.file(".plu"), plu);
    KeyCaptions captions(program.session.app, LanguageTexts::builtIn(), names);
    EXPECT_EQ(captions.caption(10001), "ITEM 3");
    EXPECT_EQ(captions.caption(10003), "ITEM 2");
    EXPECT_EQ(captions.caption(10004), "");
}

}  // namespace
}  // namespace tramond::test
