// Record files to CSV and back: byte-exact round trips for every kind with
// an editor layout, checking before writing, and the update-list marking.

#include <gtest/gtest.h>

#include <random>

#include "cli/csv.h"
#include "cli/record_columns.h"
#include "cli/record_csv.h"
#include "cli_fixture.h"
#include "editors/plu_record.h"
#include "program/update_list.h"

namespace tramond::testing {
namespace {

class RecordCsvTest : public CliFixture {};

// Sets cell (row, column) of an exported sheet; an amount's header carries
// its unit after the name.
std::string withCell(const std::string& text, std::size_t row, const std::string& column, const std::string& value) {
    auto parsed = csv::parse(text);
    const auto& header = parsed.rows[0].fields;
    const auto c = static_cast<std::size_t>(
        std::find_if(header.begin(), header.end(),
                     [&](const std::string& h) { return h == column || h.rfind(column + " [", 0) == 0; }) -
        header.begin());
    EXPECT_LT(c, header.size()) << column;
    parsed.rows.at(row).fields.at(c) = value;
    std::string out;
    for (const auto& r : parsed.rows) csv::appendRecord(out, r.fields);
    return out;
}

TEST_F(RecordCsvTest, UnchangedSheetOfEveryKindChangesNoByte) {
    std::mt19937 rng(7);
    for (const auto kind : tableKinds()) {
        // Any bytes at all: control characters, OEM letters and box drawing
        // in names, values no list item stands for, odd packed digits.
        const auto path = program.file(kindInfo(kind).extension);
        auto bytes = fileBytes(path);
        ASSERT_FALSE(bytes.empty()) << kindWord(kind);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        writeBytes(path, bytes);

        const auto sheet = exportRecords(program, kind);
        const auto outcome = importRecords(program, kind, sheet);
        EXPECT_TRUE(outcome.ok()) << kindWord(kind) << ": " << outcome.problems.front().describe();
        EXPECT_TRUE(outcome.changedRecords.empty()) << kindWord(kind);
        EXPECT_EQ(fileBytes(path), bytes) << kindWord(kind);
        EXPECT_EQ(exportRecords(program, kind), sheet) << kindWord(kind);
    }
    EXPECT_TRUE(UpdateList(program.file(".upd")).lines().empty());
}

// A program without salespersons has no ".sps": its sheet is the header
// alone, and that sheet goes back in changing nothing.
TEST_F(RecordCsvTest, AKindWithoutRecordsExportsItsHeaderAlone) {
    program.app.setKindCount(appblock::kSalesperson, 0);
    writeBytes(program.appPath, {program.app.bytes().begin(), program.app.bytes().end()});
    std::filesystem::remove(program.file(".sps"));
    program = ProgramImage::read(program.appPath);

    const auto sheet = exportRecords(program, RecordKind::Salesperson);
    const auto parsed = csv::parse(sheet);
    ASSERT_EQ(parsed.rows.size(), 1u) << sheet;
    EXPECT_EQ(parsed.rows[0].fields.front(), "record");
    EXPECT_TRUE(importRecords(program, RecordKind::Salesperson, sheet).ok());
    EXPECT_FALSE(importRecords(program, RecordKind::Salesperson, sheet + "1,x\n").ok()) << "no record 1 to change";
    EXPECT_FALSE(std::filesystem::exists(program.file(".sps")));
    EXPECT_TRUE(UpdateList(program.file(".upd")).lines().empty());
}

TEST_F(RecordCsvTest, OneChangedPriceWritesAndMarksThatPluOnly) {
    const auto before = fileBytes(program.file(".plu"));
    const auto sheet = withCell(exportRecords(program, RecordKind::Plu), 3, "price2", "1999");
    const auto outcome = importRecords(program, RecordKind::Plu, sheet);
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.changedRecords, std::vector<std::uint32_t>{3});

