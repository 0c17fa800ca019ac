// The clerk, PB, PLU, barcode, card, handheld and logo option tables, with
// the numbers their encodings must reproduce.

#include "options/flag_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "options_fixture.h"
#include "program/machine_printer.h"

namespace tramond {
namespace {

using testing::OptionsFixture;
using Codes = std::vector<std::string>;

class FlagOptionsTest : public OptionsFixture {};

TEST_F(FlagOptionsTest, ClerkNetworkSignOnLivesInFlag123AtOffset168) {
    OptionDialog d(clerkOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.control("CheckBox5").caption, "5. " + texts_.text(543) + "/" + texts_.text(691));
    ASSERT_TRUE(d.setChecked("CBFlag109opt1", true));
    ASSERT_TRUE(d.setChecked("CBFlag109opt3", true));
    ASSERT_TRUE(d.setChecked("CheckBox3", false));  // inverted
    d.ok();
    EXPECT_EQ(session_.app.u8(168), 0x05);
    EXPECT_EQ(session_.app.flag(109), 0);
    EXPECT_TRUE(session_.app.option(10, 3));
    EXPECT_EQ(updateLines(), Codes{"000000002"});
}

TEST_F(FlagOptionsTest, PbStoreTimeAndPrintableTables) {
    session_.app.setFlag(19, 0x60 | 0x01);
    session_.app.set(appblock::kPbCount, 40);
    session_.app.setOption(88, 2, true);
    session_.app.setFlag(63, 7);
    OptionDialog d(pbOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.control("ComboBox1").value, 3);
    EXPECT_EQ(d.control("ComboBox1").items[3], "Days  ");
    ASSERT_TRUE(d.select("ComboBox1", 1));  // "Minutes", written at once
    EXPECT_EQ(session_.app.flag(19), 0x21);

    EXPECT_EQ(d.control("EdtFlag63").text, "7");
    ASSERT_TRUE(d.setText("EdtFlag63", "20"));
    auto m = d.leave("EdtFlag63");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "Wrong Input!");
    EXPECT_EQ(d.control("EdtFlag63").text, "0");
    ASSERT_TRUE(d.setText("EdtFlag63", "19"));
    EXPECT_FALSE(d.leave("EdtFlag63"));
    // Typed and not left: OK refuses it too, on the box.
    ASSERT_TRUE(d.setText("EdtFlag63", "25"));
    auto r = d.ok();
    EXPECT_FALSE(r.close);
    ASSERT_TRUE(r.message);
    EXPECT_EQ(r.message->focus, "EdtFlag63");
    ASSERT_TRUE(d.setText("EdtFlag63", "19"));
    EXPECT_TRUE(d.ok().close);
    EXPECT_EQ(session_.app.flag(63), 19);

    // Unchecking "Reopen Last Table" empties and disables the count.
    OptionDialog again(pbOptionsDialog(), session_, texts_);
    ASSERT_TRUE(again.setChecked("CBFlag88opt2", false));
    EXPECT_FALSE(again.control("EdtFlag63").enabled);
    EXPECT_EQ(again.control("EdtFlag63").text, "0");
    EXPECT_FALSE(again.setText("EdtFlag63", "3"));
    again.ok();
    EXPECT_EQ(session_.app.flag(63), 0);
}

// PB records kept by code, but box 7 held them back when Setup ran, so there
// is no ".pbr": clearing box 7 makes the file with its default records,
// all marked, so Update and Clear & Install have what they now send.
TEST_F(FlagOptionsTest, ClearingTheBoxThatHeldBackThePbRecordsMakesTheirFile) {
    session_.app.setU16(2173, 3);     // PB info records
    session_.app.setU8(2175, 0x01);   // kept by code
    session_.app.setU8(2176, 0);      // no PB text
    session_.app.setOption(19, 3, true);
    saveApp();
    const auto pbr = session_.file(".pbr");
    ASSERT_FALSE(std::filesystem::exists(pbr));
    OptionDialog d(pbOptionsDialog(), session_, texts_);
    ASSERT_TRUE(d.setChecked("CheckBox7", false));
    ASSERT_TRUE(d.ok().close);
    ASSERT_TRUE(std::filesystem::exists(pbr));
    EXPECT_EQ(std::filesystem::file_size(pbr), 3u * 32);
    const auto lines = updateLines();
    for (const char* code : {"000060001", "000060002", "000060003"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), code), lines.end()) << code;
    // Held back again: nothing more is made or marked.
    session_.updateList().clear();
    OptionDialog again(pbOptionsDialog(), session_, texts_);
    ASSERT_TRUE(again.setChecked("CheckBox7", true));
    ASSERT_TRUE(again.ok().close);
    EXPECT_EQ(std::filesystem::file_size(pbr), 3u * 32);
    for (const auto& line : updateLines()) EXPECT_LT(line, "000060000") << line;
}

