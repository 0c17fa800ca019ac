// The printers dialog and its nested dialogs: the printer encodings, the
// port lists by machine, machine switching and who saves what.

#include "options/printers.h"

#include <gtest/gtest.h>

#include "options/machine_settings.h"
#include "options_fixture.h"
#include "program/file_io.h"
#include "program/machine_printer.h"
#include "program/register_config.h"

namespace tramond {
namespace {

using testing::OptionsFixture;
using Codes = std::vector<std::string>;

class PrintersTest : public OptionsFixture {
protected:
    void network(int size) {
        session_.app.set(appblock::kIndividualPrinters, true);
        session_.app.setFlag(appblock::kFlagNetworkSize, static_cast<std::uint8_t>(size));
        session_.machineNumber = 1;
        saveApp();
    }
};

TEST_F(PrintersTest, KitchenPrinterThreeFromItsThreeBytes) {
    session_.app.setFlag(78, 3);
    session_.app.setFlag(41, 0x85);
    session_.app.setFlag(42, 21);
    session_.app.setFlag(43, 0x02 | 0x70);  // bits the dialog does not own
    OptionDialog d(kpPrinterDialog(3), session_, texts_, OptionDialog::Mode::Nested);
    EXPECT_EQ(d.control("ComboBox1").value, 5);
    EXPECT_EQ(d.control("ComboBox1").items[5], "Sarema  Sprint");
    EXPECT_EQ(d.control("CheckBox1").value, 1);  // Single Ticket
    EXPECT_EQ(d.control("CheckBox2").value, 1);  // One Qty (inverted)
    EXPECT_EQ(d.control("CheckBox3").value, 0);
    EXPECT_EQ(d.control("CheckBox4").value, 0);
    EXPECT_EQ(d.control("ComboBox2").value, 2);  // machine 2
    EXPECT_EQ(d.control("ComboBox3").value, 0);  // port 1
    EXPECT_EQ(d.control("ComboBox4").value, 2);  // alternative KP 3
    EXPECT_EQ(d.control("CheckBox5").value, 1);  // Double Height (inverted)
    EXPECT_EQ(d.control("CheckBox6").value, 0);
    ASSERT_TRUE(d.setChecked("CheckBox6", true));
    ASSERT_TRUE(d.select("ComboBox3", 6));
    const auto r = d.ok();
    EXPECT_TRUE(r.close);
    EXPECT_FALSE(r.saved);  // the printers dialog saves
    EXPECT_EQ(session_.app.flag(41), 0x85);
    EXPECT_EQ(session_.app.flag(42), 27);
    EXPECT_EQ(session_.app.flag(43), 0x0A);  // rebuilt: alternative KP and the two options only
}

TEST_F(PrintersTest, PortListsFollowTheHandheldPortOfTheChosenMachine) {
    network(3);
    session_.app.setFlag(90, 0);
    // Machine 2 has the DECT module; channel 2 is a printer.
    ApplicationBlock other = session_.app;
    other.setFlag(90, 7);
    writeMachinePrinterFile(session_.programPath, 2, other);
    ConfigPart part{};
    DectTable t;
    t[1].type = static_cast<std::uint8_t>(DectType::Printer);
    setDectTable(part, t);
    RegisterConfigFile::of(session_.programPath).writePart(2, part);

    session_.app.setFlag(33, 17);  // slip on machine 1, port 7
    OptionDialog d(kpPrinterDialog(0), session_, texts_, OptionDialog::Mode::Nested);
    EXPECT_EQ(d.control("ComboBox3").items.size(), 7u);
    EXPECT_EQ(d.control("ComboBox3").value, 6);
    ASSERT_TRUE(d.select("ComboBox2", 2));
    const auto& items = d.control("ComboBox3").items;
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[3], "DECT channel 1 - not available");
    EXPECT_EQ(items[4], "DECT channel 2");
    ASSERT_TRUE(d.select("ComboBox3", 6));
    d.ok();
    EXPECT_EQ(session_.app.flag(33), 28);  // the last item is port 8 there

    EXPECT_EQ(printerPortIndex(8, true), 6);
    EXPECT_EQ(printerPortIndex(7, true), -1);
    EXPECT_EQ(printerPortIndex(7, false), 6);
    EXPECT_EQ(printerPortFromIndex(6, false), 7);
}

// Issue 26: the printers read another machine's missing ".pr" as "no DECT
// module" after creating it empty, the handheld options as flag 90. One
// rule: a missing or short file reads as the block's own values, and
// nothing is created to read it.
TEST_F(PrintersTest, AnotherMachineWithoutItsFileReadsAsTheBlocksOwnValues) {
    network(3);
    session_.app.setFlag(90, 7);
    saveApp();
    writeFileAtomic(machinePrinterFile(session_.programPath, 3), std::vector<std::uint8_t>(10, 0));  // short
    OptionDialog hub(printersDialog(), session_, texts_);
    for (int machine : {2, 3}) {
        OptionDialog d(kpPrinterDialog(1), session_, texts_, OptionDialog::Mode::Nested, &hub);
        ASSERT_TRUE(d.select("ComboBox2", machine));
        EXPECT_EQ(d.control("ComboBox3").items.at(3).rfind("DECT channel 1", 0), 0u) << machine;
    }
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session_.programPath, 2)));
    EXPECT_EQ(readFile(machinePrinterFile(session_.programPath, 3)).size(), 10u);
    hub.cancel();
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session_.programPath, 1)));
}

