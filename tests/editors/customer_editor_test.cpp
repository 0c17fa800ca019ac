// The customer file: created when missing, written on every store, never in
// the update list; the number edit that is also the jump box.
#include "editors/customer_editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "editor_fixture.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::RecordingPrompts;
namespace cst = customer;

class CustomerEditorTest : public ::testing::Test {
protected:
    CustomerEditorController editor() {
        return CustomerEditorController(dir.session, LanguageTexts::builtIn(), prompts);
    }
    std::uint16_t numberOf(int index) const {
        const auto b = dir.read(".cst");
        return static_cast<std::uint16_t>(b.at(index * cst::kRecordSize) | (b.at(index * cst::kRecordSize + 1) << 8));
    }
    ProgramDir dir;
    RecordingPrompts prompts;
};

TEST_F(CustomerEditorTest, MissingFileIsCreatedWithFiveHundredNumberedCustomers) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    const auto bytes = dir.read(".cst");
    ASSERT_EQ(bytes.size(), 62'500u);
    EXPECT_EQ(numberOf(0), 1);
    EXPECT_EQ(numberOf(499), 500);
    EXPECT_EQ(bytes[4], '@');
    EXPECT_EQ(bytes[4 + 24], '@');
    EXPECT_EQ(bytes[5], ' ');
    EXPECT_EQ(bytes[124], 0);
    EXPECT_EQ(ed.count(), 500);
    EXPECT_EQ(ed.lines()[0].substr(0, 4), "1  @");
    EXPECT_EQ(ed.textLines[0], "@");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(CustomerEditorTest, EveryStoreWritesNothingMarksAndNextWraps) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    // A byte changed behind the editor's back is overwritten by an unchanged store.
    auto bytes = dir.read(".cst");
    bytes[10] = 'X';
    dir.write(".cst", bytes);
    ed.next();
    EXPECT_EQ(dir.read(".cst")[10], ' ');

    ed.selectLine(499);
    ed.textLines[0] = "A NAME LONGER THAN TWENTY-FOUR";
    ed.textLines[1] = "";
    ed.tax2 = true;
    ed.discountText = "12";
    ed.next();
    EXPECT_EQ(ed.currentIndex(), 0);
    bytes = dir.read(".cst");
    const auto at = 499 * cst::kRecordSize;
    EXPECT_EQ(std::string(bytes.begin() + at + 4, bytes.begin() + at + 4 + 25), "A NAME LONGER THAN TWENT ");
    EXPECT_EQ(bytes[at + 4 + 24], ' ');  // line 2 blank, its "@" gone with it
    EXPECT_EQ(bytes[at + 2], 0x01);
    EXPECT_EQ(bytes[at + 3], 12);
    EXPECT_EQ(ed.lines()[499], "500  A NAME LONGER THAN TWENT");
    EXPECT_FALSE(std::filesystem::exists(dir.session.file(".upd")));
}

TEST_F(CustomerEditorTest, JumpKeepsTheLeftCustomersNumberAndBadNumbersAreRefused) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.numberText = "7";
    ASSERT_TRUE(ed.enterNumber());
    EXPECT_EQ(ed.currentIndex(), 6);
    EXPECT_EQ(numberOf(0), 1);  // not a second customer 7

    for (const char* bad : {"65536", "12a", ""}) {
        SCOPED_TRACE(bad);
        prompts.shown.clear();
        ed.numberText = bad;
        EXPECT_FALSE(ed.store());
        EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Wrong input"}));
        EXPECT_EQ(numberOf(6), 7);
    }
    ed.numberText = "65535";
    EXPECT_TRUE(ed.store());
    EXPECT_EQ(numberOf(6), 65535);
    for (const char* ignored : {"0", "501", "x"}) {
        ed.numberText = ignored;
        EXPECT_FALSE(ed.enterNumber());
        EXPECT_EQ(ed.currentIndex(), 6);
    }

    prompts.shown.clear();
    ed.discountText = "256";
    EXPECT_FALSE(ed.discountKeyReleased());
    EXPECT_EQ(ed.discountText, "0");
    ed.discountText = "255";
    EXPECT_TRUE(ed.discountKeyReleased());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Wrong input"}));
}

TEST_F(CustomerEditorTest, AFileThatCannotBeOpenedIsNeverReplaced) {
    std::filesystem::create_directory(dir.session.file(".cst"));  // there, but not a file to open
    auto ed = editor();
    EXPECT_FALSE(ed.activate());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Error opening File !!"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.session.file(".cst")));
    EXPECT_EQ(ed.count(), 0);
    ed.next();
    EXPECT_FALSE(ed.store());
}

}  // namespace
}  // namespace tramond
