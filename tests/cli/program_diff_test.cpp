// Comparing programs: nothing for a program and its copy, and each kind of
// change named as a dealer reads it.

#include <gtest/gtest.h>

#include "cli/program_diff.h"
#include "cli_fixture.h"
#include "program/program_ops.h"
#include "program/text_block.h"

namespace tramond::testing {
namespace {

class ProgramDiffTest : public CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        copyProgram(session, dir / "copy.app");
        copy = ProgramImage::read(dir / "copy.app");
    }
    void patch(const std::string& extension, std::size_t offset, std::vector<std::uint8_t> bytes) {
        auto f = fileBytes(copy.file(extension));
        std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<std::ptrdiff_t>(offset));
        writeBytes(copy.file(extension), f);
        copy = ProgramImage::read(copy.appPath);
    }
    ProgramImage copy;
};

TEST_F(ProgramDiffTest, AProgramAndItsCopyAreTheSame) {
    EXPECT_TRUE(diffPrograms(program, program).empty());
    EXPECT_TRUE(diffPrograms(program, copy).empty());
    EXPECT_EQ(diffJson({}), "{\"same\":true,\"differences\":[]}\n");
}

TEST_F(ProgramDiffTest, EachChangeIsNamedWhereItLies) {
    struct Case {
        const char* what;
        std::string extension;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
        std::string area;
        std::uint32_t record;
        std::string item;
        bool captioned;
    };
    const auto plu5 = 4 * plu::kRecordSize;
    const auto app = program.app;
    const std::vector<Case> cases{
        {"one price", ".plu", plu5 + 37, {0x99, 0x19}, "plu", 5, "price1", false},
        {"a flag option with a caption", ".app", ApplicationBlock::flagOffset(64),
         {static_cast<std::uint8_t>(app.flag(64) ^ 1)}, "application", 0, "flag 64 option 1", true},
        {"a flag option no dialog shows", ".app", ApplicationBlock::flagOffset(150),
         {static_cast<std::uint8_t>(app.flag(150) ^ 0x80)}, "application", 0, "flag 150 option 8", false},
        {"a count", ".app", appblock::kDepartment.count + 1,
         {static_cast<std::uint8_t>(app.u8(appblock::kDepartment.count + 1) ^ 1)}, "application", 0,
         "department count", false},
        {"a text entry", ".txt", textblock::sectionInfo(TextSection::ReceiptHeader).offset + 48, {'Z'}, "text", 0,
         "receipt header 2", false},
        {"a field of a later layout", ".tnd", 30 + 7, {0xAB}, "tender", 2, "presetAmount", false},
        {"a kind without a layout", ".con", 40, {0xAB}, "condiment", 1, "byte 40", false},
    };
    for (const auto& c : cases) {
        const auto before = fileBytes(copy.file(c.extension));
        patch(c.extension, c.offset, c.bytes);
        const auto d = diffPrograms(program, copy);
        ASSERT_EQ(d.size(), 1u) << c.what << "\n" << diffText(d);
        EXPECT_EQ(d[0].area, c.area) << c.what;
        EXPECT_EQ(d[0].record, c.record) << c.what;
        EXPECT_EQ(d[0].item, c.item) << c.what;
        EXPECT_EQ(!d[0].caption.empty(), c.captioned) << c.what;
        EXPECT_NE(d[0].a, d[0].b) << c.what;
        writeBytes(copy.file(c.extension), before);
        copy = ProgramImage::read(copy.appPath);
    }
}

TEST_F(ProgramDiffTest, ListNumbersReadAsTheEditorNumbersThem) {
    patch(".plu", 4 * plu::kRecordSize + plu::kDepartment, {2, 0});  // the index of department 3
    const auto d = diffPrograms(program, copy);
    ASSERT_EQ(d.size(), 1u) << diffText(d);
    EXPECT_EQ(d[0].item, "department");
    EXPECT_EQ(d[0].b, "3");
}

TEST_F(ProgramDiffTest, RecordsOnlyOneSideHasAreListed) {
    copy.app.setKindCount(appblock::kGroup, 4);
    writeBytes(copy.appPath, {copy.app.bytes().begin(), copy.app.bytes().end()});
    const auto d = diffPrograms(program, copy);
    ASSERT_EQ(d.size(), 2u) << diffText(d);
    EXPECT_EQ(d[0].item, "group count");
    EXPECT_EQ(d[1].area, "group");
    EXPECT_EQ(d[1].record, 5u);
    EXPECT_EQ(d[1].a, "present");
    EXPECT_EQ(d[1].b, "");
}

}  // namespace
}  // namespace tramond::testing
