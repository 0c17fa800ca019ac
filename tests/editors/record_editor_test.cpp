// The record-editor engine through the department and group descriptions.
#include <gtest/gtest.h>
#include <unistd.h>

#include "editor_fixture.h"
#include "editors/record_editor.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::putText;
using test::RecordingPrompts;

constexpr std::size_t kDept = 39;
constexpr std::size_t kGroup = 29;

class DepartmentEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& app = dir.session.app;
        app.setU16(1059, 4);  // departments
        app.setU8(1064, 24);
        app.setU16(2117, 3);  // groups
        app.setU8(2122, 24);
        dir.write(".dpt", departments(4));
        std::vector<std::uint8_t> groups(3 * kGroup, 0);
        for (int i = 0; i < 3; ++i) putText(groups, i * kGroup + 4, "GRP " + std::to_string(i + 1));
        dir.write(".grp", groups);
    }
    static std::vector<std::uint8_t> departments(int n) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n) * kDept, 0);
        for (int i = 0; i < n; ++i) putText(bytes, i * kDept + 4, "DEPT " + std::to_string(i + 1));
        return bytes;
    }
    RecordEditorController editor(const RecordEditorLayout& layout = departmentEditorLayout()) {
        return RecordEditorController(layout, dir.session, LanguageTexts::builtIn(), prompts);
    }

    ProgramDir dir;
    RecordingPrompts prompts;
};

TEST_F(DepartmentEditorTest, StoresOnlyChangedRecordsAndMarksEachOnce) {
    const auto before = dir.read(".dpt");
    {
        RecordEditorController ed(departmentEditorLayout(), dir.session, LanguageTexts::builtIn(), prompts);
        ASSERT_TRUE(ed.activate());
        EXPECT_EQ(ed.lines(), (std::vector<std::string>{"DEPT 1", "DEPT 2", "DEPT 3", "DEPT 4"}));
        ed.next();
        ed.next();  // leaving unchanged records writes nothing
        EXPECT_EQ(dir.read(".dpt"), before);
        EXPECT_TRUE(dir.updates().empty());

        // The typical road: department 3 renamed, "Next".
        ASSERT_EQ(ed.currentIndex(), 2);
        ed.descriptor = "SOUPS";
        ed.next();
        EXPECT_EQ(ed.currentIndex(), 3);
        EXPECT_EQ(ed.lines()[2], "SOUPS");
        ed.selectLine(2);
        ed.descriptor = "SOUP";
        ed.ok();
    }
    const auto after = dir.read(".dpt");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&after[2 * kDept + 4])), "SOUP");
    // The rest of the field is cleared, not left over from "SOUPS".
    EXPECT_EQ(after[2 * kDept + 8], 0);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 2 * kDept, before.begin()));
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000005003"}));
}

TEST_F(DepartmentEditorTest, NavigationWrapsAndRefusesBadNumbers) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.selectLine(3);
    ed.descriptor = "LAST";
    ed.next();  // stores record 4, back to record 1
    EXPECT_EQ(ed.currentIndex(), 0);
    EXPECT_EQ(ed.numberText, "1");
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000005004"}));

    ed.descriptor = "TYPED";
    for (std::string bad : {"0", "5", "-1", "x", ""}) {
        ed.numberText = bad;
        EXPECT_FALSE(ed.enterNumber()) << bad;
        EXPECT_EQ(ed.numberText, "");
        EXPECT_EQ(ed.currentIndex(), 0);
        EXPECT_EQ(ed.descriptor, "TYPED") << "the record on screen stays as typed";
    }
    ASSERT_EQ(prompts.shown.size(), 5u);
    EXPECT_EQ(prompts.shown[0].text, "Wrong Input");
    EXPECT_EQ(prompts.shown[0].title, "Error");
    EXPECT_EQ(dir.updates().size(), 1u) << "a refused jump stores nothing";

    ed.numberText = "3";
    EXPECT_TRUE(ed.enterNumber());
    EXPECT_EQ(ed.currentIndex(), 2);
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000005001", "000005004"}));
}

TEST_F(DepartmentEditorTest, EmptyDescriptorBecomesOneBlank) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.descriptor.clear();
    ed.enterDescriptor();
    EXPECT_EQ(ed.descriptor, " ");
    EXPECT_EQ(ed.lines()[0], " ");
    ed.descriptor.clear();
    ed.next();
    const auto bytes = dir.read(".dpt");
    EXPECT_EQ(bytes[4], ' ');
    EXPECT_EQ(bytes[5], 0);
}

