#include <gtest/gtest.h>

#include "options/enter_a_number.h"
#include "options/network.h"
#include "program/setup_fixture.h"
#include "program/setup_graph_logo.h"

using namespace tramond;

namespace {

class NetworkSizeTest : public tramond::testing::SetupFixture {};

TEST_F(NetworkSizeTest, OneSwitchesIndividualPrintersOffAndMachineToZero) {
    loadProgram();
    session.app.setU8(kIndividualSettingsByte, 0x03);
    session.machineNumber = 1;
    NetworkSize dlg(session);
    EXPECT_FALSE(dlg.acceptsText("25"));
    EXPECT_TRUE(dlg.acceptsText(""));
    const auto r = dlg.confirm("1");
    EXPECT_TRUE(r.confirmed);
    EXPECT_FALSE(r.individualEntriesEnabled);
    EXPECT_EQ(session.machineNumber, 0);
    EXPECT_EQ(r.statusText, "Settings for machine :  0");
    EXPECT_EQ(appOnDisk().flag(78), 1);
    EXPECT_EQ(appOnDisk().u8(kIndividualSettingsByte), 0x01);  // keyboards kept
}

TEST_F(NetworkSizeTest, TwoMakesMachineOneAndEmptyCountsAsZero) {
    NetworkSize dlg(session);
    auto r = dlg.confirm("2");
    EXPECT_TRUE(r.individualEntriesEnabled);
    EXPECT_EQ(session.machineNumber, 1);
    EXPECT_EQ(session.app.flag(78), 2);
    r = dlg.confirm("");
    EXPECT_EQ(session.app.flag(78), 0);
    EXPECT_EQ(session.machineNumber, 0);
    r = dlg.confirm("30");
    EXPECT_FALSE(r.confirmed);
    EXPECT_EQ(session.app.flag(78), 0);
}

TEST(EnterANumberTest, LimitAndEmptyBox) {
    EnterANumber limited("c", "l", "3", 24);
    EXPECT_TRUE(limited.acceptsText(""));
    EXPECT_TRUE(limited.acceptsText("24"));
    EXPECT_FALSE(limited.acceptsText("25"));
    EXPECT_FALSE(limited.acceptsText("-1"));
    EXPECT_TRUE(limited.confirm(""));
    EXPECT_EQ(limited.number(), 0);
    EnterANumber open("c", "l", "", 0);
    EXPECT_TRUE(open.acceptsText("123456"));
    EXPECT_FALSE(open.acceptsText("99999999999999999999"));  // would overflow
}

TEST_F(NetworkSizeTest, RegisterNumberZeroKeepsOnlyThePortDigits) {
    loadProgram();
    session.app.setFlag(16, 5);
    session.app.setFlag(45, 23);   // a kitchen printer on machine 2, port 3
    session.app.setFlag(66, 11);
    session.app.setFlag(69, 7);
    session.app.setFlag(34, 23);   // not a machine-and-port byte
    const auto entry = makeNumberingEntry(session.app, RegisterNumbering::Register, "Register #  :  0");
    EXPECT_EQ(entry.initialText(), "5");
    EXPECT_EQ(entry.maxLength(), 2);
    storeRegisterNumbering(session, RegisterNumbering::Register, 0);
    const auto disk = appOnDisk();
    EXPECT_EQ(disk.flag(16), 0);
    EXPECT_EQ(disk.flag(45), 3);
    EXPECT_EQ(disk.flag(66), 1);
    EXPECT_EQ(disk.flag(69), 7);
    EXPECT_EQ(disk.flag(34), 23);
    EXPECT_EQ(disk.flag(33), 1);  // built-in slip port stays
}

TEST_F(NetworkSizeTest, NonzeroRegisterAndLocationLeavePortsAlone) {
    session.app.setFlag(45, 23);
    storeRegisterNumbering(session, RegisterNumbering::Register, 4);
    storeRegisterNumbering(session, RegisterNumbering::Location, 24);
    EXPECT_EQ(session.app.flag(16), 4);
    EXPECT_EQ(session.app.flag(15), 24);
    EXPECT_EQ(session.app.flag(45), 23);
    storeRegisterNumbering(session, RegisterNumbering::Location, 25);  // refused
    EXPECT_EQ(session.app.flag(15), 24);
}

}  // namespace
