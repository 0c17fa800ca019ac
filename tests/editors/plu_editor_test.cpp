// The PLU editor in number mode and code mode, through its controller.
#include <gtest/gtest.h>
#include <unistd.h>

#include "editor_fixture.h"
#include "editors/plu_editor.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::putText;
using test::RecordingPrompts;
constexpr std::size_t R = plu::kRecordSize;

class PluEditorTest : public ::testing::Test {
protected:
    void header(int count, int codeBytes, int priceLevels = 4, int priceSize = 3) {
        auto& app = dir.session.app;
        app.setU16(2227, static_cast<std::uint16_t>(count));
        app.setU8(2231, 11);
        app.setU8(2234, static_cast<std::uint8_t>(codeBytes));
        app.setU8(2235, 24);
        app.setU8(2236, static_cast<std::uint8_t>(priceLevels));
        app.setU8(2237, static_cast<std::uint8_t>(priceSize));
        app.setU16(1059, 2);
        std::vector<std::uint8_t> dpt(2 * 39, 0);
        putText(dpt, 4, "FOOD");
        putText(dpt, 39 + 4, "DRINK");
        dir.write(".dpt", dpt);
    }
    // Records named "PLU n" with the codes given (packed from their digits).
    void records(int count, const std::map<int, std::string>& codes = {}) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * R, 0);
        for (int r = 1; r <= count; ++r) {
            const auto base = static_cast<std::size_t>(r - 1) * R;
            putText(bytes, base + 9, "PLU " + std::to_string(r));
            bytes[base + 107] = 11;
            bytes[base + 91] = 0x10;  // quantity of linked PLU 1000
            if (auto it = codes.find(r); it != codes.end()) {
                std::size_t n = 0;
                for (auto c = it->second.rbegin(); c != it->second.rend(); ++c, ++n)
                    bytes[base + 2 + n / 2] |= static_cast<std::uint8_t>((*c - '0') << (n % 2 ? 4 : 0));
            }
        }
        dir.write(".plu", bytes);
    }
    std::vector<std::uint8_t> record(int r) const {
        const auto all = dir.read(".plu");
        return {all.begin() + (r - 1) * static_cast<std::ptrdiff_t>(R), all.begin() + r * static_cast<std::ptrdiff_t>(R)};
    }
    void patch(int r, std::size_t offset, std::vector<std::uint8_t> bytes) {
        auto all = dir.read(".plu");
        std::copy(bytes.begin(), bytes.end(), all.begin() + static_cast<std::ptrdiff_t>((r - 1) * R + offset));
        dir.write(".plu", all);
    }
    PluEditorController editor() { return PluEditorController(dir.session, LanguageTexts::builtIn(), prompts); }

    ProgramDir dir;
    RecordingPrompts prompts;
};

TEST_F(PluEditorTest, NumberModeStoresChangedRecordWithChangeCode) {
    header(5, 0);
    records(5);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_EQ(ed.departments(), (std::vector<std::string>{"FOOD", "DRINK"}));
    EXPECT_EQ(ed.descriptor, "PLU 1");
    EXPECT_EQ(ed.edit(PluEdit::LinkedQuantity), "1000");
    ed.next();
    ed.next();
    EXPECT_TRUE(dir.updates().empty());
    ed.edit(PluEdit::Price1) = "0012";
    ed.edit(PluEdit::Price2) = "";
    ed.department = 1;
    ed.next();
    const auto rec = record(3);
    EXPECT_EQ(rec[37], 0x12);
    EXPECT_EQ(rec[38], 0x00);
    EXPECT_EQ(rec[46], 0x00);
    EXPECT_EQ(rec[34], 1);
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000010003"}));
    EXPECT_EQ(ed.currentRecord(), 4);
}