TEST_F(DepartmentEditorTest, EntryLimitationCutToLeadingDigit) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    const auto limit = ed.fieldIndex("entryLimitation");
    struct Case {
        std::string typed;
        std::uint8_t stored;
        std::string shown;
    };
    for (const auto& c : {Case{"12345", 14, "10000"}, Case{"7", 70, "7"}, Case{"0", 0, "0"},
                          Case{"5000", 53, "5000"}, Case{"99", 91, "90"}, Case{"9999999999", 99, "9000000000"}}) {
        ed.field(limit).text = c.typed;
        ed.next();
        ed.selectLine(0);
        EXPECT_EQ(dir.read(".dpt")[29], c.stored) << c.typed;
        EXPECT_EQ(ed.field(limit).text, c.shown) << c.typed;
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DepartmentEditorTest, RefusedEntryLimitationKeepsByteButStoresTheRest) {
    auto bytes = dir.read(".dpt");
    bytes[29] = 53;
    dir.write(".dpt", bytes);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    const auto limit = ed.fieldIndex("entryLimitation");
    for (std::string bad : {"-5", "abc", "10000000000", ""}) {
        ed.field(limit).text = bad;
        ed.descriptor = "NEW " + bad;
        ed.next();
        ed.selectLine(0);
        const auto now = dir.read(".dpt");
        EXPECT_EQ(now[29], 53) << bad;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&now[4])), "NEW " + bad);
    }
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>(4, "Wrong Input!")));
}

TEST_F(DepartmentEditorTest, OptionWordKeepsOnlyBitsZeroAndOneAndOtherBytesAsRead) {
    auto bytes = dir.read(".dpt");
    bytes[0] = 0xFD;  // bits 0, 2..7 set, bit 1 clear
    bytes[1] = 0xFF;
    bytes[2] = 2;     // group 3
    for (std::size_t i = 30; i < kDept; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    dir.write(".dpt", bytes);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_TRUE(ed.field("printExtraLine").checked);
    EXPECT_FALSE(ed.field("noTaxShift").checked);
    EXPECT_EQ(ed.field("group").index, 2);
    ed.field("noTaxShift").checked = true;
    ed.ok();
    const auto now = dir.read(".dpt");
    EXPECT_EQ(now[0], 0x03);
    EXPECT_EQ(now[1], 0x00);
    EXPECT_EQ(now[2], 2);
    for (std::size_t i = 30; i < kDept; ++i) EXPECT_EQ(now[i], i) << "byte " << i;
}

TEST_F(DepartmentEditorTest, GroupLookupFromGroupFile) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    const auto group = ed.fieldIndex("group");
    EXPECT_EQ(std::vector<std::string>(ed.lookupItems(group).begin(), ed.lookupItems(group).end()),
              (std::vector<std::string>{"GRP 1", "GRP 2", "GRP 3"}));
    ed.field(group).index = 1;
    ed.next();
    EXPECT_EQ(dir.read(".dpt")[2], 1);
}

TEST_F(DepartmentEditorTest, MissingGroupFileLeavesLookupEmptyAndGroupAsRead) {
    auto bytes = dir.read(".dpt");
    bytes[2] = 7;  // a group the (missing) list cannot show
    dir.write(".dpt", bytes);
    std::filesystem::remove(dir.session.file(".grp"));
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_TRUE(ed.lookupItems(ed.fieldIndex("group")).empty());
    EXPECT_TRUE(prompts.shown.empty());
    ed.descriptor = "X";
    ed.ok();
    EXPECT_EQ(dir.read(".dpt")[2], 7);
}

TEST_F(DepartmentEditorTest, MissingFileShowsErrorAndWritesNothing) {
    std::filesystem::remove(dir.session.file(".dpt"));
    auto ed = editor();
    EXPECT_FALSE(ed.activate());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Error opening File !!"}));
    EXPECT_EQ(ed.count(), 0);
    ed.next();
    ed.ok();
    ed.numberText = "1";
    EXPECT_FALSE(ed.enterNumber());
    EXPECT_FALSE(std::filesystem::exists(dir.session.file(".dpt")));
    EXPECT_TRUE(dir.updates().empty());
}

