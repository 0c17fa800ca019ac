// The serial ports dialog: port bytes, the status of each port, the DECT
// channel table and the Tovik reset.

#include "options/register_ports.h"

#include <gtest/gtest.h>

#include "options_fixture.h"

namespace tramond {
namespace {

using testing::OptionsFixture;
using Codes = std::vector<std::string>;

TEST(PortStatus, DevicesAndConflictsPerPort) {
    ApplicationBlock app;
    app.setFlag(21, 1);
    app.setFlag(27, 15);  // 8,N,1 at 38400
    auto r = portStatus(app, 9600);
    EXPECT_EQ(r.ports[0].text, "Computer - Check baud rate!");
    EXPECT_TRUE(r.ports[0].conflict);
    EXPECT_TRUE(r.baudConflict);
    EXPECT_EQ(r.ports[1].text, "Not in use");
    r = portStatus(app, 38400);
    EXPECT_EQ(r.ports[0].text, "Computer");
    EXPECT_FALSE(r.anyConflict());

    // Receipt and kitchen printer on port 3 clash; slip and barcode on port
    // 4 do not.
    app.setFlag(65, 2);
    app.setFlag(66, 3);
    app.setFlag(38, 0x01);
    app.setFlag(39, 23);  // KP 2 on machine 2, port 3
    app.setFlag(32, 1);
    app.setFlag(33, 4);
    app.setFlag(31, 0x04);
    r = portStatus(app, 38400);
    EXPECT_EQ(r.ports[2].text, "Receipt Printer, Kitchen Printer");
    EXPECT_TRUE(r.ports[2].conflict);
    EXPECT_EQ(r.ports[3].text, "Slip Printer, Barcode Reader");
    EXPECT_FALSE(r.ports[3].conflict);

    // Receipt type 16 has 0 in its low four bits and is a printer all the same.
    app.setFlag(65, 16);
    EXPECT_TRUE(portStatus(app, 38400).ports[2].conflict);
    app.setFlag(65, 0);
    EXPECT_FALSE(portStatus(app, 38400).ports[2].conflict);

    // Display with printer is exclusive-checked, a plain display clashes with
    // anything used; a drawer printer never shares with a display.
    ApplicationBlock d;
    d.setFlag(84, 25);  // ICD 2002 + Printer on port 5
    d.setFlag(111, 5);  // EFT, no check
    EXPECT_FALSE(portStatus(d, 38400).ports[4].conflict);
    d.setFlag(87, 5);
    EXPECT_TRUE(portStatus(d, 38400).ports[4].conflict);
    d.setFlag(87, 0);
    d.setFlag(66, 5);
    d.setFlag(65, 1);
    d.setFlag(84, 15);  // ICD 2002 after a receipt printer
    EXPECT_TRUE(portStatus(d, 38400).ports[4].conflict);
}

class RegisterPortsTest : public OptionsFixture {};

TEST_F(RegisterPortsTest, PortBytesAreWordFormatTimesTenPlusBaud) {
    session_.app.setFlag(27, 15);
    RegisterPortsDialog d(session_, texts_, 38400);
    EXPECT_TRUE(d.takeMessages().empty());
    EXPECT_EQ(baudItems(texts_)[static_cast<std::size_t>(d.baud(1))], "38400");
    EXPECT_EQ(wordFormatItems(texts_)[static_cast<std::size_t>(d.wordFormat(1))], "8,N,1");
    d.setWordFormat(1, 9);
    d.setBaud(1, 3);
    EXPECT_EQ(session_.app.flag(27), 93);  // at once
    d.setBaud(5, 4);
    EXPECT_EQ(session_.app.flag(97), 4);
    EXPECT_EQ(portSettingFlag(7), 99);
    const auto r = d.ok();
    EXPECT_TRUE(r.close && r.saved);
    EXPECT_EQ(updateLines(), Codes{"000000002"});
}

TEST_F(RegisterPortsTest, ABaudMismatchOnTheComputerPortIsReportedOnOpening) {
    session_.app.setFlag(21, 1);
    session_.app.setFlag(27, 15);
    RegisterPortsDialog d(session_, texts_, 9600);
    const auto m = d.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_NE(m[0].text.find("Conflict in baud rate settings"), std::string::npos);
    EXPECT_TRUE(d.status().ports[0].conflict);
}

TEST_F(RegisterPortsTest, DectChannelsAsComputerPortAndInTheConfigurationFile) {
    RegisterPortsDialog d(session_, texts_, 38400);
    EXPECT_TRUE(RegisterConfigFile::of(session_.programPath).exists());  // created on opening
    EXPECT_EQ(d.computerPortItems().back(), "7");
    d.setDectModule(true);
    d.setDectType(4, 3);  // PC
    auto items = d.computerPortItems();
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[4], "DECT channel 1 - not available");
    EXPECT_EQ(items[7], "DECT channel 4");
    d.setComputerPort(7);
    EXPECT_EQ(session_.app.flag(21), 1);  // on OK
    // No longer a PC channel: the user is warned.
    d.setDectType(4, 2);
    auto m = d.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "Defined computer port is not available anymore, please chose other port!");
    d.setDectType(4, 3);