TEST_F(PluEditorTest, ReservedBytesAreWrittenAsZeroAndCountAsChange) {
    header(2, 0);
    records(2);
    patch(1, 110, std::vector<std::uint8_t>(27, 0xEE));
    patch(1, 36, {0x77});   // reserved
    patch(1, 45, {0x66});   // 9th byte of price 1
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.next();  // nothing touched on screen
    const auto rec = record(1);
    for (std::size_t i = 110; i < R; ++i) EXPECT_EQ(rec[i], 0) << i;
    EXPECT_EQ(rec[36], 0);
    EXPECT_EQ(rec[45], 0);
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000010001"}));
}

TEST_F(PluEditorTest, HiddenFieldsAreWrittenBackAsRead) {
    header(2, 0, /*priceLevels*/ 2);
    dir.session.app.setU8(2231, 0);  // no linked PLU, tare or condiment link shown
    records(2);
    patch(1, 55, {0x55, 0x05});        // price 3: 555
    patch(1, 64, {0x99});              // price 4: 99
    patch(1, 73, {0x21});              // cost price, off in the header
    patch(1, 81, {7});                 // condiment table link
    patch(1, 82, {0x03, 0x00});        // linked PLU 3
    patch(1, 99, {0x50, 0x02});        // tare 250
    const auto before = record(1);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.descriptor = "RENAMED";
    ed.ok();
    const auto after = record(1);
    for (std::size_t off : {55, 56, 64, 73, 81, 82, 83, 99, 100}) EXPECT_EQ(after[off], before[off]) << off;
}

TEST_F(PluEditorTest, LongNumbersAreNotThrownAway) {
    header(1, 0, 4, /*priceSize*/ 8);
    records(1);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_EQ(ed.editMaxLength(PluEdit::Price1), 16);
    ed.edit(PluEdit::Price1) = "9876543210123";  // beyond 32 bits
    ed.edit(PluEdit::Tare) = "12x";              // not a number
    ed.edit(PluEdit::LinkedPlu) = "70000";        // not a record number
    ed.ok();
    EXPECT_EQ(ed.edit(PluEdit::Tare), "0");
    EXPECT_EQ(ed.edit(PluEdit::LinkedPlu), "0");
    const auto rec = record(1);
    EXPECT_EQ(rec[37], 0x23);
    EXPECT_EQ(rec[42], 0x87);
    EXPECT_EQ(rec[43], 0x09);
    EXPECT_EQ(rec[44], 0x00);
}

TEST_F(PluEditorTest, OptionBitsZeroPriceInverseAndCondiment) {
    header(1, 0);
    records(1);
    patch(1, 0, {0xC0, 0x04});  // bits 6, 7 and 10: written as 0
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_TRUE(ed.checks[8]) << "bit 11 clear: zero price allowed";
    ed.checks[8] = false;
    ed.ok();
    auto rec = record(1);
    EXPECT_EQ(rec[0], 0x00);
    EXPECT_EQ(rec[1], 0x08);

    ed.edit(PluEdit::LinkedQuantity) = "5";
    ed.edit(PluEdit::Tare) = "250";
    ed.edit(PluEdit::LinkedPlu) = "3";
    ed.setCondiment(true);
    EXPECT_FALSE(ed.linkFieldsEnabled());
    EXPECT_EQ(ed.edit(PluEdit::LinkedQuantity), "1000");
    EXPECT_EQ(ed.edit(PluEdit::Tare), "0");
    EXPECT_EQ(ed.edit(PluEdit::LinkedPlu), "0");
    ed.kitchenPrinters[2] = true;
    ed.taxable[7] = true;
    ed.ok();
    rec = record(1);
    EXPECT_EQ(rec[0], 0x02);
    EXPECT_EQ(rec[90], 0x00);
    EXPECT_EQ(rec[91], 0x10);
    EXPECT_EQ(rec[108], 0x04);
    EXPECT_EQ(rec[109], 0x80);
    ed.setCondiment(false);
    EXPECT_TRUE(ed.linkFieldsEnabled());
}