    const auto after = fileBytes(program.file(".plu"));
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool inPrice2 = i >= 2 * plu::kRecordSize + 46 && i < 2 * plu::kRecordSize + 54;
        if (!inPrice2) { ASSERT_EQ(before[i], after[i]) << "byte " << i; }
    }
    // Packed, least significant pair first: 1999 -> 99 19.
    EXPECT_EQ(after[2 * plu::kRecordSize + 46], 0x99);
    EXPECT_EQ(after[2 * plu::kRecordSize + 47], 0x19);
    EXPECT_EQ(UpdateList(program.file(".upd")).lines(), std::vector<std::string>{"000010003"});
}

TEST_F(RecordCsvTest, CodeModeMarksTheChangedPluByItsCodeLine) {
    setPluCodes(2);  // two code bytes; records 1 and 2 get codes 1 and 2
    const auto sheet = withCell(exportRecords(program, RecordKind::Plu), 2, "name", "Pilsner");
    ASSERT_EQ(csv::parse(exportRecords(program, RecordKind::Plu)).rows.size(), 3u) << "PLUs without a code stay out";
    const auto outcome = importRecords(program, RecordKind::Plu, sheet);
    ASSERT_TRUE(outcome.ok()) << outcome.problems.front().describe();
    EXPECT_EQ(UpdateList(program.file(".upd")).lines(),
              std::vector<std::string>{"R000000000000020000200"});

    // A spreadsheet's padding of the code is not a change of it.
    EXPECT_TRUE(importRecords(program, RecordKind::Plu, withCell(sheet, 1, "code", "0001")).ok());

    // The code is the PLU's address: it is not changed from a sheet.
    const auto moved = withCell(exportRecords(program, RecordKind::Plu), 1, "code", "77");
    const auto refused = importRecords(program, RecordKind::Plu, moved);
    ASSERT_EQ(refused.problems.size(), 1u);
    EXPECT_EQ(refused.problems[0].field, "code");
}

TEST_F(RecordCsvTest, AnyBadRowWritesNothingAndEveryProblemIsNamed) {
    const auto plu = fileBytes(program.file(".plu"));
    auto sheet = exportRecords(program, RecordKind::Plu);
    sheet = withCell(sheet, 1, "name", "Fine change");
    sheet = withCell(sheet, 2, "price1", "12.50");
    sheet = withCell(sheet, 4, "department", "70000");
    sheet = withCell(sheet, 5, "negative", "maybe");
    sheet = withCell(sheet, 6, "name", "Name that is much longer than the field");
    sheet = withCell(sheet, 7, "name", "Euro \u20AC");
    sheet = withCell(sheet, 8, "record", "1");
    const auto outcome = importRecords(program, RecordKind::Plu, sheet);

    std::vector<std::string> seen;
    for (const auto& p : outcome.problems) seen.push_back(std::to_string(p.line) + " " + p.field);
    EXPECT_EQ(seen, (std::vector<std::string>{"3 price1", "5 department", "6 negative", "7 name", "8 name",
                                              "9 record"}));
    EXPECT_EQ(fileBytes(program.file(".plu")), plu);
    EXPECT_TRUE(UpdateList(program.file(".upd")).lines().empty());

    EXPECT_EQ(importRecords(program, RecordKind::Plu, "record,colour\r\n1,red\r\n").problems.at(0).field, "colour");
    EXPECT_FALSE(importRecords(program, RecordKind::Plu, "name\r\nx\r\n").ok()) << "rows must name their record";
}

