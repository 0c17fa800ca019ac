#include <gtest/gtest.h>

#include "options/time_zones.h"
#include "program/setup_fixture.h"

using namespace tramond;
using Edit = TimeZones::Edit;

namespace {

class TimeZonesTest : public tramond::testing::SetupFixture {
protected:
    void SetUp() override {
        SetupFixture::SetUp();
        session.app.setU16(TimeZones::kCountOffset, 48);
    }
};

TEST(TimeZonesPackTest, DigitsPackFromTheRight) {
    EXPECT_EQ(TimeZones::packStartTime("830"), 0x0830);
    EXPECT_EQ(TimeZones::packStartTime("2400"), 0x2400);
    EXPECT_EQ(TimeZones::packStartTime("08:30"), 0x0830);
    EXPECT_EQ(TimeZones::packStartTime("5"), 0x0005);
    EXPECT_EQ(TimeZones::packStartTime(""), 0);
}

TEST_F(TimeZonesTest, CellsShowStoredValuesAndNotUsedBeyond24) {
    session.app.setU16(TimeZones::kStartTimes + 2, 0x1745);  // zone 2
    session.app.setU8(TimeZones::kPriceLevels + 1, 3);
    session.app.setU8(TimeZones::kArticleLevels + 23, 200);  // zone 24
    TimeZones tz(session);
    EXPECT_EQ(tz.zoneCount(), 48);
    EXPECT_EQ(tz.cell(1, 0), "Start Zone  2");
    EXPECT_EQ(tz.cell(1, 1), "1745");
    EXPECT_EQ(tz.cell(1, 2), "3");
    EXPECT_EQ(tz.cell(23, 3), "200");
    EXPECT_EQ(tz.cell(24, 2), "Not Used");
    EXPECT_EQ(tz.cell(24, 3), "Not Used");
    session.app.setU16(TimeZones::kStartTimes + 48, 0x0905);  // zone 25
    EXPECT_EQ(tz.cell(24, 1), "0905");
}

TEST_F(TimeZonesTest, StartTimeUpTo2400) {
    loadProgram();
    TimeZones tz(session);
    EXPECT_EQ(tz.setCell(0, 1, "2400"), Edit::Stored);
    EXPECT_EQ(session.app.u16(TimeZones::kStartTimes), 0x2400);
    EXPECT_EQ(tz.setCell(0, 1, "2401"), Edit::WrongInput);
    EXPECT_EQ(session.app.u16(TimeZones::kStartTimes), 0x2400);
    EXPECT_EQ(tz.setCell(0, 1, "8x"), Edit::WrongInput);
    EXPECT_EQ(tz.setCell(0, 1, ""), Edit::Ignored);
    EXPECT_EQ(tz.setCell(30, 1, "830"), Edit::Stored);  // zones beyond 24 keep a start time
    EXPECT_EQ(session.app.u16(TimeZones::kStartTimes + 60), 0x0830);
    EXPECT_TRUE(session.updateList().lines().empty());  // marked with the write on OK
    tz.confirm();
    EXPECT_EQ(session.updateList().lines(), std::vector<std::string>{"000000007"});
}

TEST_F(TimeZonesTest, LevelsAndNotUsedZones) {
    loadProgram();
    TimeZones tz(session);
    const auto before = session.app;
    EXPECT_EQ(tz.setCell(24, 2, "3"), Edit::NotUsed);
    EXPECT_EQ(tz.setCell(24, 3, "3"), Edit::NotUsed);
    EXPECT_EQ(session.app, before);
    EXPECT_TRUE(session.updateList().lines().empty());
    EXPECT_EQ(tz.setCell(2, 2, "5"), Edit::WrongInput);
    EXPECT_EQ(tz.setCell(2, 2, "4"), Edit::Stored);
    EXPECT_EQ(tz.setCell(2, 3, "255"), Edit::Stored);
    EXPECT_EQ(tz.setCell(2, 3, "256"), Edit::WrongInput);
    EXPECT_EQ(session.app.u8(TimeZones::kPriceLevels + 2), 4);
    EXPECT_EQ(session.app.u8(TimeZones::kArticleLevels + 2), 255);
    tz.confirm();
    EXPECT_EQ(session.updateList().lines(), std::vector<std::string>{"000000080"});
    EXPECT_EQ(appOnDisk().u8(TimeZones::kArticleLevels + 2), 255);

    // Closing without OK leaves the block as it was.
    TimeZones closed(session);
    const auto saved = session.app;
    EXPECT_EQ(closed.setCell(3, 2, "1"), Edit::Stored);
    closed.cancel();
    EXPECT_EQ(session.app, saved);
}

TEST_F(TimeZonesTest, ACorruptCountStaysInsideTheTable) {
    session.app.setU16(TimeZones::kCountOffset, 500);
    TimeZones tz(session);
    EXPECT_EQ(tz.zoneCount(), TimeZones::kMaxZones);
    EXPECT_EQ(tz.setCell(48, 1, "100"), Edit::Ignored);
    EXPECT_EQ(session.app.u16(2561), 0);  // salesperson count untouched
}

}  // namespace