TEST_F(FlagOptionsTest, PbStoreTimeIsGatedByItsCaptionText) {
    texts_.setText(606, " Store Time on PB");
    OptionDialog d(pbOptionsDialog(), session_, texts_);
    EXPECT_FALSE(d.control("ComboBox1").enabled);
}

TEST_F(FlagOptionsTest, PluPrintLevelsAndShiftedArticleLevels) {
    session_.app.setFlag(25, 0xA2);  // a stored 2 is never written
    session_.app.setFlag(13, 0xF3);  // level 3 has no item
    session_.app.setOption(101, 2, true);
    OptionDialog d(pluOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.control("ComboBox1").value, 1);  // the algorithm's index for 2
    EXPECT_EQ(d.control("ComboBox2").value, -1);
    EXPECT_EQ(d.control("CBFlag102opt1").value, 1);
    d.ok();
    EXPECT_EQ(session_.app.flag(25), 0xA1);
    EXPECT_EQ(session_.app.flag(13), 0xF3);
    EXPECT_FALSE(session_.app.option(101, 2));  // stored cleared after OK
    session_.updateList().clear();

    OptionDialog e(pluOptionsDialog(), session_, texts_);
    ASSERT_TRUE(e.select("ComboBox1", 3));  // DEPART NAME
    ASSERT_TRUE(e.select("ComboBox3", 2));
    e.ok();
    EXPECT_EQ(session_.app.flag(25), 0xA4);
    EXPECT_EQ(session_.app.flag(24) & 0x03, 2);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(pluPrintIndex(pluPrintValue(i)), i);

    // Bytes outside the flag region travel in their own blocks.
    session_.updateList().clear();
    OptionDialog f(pluOptionsDialog(), session_, texts_);
    ASSERT_TRUE(f.setChecked("CheckBox4", true));
    ASSERT_TRUE(f.setText("Edit3", "200"));
    const auto r = f.ok();
    EXPECT_EQ(session_.app.u8(2569), 0x04);
    EXPECT_EQ(session_.app.u8(2649), 200);
    EXPECT_EQ(updateLines(), (Codes{"000000084", "000000093"}));
    EXPECT_TRUE(appOnDiskEquals(session_.app));
}

TEST_F(FlagOptionsTest, PluCostMixMatchNeedsTheCostPriceInTheRecord) {
    session_.app.set(appblock::kPluCostPrice, 0);
    session_.app.setOption(24, 3, true);
    OptionDialog d(pluOptionsDialog(), session_, texts_);
    EXPECT_FALSE(d.control("CheckBox1").hint.empty());
    EXPECT_FALSE(d.setChecked("CheckBox1", false));
    const auto m = d.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "To use this option you need to enable Cost Price in PLU Setup!");
    EXPECT_EQ(m[0].title, "");
    session_.app.setOption(24, 3, false);
    d.ok();
    EXPECT_FALSE(session_.app.option(24, 3));  // left unchanged, not written from the box

    session_.app.set(appblock::kPluCostPrice, 1);
    OptionDialog on(pluOptionsDialog(), session_, texts_);
    EXPECT_TRUE(on.control("CheckBox1").hint.empty());
    ASSERT_TRUE(on.setChecked("CheckBox1", true));
    on.ok();
    EXPECT_TRUE(session_.app.option(24, 3));
}