TEST_F(PluEditorTest, OkWritesAlwaysButRegistersOnlyChanges) {
    header(1, 0);
    records(1);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    const auto stamp = std::filesystem::last_write_time(dir.session.file(".plu"));
    std::filesystem::last_write_time(dir.session.file(".plu"), stamp - std::chrono::hours(1));
    ed.ok();
    EXPECT_GT(std::filesystem::last_write_time(dir.session.file(".plu")), stamp - std::chrono::hours(1));
    EXPECT_TRUE(dir.updates().empty());
}

TEST_F(PluEditorTest, NumberEntryAfterResortMeansTheRecord) {
    header(3, 0);
    records(3);
    auto bytes = dir.read(".plu");
    putText(bytes, 2 * R + 9, "AAA  ");
    dir.write(".plu", bytes);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ASSERT_TRUE(ed.resort());
    EXPECT_EQ(ed.currentRecord(), 3);
    EXPECT_EQ(ed.numberText, "3");
    ed.numberText = "2";
    EXPECT_TRUE(ed.enterNumber());
    EXPECT_EQ(ed.currentRecord(), 2);
    EXPECT_EQ(ed.descriptor, "PLU 2");
    for (std::string bad : {"0", "4", "x"}) {
        ed.numberText = bad;
        EXPECT_FALSE(ed.enterNumber());
        EXPECT_EQ(ed.numberText, "");
        EXPECT_EQ(ed.currentRecord(), 2);
    }
    EXPECT_EQ(prompts.texts(), std::vector<std::string>(3, "Wrong Input!"));
}

TEST_F(PluEditorTest, ResortStoresWhatWasTypedFirst) {
    header(3, 0);
    records(3);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.descriptor = "ZUCCHINI";
    ed.enterName();
    EXPECT_EQ(ed.list().entry(0).name, "ZUCCHINI");
    ASSERT_TRUE(ed.resort());
    EXPECT_EQ(ed.list().recordAt(2), 1);
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000010001"}));
}

class PluCodeModeTest : public PluEditorTest {
protected:
    void SetUp() override {
        header(6, 2);
        records(6, {{2, "4711"}, {4, "12"}, {5, "0815"}});
    }
};

TEST_F(PluCodeModeTest, NextCyclesOverUsedLinesOnly) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_EQ(ed.list().usedCount(), 3u);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        seen.push_back(ed.currentRecord());
        ed.next();
    }
    EXPECT_EQ(seen, (std::vector<int>{4, 5, 2, 4, 5}));
    EXPECT_EQ(ed.codeText, "4711");
    ed.selectLine(5);  // an unused line
    EXPECT_EQ(ed.currentLine(), 2);
    EXPECT_EQ(ed.currentRecord(), 2);
}

TEST_F(PluCodeModeTest, TypedCodeWithLeadingZerosFindsTheRecord) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.codeText = "00815";
    EXPECT_EQ(ed.leaveCodeEdit(), PluEditorController::CodeOutcome::Found);
    EXPECT_EQ(ed.currentRecord(), 5);
    EXPECT_EQ(ed.descriptor, "PLU 5");
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(PluCodeModeTest, ChangedRecordGetsAnRLine) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.edit(PluEdit::Price1) = "150";
    ed.codeText = "12";  // tabbing through the PLU's own code keeps the typed price
    EXPECT_EQ(ed.leaveCodeEdit(), PluEditorController::CodeOutcome::Unchanged);
    EXPECT_EQ(ed.edit(PluEdit::Price1), "150");
    ed.next();
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"R" "00000000000012" "00004" "00"}));
    EXPECT_EQ(record(4)[2], 0x12) << "the code is written back as read";
}