TEST_F(PrintersTest, JournalTypesStoreTheWholeValue) {
    session_.app.setFlag(68, 0x23);  // stale high bits
    session_.app.setFlag(69, 0);
    OptionDialog d(journalPrinterDialog(), session_, texts_, OptionDialog::Mode::Nested);
    EXPECT_EQ(session_.app.flag(69), 1);  // a port byte of 0 becomes 1
    EXPECT_EQ(d.control("ComboBox3").value, 0);
    ASSERT_TRUE(d.select("ComboBox1", 16));
    d.ok();
    EXPECT_EQ(session_.app.flag(68), 98);
    OptionDialog again(journalPrinterDialog(), session_, texts_, OptionDialog::Mode::Nested);
    EXPECT_EQ(again.control("ComboBox1").value, 16);
    ASSERT_TRUE(again.select("ComboBox1", 4));
    again.ok();
    EXPECT_EQ(session_.app.flag(68), 4);

    OptionDialog hub(printersDialog(), session_, texts_);
    EXPECT_EQ(journalButtonCaption(hub), "&Journal: CITIZEN iDP3541F");
    session_.app.setFlag(65, 16);
    EXPECT_EQ(receiptButtonCaption(hub), "&Receipt: SMICE DOUBLE");
    session_.app.setFlag(41, 0x05);
    EXPECT_EQ(printerLine(hub, 3), "KP &3 : Active");
    EXPECT_EQ(printerLine(hub, 0), "&Slip: Not Used");
}

TEST_F(PrintersTest, SwitchingMachinesSavesTheCurrentAndLoadsTheOther) {
    network(3);
    ApplicationBlock two = session_.app;
    two.setFlag(65, 9);
    two.setOption(59, 3, true);
    writeMachinePrinterFile(session_.programPath, 2, two);

    OptionDialog hub(printersDialog(), session_, texts_);
    ASSERT_TRUE(hub.setChecked("CheckBox3", true));  // flag 59 option 4, machine 1's
    session_.app.setFlag(65, 3);                      // as a nested dialog would
    EXPECT_FALSE(switchPrinterMachine(hub, 2));
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session_.programPath, 1)));  // until OK
    EXPECT_EQ(session_.machineNumber, 2);
    EXPECT_EQ(session_.app.flag(65), 9);
    EXPECT_EQ(hub.control("CheckBox2").value, 1);  // refilled from machine 2
    EXPECT_EQ(hub.control("CheckBox3").value, 0);
    EXPECT_FALSE(switchPrinterMachine(hub, 1));    // back: machine 1's values as left
    EXPECT_EQ(session_.app.flag(65), 3);
    EXPECT_FALSE(switchPrinterMachine(hub, 2));

    session_.app.setFlag(65, 10);
    const auto r = hub.ok();
    EXPECT_TRUE(r.saved);
    const auto pr1 = readFile(machinePrinterFile(session_.programPath, 1));
    ASSERT_EQ(pr1.size(), 62u);
    EXPECT_EQ(pr1[43], 3);  // flag 65
    EXPECT_EQ(pr1[40], 1);  // flag 59 option 4
    EXPECT_EQ(readFile(machinePrinterFile(session_.programPath, 2))[43], 10);
    EXPECT_EQ(updateLines(), Codes{"000000002"});
}

TEST_F(PrintersTest, ANetworkOfOneSavesNoMachineFile) {
    session_.app.set(appblock::kIndividualPrinters, true);
    session_.app.setFlag(appblock::kFlagNetworkSize, 1);
    saveApp();
    OptionDialog hub(printersDialog(), session_, texts_);
    ASSERT_TRUE(hub.select("ComboBox3", 4));
    EXPECT_TRUE(hub.ok().saved);
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session_.programPath, 1)));
    EXPECT_EQ(session_.app.flag(34) & 0x0F, 4);
}

TEST_F(PrintersTest, PreparationTimeControlsFollowKpTimeActive) {
    OptionDialog d(prepTimeDialog(), session_, texts_, OptionDialog::Mode::Nested);
    EXPECT_EQ(d.control("CBFlag121opt3").caption, texts_.text(1013) + " 3");
    EXPECT_FALSE(d.setChecked("CBFlag121opt3", true));
    ASSERT_TRUE(d.setChecked("CBFlag122opt1", true));
    ASSERT_TRUE(d.setChecked("CBFlag121opt3", true));
    ASSERT_TRUE(d.setChecked("CBFlag122opt5", true));
    d.ok();
    EXPECT_EQ(session_.app.flag(121), 0x04);
    EXPECT_EQ(session_.app.flag(122), 0x11);
}

}  // namespace
}  // namespace tramond