TEST_F(DepartmentEditorTest, ShortFileListsWhatItHoldsAndNeverGrows) {
    dir.write(".dpt", departments(2));
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_EQ(ed.count(), 2);
    ed.numberText = "3";  // within the count, beyond the file
    EXPECT_FALSE(ed.enterNumber());
    ed.selectLine(1);
    ed.descriptor = "CHANGED";
    ed.next();
    EXPECT_EQ(ed.currentIndex(), 0);
    EXPECT_EQ(dir.read(".dpt").size(), 2 * kDept);
}

TEST_F(DepartmentEditorTest, StartRecordHonouredByDepartmentsOnly) {
    auto dept = editor();
    ASSERT_TRUE(dept.activate(2));
    EXPECT_EQ(dept.currentIndex(), 2);
    EXPECT_EQ(dept.descriptor, "DEPT 3");
    EXPECT_EQ(dept.numberText, "3");

    auto group = editor(groupEditorLayout());
    ASSERT_TRUE(group.activate(2));
    EXPECT_EQ(group.currentIndex(), 0);
    EXPECT_EQ(group.descriptor, "GRP 1");
}

TEST_F(DepartmentEditorTest, GroupEditorKeepsBytesZeroToThree) {
    auto bytes = dir.read(".grp");
    bytes[kGroup + 0] = 0xAA;
    bytes[kGroup + 3] = 0x55;
    dir.write(".grp", bytes);
    auto ed = editor(groupEditorLayout());
    ASSERT_TRUE(ed.activate());
    ed.selectLine(1);
    ed.descriptor = "DRINKS";
    ed.ok();
    const auto now = dir.read(".grp");
    EXPECT_EQ(now[kGroup + 0], 0xAA);
    EXPECT_EQ(now[kGroup + 3], 0x55);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&now[kGroup + 4])), "DRINKS");
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000004002"}));
}

TEST_F(DepartmentEditorTest, DescriptorThroughCodePageAndCutToHeaderLength) {
    dir.session.app.setU8(1064, 6);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_EQ(ed.descriptorMaxLength(), 6);
    ed.descriptor = "Caf\xC3\xA9 au lait";  // "Café au lait"
    ed.ok();
    const auto now = dir.read(".dpt");
    EXPECT_EQ(now[4], 'C');
    EXPECT_EQ(now[7], 0x82);  // é in the OEM code page
    EXPECT_EQ(now[9], 'a');
    EXPECT_EQ(now[10], 0);

    dir.session.app.setU8(1064, 40);  // a header longer than the field
    auto wide = editor();
    ASSERT_TRUE(wide.activate());
    EXPECT_EQ(wide.descriptorMaxLength(), 24);
}

TEST_F(DepartmentEditorTest, CloseWithoutOkStoresNothingAndListEnterRefreshes) {
    {
        auto ed = editor();
        ASSERT_TRUE(ed.activate());
        // Issue 26: Enter in the list dropped a name just typed.
        ed.descriptor = "TYPED";
        ed.numberText = "99";
        ed.enterInList();
        EXPECT_EQ(ed.descriptor, "TYPED");
        EXPECT_EQ(ed.numberText, "1");
        ed.descriptor = "NOT STORED";
        ed.close();
    }
    EXPECT_EQ(dir.read(".dpt"), departments(4));
    EXPECT_TRUE(dir.updates().empty());
}

TEST(EntryLimitationCode, DecodeAndEncodeAgree) {
    EXPECT_EQ(decodeEntryLimitation(53), 5000u);
    EXPECT_EQ(decodeEntryLimitation(0), 0u);
    EXPECT_EQ(decodeEntryLimitation(10), 1u);
    for (std::uint64_t v : {1ull, 10ull, 1000ull, 999999999ull, 1000000000ull}) {
        const auto code = encodeEntryLimitation(v);
        ASSERT_TRUE(code) << v;
        EXPECT_LE(decodeEntryLimitation(*code), v);
        EXPECT_GT(decodeEntryLimitation(*code) * 10, v);
    }
    EXPECT_FALSE(encodeEntryLimitation(10000000000ull));
}

}  // namespace
}  // namespace tramond