TEST_F(PluCodeModeTest, StoringRebuildsTheCodeFieldFromTheCodeOnly) {
    // Bytes beyond the code size, left by a larger size earlier, must not
    // travel back to the register.
    patch(4, 2, {0x12, 0x00, 0x77, 0x88, 0x99, 0xAA, 0xBB});
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ASSERT_EQ(ed.currentRecord(), 4);
    EXPECT_EQ(ed.codeText, "12");
    ed.ok();
    const auto rec = record(4);
    EXPECT_EQ(std::vector<std::uint8_t>(rec.begin() + 2, rec.begin() + 9),
              (std::vector<std::uint8_t>{0x12, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"R" "00000000000012" "00004" "00"}));
}

TEST_F(PluEditorTest, NumberModeKeepsTheHiddenCodeBytes) {
    header(2, 0);
    records(2);
    patch(1, 2, {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34});
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.ok();
    const auto rec = record(1);
    EXPECT_EQ(std::vector<std::uint8_t>(rec.begin() + 2, rec.begin() + 9),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34}));
    EXPECT_TRUE(dir.updates().empty());
}

TEST_F(PluCodeModeTest, DeletingAPluLeavesOnlyItsDelete) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.codeText = "999";
    ASSERT_EQ(ed.leaveCodeEdit(), PluEditorController::CodeOutcome::Created);
    const int created = ed.currentRecord();
    ed.edit(PluEdit::Price1) = "5";
    ed.ok();  // an R line beside the N line
    ASSERT_EQ(dir.updates().size(), 2u);
    ASSERT_TRUE(ed.deleteCurrent());
    // An Update that kept its list may already have sent the N line.
    char position[6];
    std::snprintf(position, sizeof position, "%05d", created);
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{std::string("D" "00000000000999") + position + "00"}));
    std::filesystem::remove(dir.session.file(".upd"));

    // A PLU the register has: the pending change gives way to the delete.
    ed.codeText = "4711";
    ed.leaveCodeEdit();
    ASSERT_EQ(ed.currentRecord(), 2);
    ed.edit(PluEdit::Price1) = "7";
    ed.ok();
    ASSERT_TRUE(ed.deleteCurrent());
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"D" "00000000004711" "00002" "00"}));
}

TEST_F(PluCodeModeTest, UnknownCodeCreatesInFirstUnusedRecord) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.codeText = "0999";
    EXPECT_EQ(ed.leaveCodeEdit(), PluEditorController::CodeOutcome::Created);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "Record doesn't exist. Create new?");
    EXPECT_EQ(ed.currentRecord(), 1);
    EXPECT_EQ(ed.codeText, "999");
    EXPECT_EQ(ed.list().usedCount(), 4u);
    EXPECT_EQ(ed.list().unusedCount(), 2u);
    EXPECT_EQ(ed.currentLine(), 2) << "placed in code order: 0012, 0815, 0999, 4711";
    EXPECT_EQ(record(1)[2], 0x99);
    EXPECT_EQ(record(1)[3], 0x09);
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"N" "00000000000999" "00001" "00"}));

    prompts.answer = false;
    ed.codeText = "5555";
    EXPECT_EQ(ed.leaveCodeEdit(), PluEditorController::CodeOutcome::Restored);
    EXPECT_EQ(ed.codeText, "999");
    EXPECT_EQ(ed.list().usedCount(), 4u);
}

TEST_F(PluCodeModeTest, NoMoreEntriesWhenEveryRecordIsUsed) {
    records(2, {{1, "1"}, {2, "2"}});
    header(2, 2);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.codeText = "3";
    EXPECT_EQ(ed.leaveCodeEdit(), PluEditorController::CodeOutcome::Restored);
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"No More entries left !"}));
    EXPECT_EQ(ed.codeText, "1");
}

TEST_F(PluCodeModeTest, BadOrZeroCodeIsRefused) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    for (std::string bad : {"0000", "12a", "12345", "-12"}) {
        ed.codeText = bad;
        EXPECT_EQ(ed.leaveCodeEdit(), PluEditorController::CodeOutcome::Restored) << bad;
        EXPECT_EQ(ed.codeText, "12");
    }
    EXPECT_EQ(ed.list().usedCount(), 3u);
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_TRUE(dir.updates().empty());
}