TEST_F(FlagOptionsTest, CardPortsKeepTheMachineDigitAndTheTerminalTypeMustFitItsByte) {
    session_.app.setFlag(91, 23);
    OptionDialog d(cardOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.control("ComboBox2").value, 3);
    ASSERT_TRUE(d.select("ComboBox2", 5));
    ASSERT_TRUE(d.setText("Edit1", "256"));
    ASSERT_TRUE(d.leave("Edit1"));
    ASSERT_TRUE(d.setText("Edit1", "256"));
    EXPECT_FALSE(d.ok().close);
    ASSERT_TRUE(d.setText("Edit1", "12"));
    ASSERT_TRUE(d.setChecked("CBFlag93opt7", true));
    EXPECT_TRUE(d.ok().close);
    EXPECT_EQ(session_.app.flag(91), 25);
    EXPECT_EQ(session_.app.flag(61), 12);
    EXPECT_TRUE(session_.app.option(92, 7));
    EXPECT_EQ(session_.app.flag(93), 0);
}

TEST_F(FlagOptionsTest, LogoListsShareABytePerPair) {
    session_.app.setFlag(116, 0x52);
    OptionDialog d(logoOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.control("CmbBKp3").value, 2);
    EXPECT_EQ(d.control("CmbBKp4").value, 5);
    EXPECT_EQ(d.control("CmbBKp4").items.size(), 16u);
    ASSERT_TRUE(d.select("CmbBKp3", 15));
    ASSERT_TRUE(d.select("CmbBRcpTrl", 1));
    d.ok();
    EXPECT_EQ(session_.app.flag(116), 0x5F);
    EXPECT_EQ(session_.app.flag(114), 0x10);
}

TEST_F(FlagOptionsTest, HandheldPortPerMachineIsSavedAndMarked) {
    session_.app.set(appblock::kIndividualPrinters, true);
    session_.app.setFlag(appblock::kFlagNetworkSize, 3);
    session_.machineNumber = 1;
    saveApp();
    OptionDialog d(handheldOptionsDialog(), session_, texts_);
    // Nothing is created in order to read a machine's settings.
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session_.programPath, 1)));
    ASSERT_TRUE(d.control("ComboBox2").enabled);
    EXPECT_EQ(d.control("ComboBox2").items.size(), 3u);
    ASSERT_TRUE(d.select("ComboBox1", 4));
    int told = 0;
    d.sessionChanged = [&] { ++told; };
    ASSERT_TRUE(d.select("ComboBox2", 1));  // machine 2: machine 1's port kept until OK
    EXPECT_EQ(session_.machineNumber, 2);
    EXPECT_EQ(told, 1);  // the status text follows
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session_.programPath, 1)));
    ASSERT_TRUE(d.select("ComboBox1", 2));
    const auto r = d.ok();
    EXPECT_TRUE(r.saved);
    EXPECT_EQ(readFile(machinePrinterFile(session_.programPath, 1))[55], 4);  // flag 90
    EXPECT_EQ(readFile(machinePrinterFile(session_.programPath, 2))[55], 2);
    EXPECT_EQ(updateLines(), Codes{"000000002"});

    // Cancel after a switch: the machine of the opening, files untouched.
    const auto pr2 = readFile(machinePrinterFile(session_.programPath, 2));
    OptionDialog cancelled(handheldOptionsDialog(), session_, texts_);
    ASSERT_TRUE(cancelled.select("ComboBox1", 5));
    ASSERT_TRUE(cancelled.select("ComboBox2", 2));
    cancelled.cancel();
    EXPECT_EQ(session_.machineNumber, 2);
    EXPECT_EQ(session_.app.flag(90), 2);
    EXPECT_EQ(readFile(machinePrinterFile(session_.programPath, 2)), pr2);
    EXPECT_FALSE(std::filesystem::exists(machinePrinterFile(session_.programPath, 3)));

    // Back on machine 1 its port is shown again.
    OptionDialog back(handheldOptionsDialog(), session_, texts_);
    ASSERT_TRUE(back.select("ComboBox2", 0));
    EXPECT_EQ(back.control("ComboBox1").value, 4);
    EXPECT_TRUE(dectModuleConnected([] {
        ApplicationBlock a;
        a.setFlag(90, 7);
        return a;
    }()));
}

}  // namespace
}  // namespace tramond
