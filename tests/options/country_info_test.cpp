#include <gtest/gtest.h>

#include "options/country.h"
#include "program/setup_fixture.h"

using namespace tramond;

namespace {

class CountryInfoTest : public tramond::testing::SetupFixture {};

TEST_F(CountryInfoTest, AmountItemFollowsFlagsBothWays) {
    CountryInfo c(session);
    session.app.setFlag(1, 2);
    session.app.setOption(2, 1, true);
    EXPECT_EQ(c.amountIndex(), 5);
    EXPECT_EQ(CountryInfo::amountItems()[5].fallback, "1,000.000");
    session.app.setFlag(2, 0xf0);
    for (int i = 0; i < 8; ++i) {
        c.chooseAmount(i);
        EXPECT_EQ(session.app.flag(1), i / 2);
        EXPECT_EQ(session.app.option(2, 1), i % 2 == 1);
        EXPECT_EQ(session.app.flag(2) & 0xfe, 0xf0);  // the other options stay
        EXPECT_EQ(c.amountIndex(), i);
    }
    session.app.setFlag(1, 9);
    EXPECT_EQ(c.amountIndex(), -1);
}

TEST_F(CountryInfoTest, PrefixFillsThreeFlagsAndClearsTheRest) {
    CountryInfo c(session);
    session.app.setFlag(11, 'X');
    session.app.setFlag(12, 'Y');
    session.app.setFlag(95, 'Z');
    EXPECT_EQ(c.prefix(), "XYZ");
    c.confirm("EU");
    EXPECT_EQ(session.app.flag(11), 'E');
    EXPECT_EQ(session.app.flag(12), 'U');
    EXPECT_EQ(session.app.flag(95), 0);
    EXPECT_EQ(c.prefix(), "EU");
    c.confirm("");
    EXPECT_EQ(session.app.flag(11), 0);
    c.confirm("ABCD");
    EXPECT_EQ(c.prefix(), "ABC");
}

TEST_F(CountryInfoTest, TimeAndDateWriteAtOnceAndOkWritesAndMarks) {
    loadProgram();
    CountryInfo c(session);
    c.chooseTime(1);
    EXPECT_TRUE(session.app.option(3, 1));
    c.chooseDate(2);
    EXPECT_EQ(session.app.flag(4), 2);
    EXPECT_EQ(c.dateIndex(), 2);
    c.chooseDate(3);  // not an item
    EXPECT_EQ(session.app.flag(4), 2);
    c.confirm("$");
    EXPECT_EQ(appOnDisk().flag(11), '$');
    EXPECT_EQ(appOnDisk().flag(4), 2);
    EXPECT_EQ(session.updateList().lines(), std::vector<std::string>{"000000002"});
}

}  // namespace