TEST_F(PluCodeModeTest, DeletingLastUsedSelectsTheOneBefore) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.selectLine(2);  // 4711, record 2, the last used line
    ed.descriptor = "DISCARDED";
    ASSERT_TRUE(ed.deleteCurrent());
    EXPECT_EQ(ed.list().usedCount(), 2u);
    EXPECT_EQ(ed.currentLine(), 1);
    EXPECT_EQ(ed.currentRecord(), 5);
    const auto rec = record(2);
    EXPECT_EQ(rec[2], 0);
    EXPECT_EQ(rec[3], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rec[9])), "PLU 2");
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"D" "00000000004711" "00002" "00"}));

    ed.selectLine(0);
    ASSERT_TRUE(ed.deleteCurrent());
    EXPECT_EQ(ed.currentLine(), 0);
    EXPECT_EQ(ed.currentRecord(), 5);
    ASSERT_TRUE(ed.deleteCurrent());
    EXPECT_EQ(ed.list().usedCount(), 0u);
    // Every record unused: navigation only shows the placeholder name.
    EXPECT_FALSE(ed.deleteCurrent());
    ed.next();
    EXPECT_EQ(ed.descriptor, "zz (Not Used)");
    ed.ok();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record(1)[9])), "PLU 1");
}

TEST_F(PluCodeModeTest, ResortTogglesCodeAndNameOrder) {
    auto bytes = dir.read(".plu");
    putText(bytes, 4 * R + 9, "APPLE");  // record 5, code 0815
    dir.write(".plu", bytes);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    EXPECT_EQ(ed.headers(), (std::pair<std::string, std::string>{"Random Number", "Plu Name"}));
    ASSERT_TRUE(ed.resort());
    EXPECT_EQ(ed.list().order(), PluListOrder::Name);
    EXPECT_EQ(ed.headers(), (std::pair<std::string, std::string>{"Plu Name", "Random Number"}));
    EXPECT_EQ(ed.currentRecord(), 5);
    EXPECT_EQ(ed.currentLine(), 0);
    ASSERT_TRUE(ed.resort());
    EXPECT_EQ(ed.list().order(), PluListOrder::Code);
    EXPECT_EQ(ed.currentRecord(), 4);
}

TEST_F(PluCodeModeTest, MissingFileAtActivation) {
    std::filesystem::remove(dir.session.file(".plu"));
    auto ed = editor();
    EXPECT_FALSE(ed.activate());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Error opening File !!"}));
    EXPECT_TRUE(ed.list().empty());
    ed.next();
    ed.ok();
    EXPECT_FALSE(std::filesystem::exists(dir.session.file(".plu")));
}

}  // namespace
}  // namespace tramond

namespace tramond {
namespace {

TEST_F(PluEditorTest, HeaderWithoutDescriptorLengthKeepsNames) {
    header(1, 0);
    dir.session.app.setU8(2235, 0);
    records(1);
    auto ed = editor();
    ASSERT_TRUE(ed.activate());
    ed.edit(PluEdit::Price1) = "5";
    ed.ok();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record(1)[9])), "PLU 1");
}

}  // namespace
}  // namespace tramond

namespace tramond {
namespace {

TEST_F(PluCodeModeTest, StartLineOnUnusedRecordFallsBackToUsedLines) {
    auto ed = editor();
    ASSERT_TRUE(ed.activate(5));
    EXPECT_EQ(ed.currentLine(), 2);
    EXPECT_TRUE(ed.list().entry(2).used);
    ed.descriptor = "CHANGED";
    ed.next();
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"R" "00000000004711" "00002" "00"}));
}

}  // namespace
}  // namespace tramond
