#include "printing/report_setup.h"

#include <gtest/gtest.h>

#include "options/options_fixture.h"
#include "program/sizing.h"

namespace tramond {
namespace {

namespace ab = appblock;
using testing::OptionsFixture;

TEST(ReportSizes, DigitsAreRoundedUpToWholeBytesAndTooManyStoreNothing) {
    struct Case {
        const char* typed;
        const char* shown;
        int bytes;
    };
    for (const auto& c : {Case{"5", "6", 3}, Case{"17", "0", 0}, Case{"", "0", 0}, Case{"16", "16", 8},
                          Case{"1", "2", 1}, Case{"0", "0", 0}}) {
        const auto e = sizeEntry(c.typed);
        EXPECT_EQ(e.shown, c.shown) << c.typed;
        EXPECT_EQ(e.bytes, c.bytes) << c.typed;
    }
    for (const char* t : {"17", "a", "1x", "100"}) EXPECT_FALSE(sizeTextAccepted(t)) << t;
    for (const char* t : {"", "0", "16", "9"}) EXPECT_TRUE(sizeTextAccepted(t)) << t;

    TotalizerSet s;
    s.sizes = {3, 0, 2, 0, 0, 0};
    EXPECT_EQ(bytesPerTotal(s), 6);
    s.sizes = {};
    EXPECT_EQ(bytesPerTotal(s), 0);
}

class SystemReports : public OptionsFixture {
protected:
    void clearSets(const ab::KindHeaderLayout& h) {
        for (int t = 0; t < ab::kTotalizerSetCount; ++t) session_.app.setTotalizerSet(h, t, {});
    }
};

TEST_F(SystemReports, DepartmentTotalsGrowTheRecordAndMoveTheMemoryMap) {
    auto& app = session_.app;
    app.setKindCount(ab::kDepartment, 31);
    app.setKindCount(ab::kPlu, 100);
    clearSets(ab::kDepartment);
    ApplicationBlock before = app;
    recomputeSizes(before);

    SystemReportsEditor editor(app, texts_);
    editor.selectFile(2);
    ASSERT_EQ(reportFiles()[2].header, &ab::kDepartment);
    editor.setPeriod(0, true);
    editor.setPeriod(1, true);
    EXPECT_EQ(editor.leaveSize(TotalSize::Counter, "2"), "2");
    EXPECT_EQ(editor.leaveSize(TotalSize::Quantity, "6"), "6");
    EXPECT_EQ(editor.leaveSize(TotalSize::Amount, "10"), "10");
    EXPECT_EQ(editor.set().bytesPerTotal, 1 + 3 + 5 + 1);
    EXPECT_EQ(editor.periodCaption(), "Periods    :    2");
    recomputeSizes(app);

    EXPECT_EQ(app.kindRecordLength(ab::kDepartment), before.kindRecordLength(ab::kDepartment) + 20);
    EXPECT_EQ(app.memorySlot(3), before.memorySlot(3) + 31 * 20);    // PLUs come after departments
    EXPECT_EQ(app.memorySlot(21), before.memorySlot(21) + 31 * 20);  // end of used memory
    EXPECT_EQ(app.memorySlot(2), before.memorySlot(2));              // departments themselves do not move
}

TEST_F(SystemReports, TaxTotalsKeepTheCostByteEqualToTheAmount) {
    auto& app = session_.app;
    clearSets(ab::kTax);
    SystemReportsEditor editor(app, texts_);
    editor.selectType(3);
    editor.selectFile(kTaxTotalsFile);
    EXPECT_FALSE(editor.sizeEnabled(TotalSize::Counter));
    EXPECT_EQ(editor.leaveSize(TotalSize::Counter, "8"), "0");  // disabled boxes store nothing
    editor.leaveSize(TotalSize::Amount, "10");
    const auto o = ApplicationBlock::totalizerSetOffset(ab::kTax, 3);
    EXPECT_EQ(app.u8(o + 4), 5);
    EXPECT_EQ(app.u8(o + 7), 5);
    EXPECT_EQ(app.u8(o + 1), 11);
}

TEST_F(SystemReports, CountsAndCaptionsFollowEveryChange) {
    auto& app = session_.app;
    for (const auto& f : reportFiles()) clearSets(*f.header);
    SystemReportsEditor editor(app, texts_);
    EXPECT_EQ(countActiveTotals(app, 0), 0);
    editor.selectType(1);
    editor.selectFile(4);  // Tender
    editor.setPeriod(2, true);
    EXPECT_EQ(countActiveTotals(app, 0), 0);  // a period without any size keeps nothing
    EXPECT_EQ(editor.fileItems()[4], "Tender       :   No");
    editor.leaveSize(TotalSize::Amount, "3");
    editor.setPeriod(3, true);
    EXPECT_EQ(countActiveTotals(app, 2), 2);
    EXPECT_EQ(countActiveTotals(app, 1), 0);
    EXPECT_EQ(countActiveTotals(app, 0), 2);
    EXPECT_EQ(editor.fileItems()[4], "Tender       :   Yes");
    EXPECT_EQ(editor.typeItems()[1], "Clerk Reports         2");
    EXPECT_EQ(editor.groupCaption(), "System Reports     :     2");

    app.setKindCount(ab::kSalesperson, 3);
    EXPECT_EQ(editor.typeItems()[4].substr(0, 22), "Salesperson Reports   ");
}

TEST_F(SystemReports, ClosingMarksTheKindHeadersThatChangedEvenWhenTheMapStays) {
    auto& app = session_.app;
    clearSets(ab::kGroup);
    recomputeSizes(app);
    saveApp();
    const ApplicationBlock snapshot = app;
    SystemReportsEditor editor(app, texts_);
    editor.selectFile(1);  // Groups: a period on a set of size 0
    editor.setPeriod(0, true);
    recomputeSizes(app);
    ASSERT_EQ(app.memorySlot(21), snapshot.memorySlot(21));

    const auto marked = saveApplicationChange(session_);
    EXPECT_EQ(marked, std::vector<std::uint16_t>{4000});
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000004000"});
    EXPECT_TRUE(appOnDiskEquals(app));

    EXPECT_TRUE(saveApplicationChange(session_).empty());  // nothing changed: nothing marked
}

// --- user reports ---------------------------------------------------------------

class UserReports : public OptionsFixture {};

TEST_F(UserReports, SectionsAreAppendedAndRemovedWithTheRestMovingUp) {
    UserReportEditor r(session_, 4);
    for (int row : {2, 5, 9}) r.toggleSection(row);
    r.toggleSection(5);
    r.toggleSection(5);
    EXPECT_EQ(r.linkedSections(), (std::vector<int>{3, 10, 6}));
    r.toggleSection(2);
    EXPECT_EQ(r.linkedSections(), (std::vector<int>{10, 6}));
    EXPECT_EQ(r.sectionPosition(5), 2);
    EXPECT_EQ(r.sectionPosition(2), std::nullopt);
    for (int i = 0; i < kUserReportSections; ++i) r.toggleSection(i);
    EXPECT_EQ(r.linkedSections().size(), 13u);  // 10 and 6 went out, the 13 others came in
}

TEST_F(UserReports, OkStoresTheFieldsAndMarksTheReportsBlockOnly) {
    UserReportEditor r(session_, 5);
    r.setTitle("WEEKLY FOOD SALES AND DRINKS");  // more than 23 characters
    r.setOption(3, false);                       // Z-count unticked
    r.setOption(0, true);
    r.setPrintOption(1, true);
    r.setReportType(2);
    r.setPeriod(3);
    r.toggleSection(14);
    const auto result = r.ok();

    const std::size_t o = ab::kUserReports + 46 * 4;
    const auto& app = session_.app;
    EXPECT_TRUE(app.u16(o) & 0x08);
    EXPECT_TRUE(app.u16(o) & 0x01);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&app.bytes()[o + 2]), 23), "WEEKLY FOOD SALES AND D");
    EXPECT_EQ(app.u8(o + 25), 0);
    EXPECT_TRUE(app.u8(o + 26) & 0x02);
    EXPECT_EQ(app.u8(o + 28), 3);
    EXPECT_EQ(app.u8(o + 29), 2);
    EXPECT_EQ(app.u8(o + 30), 15);
    EXPECT_TRUE(result.changed);
    EXPECT_EQ(result.marked, std::vector<std::uint16_t>{22});
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000022"});
    EXPECT_TRUE(appOnDiskEquals(app));
}