    EXPECT_FALSE(d.setDectId(1, "12345678901x"));
    EXPECT_FALSE(d.setDectId(1, "1234567890123"));
    ASSERT_TRUE(d.setDectId(1, "12345"));
    auto r = d.ok();
    EXPECT_FALSE(r.close);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(r.message->text, "ID number has to be 12 digits long!");
    EXPECT_EQ(r.message->focus, "EdtDPort1Id");
    ASSERT_TRUE(d.setDectId(1, "123456789012"));
    r = d.ok();
    EXPECT_TRUE(r.close);
    EXPECT_EQ(session_.app.flag(90), 7);
    EXPECT_EQ(session_.app.flag(21), 8);
    const auto part = RegisterConfigFile::of(session_.programPath).readPart(1);
    EXPECT_EQ(dectTable(part)[0].id, "123456789012");
    EXPECT_EQ(part[55], 3);
    EXPECT_EQ(updateLines(), (Codes{"000000002", "000000111"}));
}

TEST_F(RegisterPortsTest, TovikChannelsAreResetWithVariablePbNumbersAndTheResetIsSent) {
    session_.app.set(appblock::kIndividualPrinters, true);
    session_.app.setFlag(appblock::kFlagNetworkSize, 2);
    session_.app.setOption(19, 3, true);
    session_.machineNumber = 1;
    saveApp();
    const auto file = RegisterConfigFile::of(session_.programPath);
    file.ensure();
    ConfigPart part{};
    DectTable t;
    t[2].type = static_cast<std::uint8_t>(DectType::Tovik);
    setDectTable(part, t);
    file.writePart(2, part);  // on the other machine; this one's table is untouched

    RegisterPortsDialog d(session_, texts_, 38400);
    const auto r = d.ok();
    EXPECT_TRUE(r.close);
    const auto m = d.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text.rfind("DECT Channels set for Tovik ignored, to use Tovik:\n- flag \"", 0), 0u);
    EXPECT_NE(m[0].text.find("General|PB Options"), std::string::npos);
    EXPECT_EQ(dectTable(file.readPart(2))[2].type, 0);
    EXPECT_EQ(updateLines(), Codes{"000000111"});
}

TEST_F(RegisterPortsTest, ChangingTheMachineSavesItsChannelsAndShowsTheOther) {
    session_.app.set(appblock::kIndividualPrinters, true);
    session_.app.setFlag(appblock::kFlagNetworkSize, 3);
    session_.machineNumber = 1;
    saveApp();
    RegisterPortsDialog d(session_, texts_, 38400);
    ASSERT_EQ(d.machineItems().size(), 3u);
    EXPECT_EQ(d.machineIndex(), 0);
    d.setBaud(2, 5);
    ASSERT_TRUE(d.setDectId(2, "111111111111"));
    const auto file = RegisterConfigFile::of(session_.programPath);
    const auto chk = readFile(file.path());
    d.chooseMachine(2);
    EXPECT_EQ(session_.machineNumber, 3);
    EXPECT_TRUE(d.dectChannels()[1].id.empty());
    EXPECT_EQ(readFile(file.path()), chk);  // nothing written before OK
    d.chooseMachine(0);
    EXPECT_EQ(d.dectChannels()[1].id, "111111111111");  // as left
    d.chooseMachine(2);
    ASSERT_TRUE(d.ok().close);
    EXPECT_EQ(dectTable(file.readPart(1))[1].id, "111111111111");
    EXPECT_EQ(readFile(session_.file(".pr1"))[8], 15);  // flag 28: 8,N,1 now at 38400
    EXPECT_EQ(updateLines(), (Codes{"000000002", "000000111"}));

    // Cancel leaves the files and the machine as they were.
    const auto pr1 = readFile(session_.file(".pr1"));
    const auto chkNow = readFile(file.path());
    RegisterPortsDialog again(session_, texts_, 38400);
    again.setBaud(2, 1);
    ASSERT_TRUE(again.setDectId(3, "222222222222"));
    again.chooseMachine(0);
    again.cancel();
    EXPECT_EQ(session_.machineNumber, 3);
    EXPECT_EQ(readFile(session_.file(".pr1")), pr1);
    EXPECT_EQ(readFile(file.path()), chkNow);
}

}  // namespace
}  // namespace tramond
