#include <gtest/gtest.h>

#include <string>

#include "program/file_io.h"
#include "program/setup_counts.h"
#include "program/setup_plu.h"
#include "program/sizing.h"
#include "setup_fixture.h"

using namespace tramond;

namespace {

class SetupCountsTest : public tramond::testing::SetupFixture {
protected:
    std::string descriptorNumber(RecordKind kind, std::uint32_t n, std::size_t at) const {
        const auto bytes = readFile(session.file(kindInfo(kind).extension));
        const auto size = kindInfo(kind).recordSize;
        std::string s;
        for (std::size_t i = (n - 1) * size + at; i < n * size && bytes[i] != 0; ++i) s += static_cast<char>(bytes[i]);
        return s;
    }
};

TEST(Enter2NumbersTest, LabelsAndKeyRule) {
    EXPECT_EQ(Enter2Numbers::numberLabel("Number", "Max.", 499), "Number (Max. 499):");
    EXPECT_EQ(Enter2Numbers::captionSizeLabel("Caption Size :   ", "Char. ", "Max.", 24),
              "Caption Size :    (Char.  Max. 24):");
    Enter2Numbers dlg(499, 10);
    EXPECT_EQ(dlg.initialText(), "10");
    EXPECT_TRUE(dlg.acceptsText(""));
    EXPECT_TRUE(dlg.acceptsText("0"));
    EXPECT_TRUE(dlg.acceptsText("499"));
    EXPECT_FALSE(dlg.acceptsText("500"));
    EXPECT_FALSE(dlg.acceptsText("-1"));
    EXPECT_FALSE(dlg.acceptsText("4a"));
    EXPECT_FALSE(dlg.acceptsText("99999999999999999999999"));
}

TEST(Enter2NumbersTest, OkTurnsEmptyIntoZeroAndRefusesBadText) {
    Enter2Numbers dlg(99, 3);
    EXPECT_FALSE(dlg.confirm("100"));
    EXPECT_FALSE(dlg.confirmed());
    EXPECT_TRUE(dlg.confirm(""));
    EXPECT_TRUE(dlg.confirmed());
    EXPECT_EQ(dlg.number(), 0u);
}

TEST_F(SetupCountsTest, ZeroBecomesOneOnlyForGroupsAndDepartments) {
    applyCount(session, CountItem::Groups, 0u);
    EXPECT_EQ(currentCount(session.app, CountItem::Groups), 1u);
    applyCount(session, CountItem::Departments, 0u);
    EXPECT_EQ(currentCount(session.app, CountItem::Departments), 1u);
    applyCount(session, CountItem::Modifiers, 0u);
    EXPECT_EQ(currentCount(session.app, CountItem::Modifiers), 0u);
    applyCount(session, CountItem::Condiments, 0u);
    EXPECT_EQ(currentCount(session.app, CountItem::Condiments), 0u);
}

TEST_F(SetupCountsTest, WithoutProgramOnlyTheBlockChanges) {
    const auto before = recomputeSizes(session.app);
    const auto out = applyCount(session, CountItem::Departments, 300u);
    EXPECT_EQ(out.appended, 0u);
    EXPECT_EQ(session.app.u16(1059), 300);
    EXPECT_GT(out.memory.bytes, before.bytes);
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(SetupCountsTest, LoweringNeverShortensAndRaisingAddsOnlyMissing) {
    loadProgram({RecordKind::Department});
    ASSERT_EQ(recordsIn(RecordKind::Department), 20u);
    applyCount(session, CountItem::Departments, 10u);
    EXPECT_EQ(appOnDisk().u16(1059), 10);
    EXPECT_EQ(recordsIn(RecordKind::Department), 20u);
    const auto out = applyCount(session, CountItem::Departments, 15u);
    EXPECT_EQ(out.appended, 0u);
    EXPECT_EQ(recordsIn(RecordKind::Department), 20u);
    const auto more = applyCount(session, CountItem::Departments, 23u);
    EXPECT_EQ(more.appended, 3u);
    EXPECT_EQ(descriptorNumber(RecordKind::Department, 23, 10), "23");
}

TEST_F(SetupCountsTest, CancelStillFillsMissingRecordsButLeavesAppFile) {
    loadProgram();
    session.app.setU16(2117, 7);  // groups raised in memory only
    const auto out = applyCount(session, CountItem::Groups, std::nullopt);
    EXPECT_EQ(out.appended, 7u);
    EXPECT_EQ(recordsIn(RecordKind::Group), 7u);
    EXPECT_EQ(appOnDisk().u16(2117), 10);  // built-in count, not rewritten
}

TEST_F(SetupCountsTest, SalespersonsNeedANonzeroCountForTheirFile) {
    loadProgram();
    applyCount(session, CountItem::Salespersons, 0u);
    EXPECT_FALSE(fileExists(".sps"));
    applyCount(session, CountItem::Salespersons, 4u);
    EXPECT_EQ(recordsIn(RecordKind::Salesperson), 4u);
    EXPECT_EQ(session.app.u16(2563), session.app.u8(2565) + 2);
    EXPECT_EQ(appOnDisk().u16(2561), 4);
}

TEST_F(SetupCountsTest, PluCountRaisedAppendsNumberedRecords) {
    loadProgram({RecordKind::Plu});
    ASSERT_EQ(recordsIn(RecordKind::Plu), 420u);
    SetupPlu plu(session.app);
    std::array<std::string, 7> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = plu.text(SetupPlu::fields()[i].field);
    texts[0] = "425";
    ASSERT_FALSE(plu.store(texts));
    finishSetupPlu(session, true);
    EXPECT_EQ(recordsIn(RecordKind::Plu), 425u);
    EXPECT_EQ(appOnDisk().u16(2227), 425);
    for (std::uint32_t n = 421; n <= 425; ++n) EXPECT_EQ(descriptorNumber(RecordKind::Plu, n, 17), std::to_string(n));
    EXPECT_EQ(descriptorNumber(RecordKind::Plu, 420, 17), "420");
}

TEST_F(SetupCountsTest, AppFileWriteFailureIsReportedAndKeepsTheOldFile) {
    loadProgram();
    setWriteFaultHookForTesting([](WriteStage s, std::size_t) { return s == WriteStage::Rename; });
    EXPECT_THROW(applyCount(session, CountItem::Modifiers, 30u), FileError);
    setWriteFaultHookForTesting(nullptr);
    EXPECT_EQ(appOnDisk().u16(2163), 20);
}

}  // namespace