// Issue 26: the import stored what the dialogs for the same fields refuse.
// Each field's rule comes from the layout tables, as the editor's does.
TEST_F(RecordCsvTest, ImportKeepsTheRulesOfTheEditorsFields) {
    program.app.setU16(2328, 3);               // three taxes
    program.app.setU8(2175, 2);                // PB numbers of 4 digits
    program.app.setU16(2173, 3);               // PB info records
    struct Case {
        RecordKind kind;
        const char* column;
        const char* value;
        bool accepted;
    } cases[] = {
        {RecordKind::PoRa, "drawerTotal", "16", false},  // four bits: 16 would read as "NO"
        {RecordKind::PoRa, "drawerTotal", "15", true},
        {RecordKind::Tender, "drawerTotal", "200", false},  // 32 drawers
        {RecordKind::Tender, "changeTip", "32", true},
        {RecordKind::PbFunction, "option5", "1", false},  // type 0 hides options 5 and 6
        {RecordKind::Discount, "tax5", "1", false},        // only three taxes
        {RecordKind::Discount, "tax3", "1", true},
        {RecordKind::PbInfo, "pbNumber", "12345", false},  // 4 digits
        {RecordKind::PbInfo, "pbNumber", "1234", true},
        {RecordKind::Plu, "department", "500", false},  // six departments, numbered from 1
        {RecordKind::Plu, "department", "0", false},
        {RecordKind::Plu, "department", "6", true},
        {RecordKind::Department, "group", "5", true},
        {RecordKind::Department, "group", "6", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(kindWord(c.kind)) + " " + c.column + " = " + c.value);
        const auto sheet = withCell(exportRecords(program, c.kind), 1, c.column, c.value);
        const auto outcome = importRecords(program, c.kind, sheet);
        EXPECT_EQ(outcome.ok(), c.accepted) << (outcome.ok() ? "" : outcome.problems.front().describe());
        if (c.accepted) {
            EXPECT_EQ(withCell(exportRecords(program, c.kind), 1, c.column, c.value),
                      exportRecords(program, c.kind));
        }
    }
    // 1-based where the dialogs number them: department 6 is the index 5.
    EXPECT_EQ(fileBytes(program.file(".plu"))[plu::kDepartment], 5);
    // Type 5 shows options 5 and 6; a row turning a PB function into type 4
    // clears them, as the editor stores a hidden box.
    auto sheet = withCell(exportRecords(program, RecordKind::PbFunction), 1, "type", "5");
    ASSERT_TRUE(importRecords(program, RecordKind::PbFunction, withCell(sheet, 1, "option5", "1")).ok());
    ASSERT_TRUE(importRecords(program, RecordKind::PbFunction,
                              withCell(exportRecords(program, RecordKind::PbFunction), 1, "type", "4"))
                    .ok());
    EXPECT_EQ(fileBytes(program.file(".pbf"))[1] & 0x03, 0);
}

TEST_F(RecordCsvTest, AmountsAreWholeSmallestUnitsNamedInTheHeader) {
    program.app.setFlag(1, 2);  // two decimals
    const auto header = csv::parse(exportRecords(program, RecordKind::Plu)).rows[0].fields;
    EXPECT_NE(std::find(header.begin(), header.end(), "price1 [0.01]"), header.end());
    EXPECT_NE(std::find(header.begin(), header.end(), "name"), header.end());
    program.app.setFlag(1, 0);
    const auto tender = csv::parse(exportRecords(program, RecordKind::Tender)).rows[0].fields;
    EXPECT_NE(std::find(tender.begin(), tender.end(), "presetAmount [1]"), tender.end());
    // The bare name still imports, in the same unit.
    ASSERT_TRUE(importRecords(program, RecordKind::Plu, "record,price1\r\n2,250\r\n").ok());
    EXPECT_EQ(fileBytes(program.file(".plu"))[plu::kRecordSize + 37], 0x50);
}

TEST_F(RecordCsvTest, OemLettersAndQuotedNamesGoThroughByteExact) {
    const std::string name = "Caf\u00E9 \u2502\u00D1, \"x\"\n2";  // é │ Ñ, comma, quotes, line break
    auto sheet = withCell(exportRecords(program, RecordKind::Department), 1, "name", name);
    ASSERT_TRUE(importRecords(program, RecordKind::Department, sheet).ok());
    const auto dpt = fileBytes(program.file(".dpt"));
    // Department record 1, descriptor at 4, in code page 850.
    const std::vector<std::uint8_t> oem{'C', 'a', 'f', 0x82, ' ', 0xB3, 0xA5, ',', ' ', '"', 'x', '"', '\n', '2', 0};
    EXPECT_TRUE(std::equal(oem.begin(), oem.end(), dpt.begin() + 4));
    const auto again = csv::parse(exportRecords(program, RecordKind::Department));
    EXPECT_EQ(again.rows.at(1).fields.at(1), name);
    EXPECT_EQ(UpdateList(program.file(".upd")).lines(), std::vector<std::string>{"000005001"});
}

}  // namespace
}  // namespace tramond::testing