namespace tramond {
namespace {

// Issue 26: a failed read zero-filled the buffer, and the next store wrote
// zeros over the record's kept bytes.
TEST_F(DepartmentEditorTest, AFailedReadKeepsTheRecordOnScreenWithItsKeptBytes) {
    auto bytes = departments(4);
    std::fill_n(bytes.begin() + 30, 9, std::uint8_t{0x77});  // department 1's kept bytes
    dir.write(".dpt", bytes);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    std::filesystem::resize_file(dir.session.file(".dpt"), kDept);  // records 2.. can no longer be read
    ed.next();
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Error opening File !!"}));
    EXPECT_EQ(ed.currentIndex(), 0);
    ed.descriptor = "FRESH";
    EXPECT_TRUE(ed.ok());
    const auto now = dir.read(".dpt");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&now[4])), "FRESH");
    EXPECT_TRUE(std::all_of(now.begin() + 30, now.begin() + 39, [](std::uint8_t b) { return b == 0x77; }));
}

// A record is written only once it is marked: an unwritable update list
// keeps it unwritten, and the editor on it for a retry.
TEST_F(DepartmentEditorTest, UnwritableUpdateListIsReportedAndNothingLandsUnmarked) {
    std::filesystem::create_directory(dir.session.file(".upd"));
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.descriptor = "STORED";
    ed.next();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&dir.read(".dpt")[4])), "DEPT 1");
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Error writing update file !!"}));
    EXPECT_EQ(ed.currentIndex(), 0);
    EXPECT_EQ(ed.descriptor, "STORED");
    EXPECT_FALSE(ed.ok());
    std::filesystem::remove(dir.session.file(".upd"));
    EXPECT_TRUE(ed.ok());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&dir.read(".dpt")[4])), "STORED");
    EXPECT_EQ(dir.updates(), std::vector<std::string>{"000005001"});
}

}  // namespace
}  // namespace tramond

namespace tramond {
namespace {

// A drawer-like kind: the decimal point as a value table over bits 0 and 2,
// and a kind that registers every store.
constexpr std::array<Caption, 4> kDecimalItems{Caption{-1, "0"}, Caption{-1, "1"}, Caption{-1, "2"}, Caption{-1, "3"}};
constexpr std::array<std::uint32_t, 4> kDecimalValues{1, 5, 0, 4};
constexpr std::array kDrawerWords{OptionWord{0, 2, 0, 0}};
constexpr std::array kDrawerFields{
    FieldRow{.name = "decimals",
              .control = FieldControl::ComboBox,
              .encoding = FieldEncoding::Mapped,
              .offset = 0,
              .width = 2,
              .mask = 0x5,
              .items = kDecimalItems,
              .values = kDecimalValues,
              .defaultItem = 2},
    FieldRow{.name = "openTotal", .offset = 0, .width = 2, .bit = 1},
};

TEST_F(DepartmentEditorTest, ValueTableFieldAndStoringEveryRecord) {
    const RecordEditorLayout drawer{.className = "TEditDrawer",
                                  .kind = RecordKind::Department,  // any file with 39-byte records will do
                                  .descriptorOffset = 4,
                                  .storeUnchanged = true,
                                  .words = kDrawerWords,
                                  .fields = kDrawerFields};
    auto bytes = dir.read(".dpt");
    bytes[0] = 5;           // one decimal
    bytes[kDept] = 0x07;    // 5 | bit 1
    bytes[2 * kDept] = 0x0C;  // bits 2 and 3: three decimals, bit 3 unknown
    dir.write(".dpt", bytes);
    auto ed = editor(drawer);
    ASSERT_TRUE(ed.activate());
    EXPECT_EQ(std::vector<std::string>(ed.lookupItems(0).begin(), ed.lookupItems(0).end()),
              (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(ed.field("decimals").index, 1);
    ed.next();  // unchanged, stored all the same
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000005001"}));
    EXPECT_EQ(ed.field("decimals").index, 1);
    EXPECT_TRUE(ed.field("openTotal").checked);
    ed.next();
    EXPECT_EQ(ed.field("decimals").index, 3);
    ed.ok();
    EXPECT_EQ(dir.read(".dpt")[2 * kDept], 0x04) << "bit 3 cleared by the rebuilt word";
    ed.field("decimals").index = 2;
    ed.ok();
    const auto now = dir.read(".dpt");
    EXPECT_EQ(now[2 * kDept], 0x00) << "two decimals: neither bit";
    EXPECT_EQ(now[kDept], 0x07);
}

}  // namespace
}  // namespace tramond