TEST_F(UserReports, CancelAndUnchangedOkLeaveEverythingAlone) {
    const ApplicationBlock before = session_.app;
    {
        UserReportEditor r(session_, 1);
        r.toggleSection(0);
        r.setOption(3, !r.option(3));
    }  // closed without OK
    EXPECT_EQ(session_.app, before);

    UserReportEditor r(session_, 9);
    r.toggleSection(7);
    r.toggleSection(7);
    const auto result = r.ok();
    EXPECT_FALSE(result.changed);
    EXPECT_TRUE(result.marked.empty());
    EXPECT_FALSE(std::filesystem::exists(session_.file(".upd")));
}

TEST_F(UserReports, UnknownBitsAndValuesAreKept) {
    const std::size_t o = ab::kUserReports;
    session_.app.setU16(o, 0xFE20);   // bits 5 and 9..15
    session_.app.setU8(o + 27, 0x5A);
    session_.app.setU8(o + 29, 7);    // no such type
    UserReportEditor r(session_, 1);
    EXPECT_EQ(r.reportType(), -1);
    r.setOption(0, true);
    r.ok();
    EXPECT_EQ(session_.app.u16(o), 0xFE21);
    EXPECT_EQ(session_.app.u8(o + 27), 0x5A);
    EXPECT_EQ(session_.app.u8(o + 29), 7);
}

}  // namespace
}  // namespace tramond
