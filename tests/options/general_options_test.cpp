#include "options/general_options.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "options_fixture.h"
#include "program/sizing.h"

namespace tramond {
namespace {

using testing::OptionsFixture;

// --- rounding ------------------------------------------------------------------

struct RoundingCase {
    std::uint8_t v;   // flag 64 without bit 0
    int index;
    const char* item;
};

class RoundingEncoding : public ::testing::TestWithParam<RoundingCase> {};

TEST_P(RoundingEncoding, ReadsAndWritesTheItemKeepingTheMaskingBit) {
    const auto& c = GetParam();
    for (bool masking : {false, true}) {
        ApplicationBlock app;
        app.setFlag(64, static_cast<std::uint8_t>(c.v | (masking ? 1 : 0)));
        EXPECT_EQ(roundingIndex(app), c.index) << int(c.v);

        ApplicationBlock written;
        written.setFlag(64, masking ? 0xFF : 0xFE);
        written.setOption(3, 2, true);
        written.setFlag(3, written.flag(3) | 0xFD);  // every other bit of flag 3 set
        setRounding(written, c.index);
        EXPECT_EQ(written.flag(64), c.v | (masking ? 1 : 0)) << c.item;
        EXPECT_EQ(written.flag(3), 0xFD) << c.item;  // only option 2 cleared
    }
}

INSTANTIATE_TEST_SUITE_P(
    GeneralOptions, RoundingEncoding,
    ::testing::Values(RoundingCase{0, 0, "NON"}, RoundingCase{2, 1, "SWISS TOTAL"},
                      RoundingCase{4, 2, "SWISS ITEM"}, RoundingCase{6, 3, "SWISS BOTH"},
                      RoundingCase{8, 4, "FRENCH TOTAL"}, RoundingCase{16, 5, "FRENCH  ITEM"},
                      RoundingCase{24, 6, "FRENCH  BOTH"}, RoundingCase{32, 7, "12/25 TOTAL"},
                      RoundingCase{64, 8, "24/50 TOTAL"}, RoundingCase{128, 9, "00/10 TOTAL"}));

TEST(Rounding, UnknownValueShowsNonOr0410ByFlag3Option2) {
    ApplicationBlock app;
    app.setFlag(64, 0x13);  // masking on, v = 18
    EXPECT_EQ(roundingIndex(app), kRoundingNone);
    app.setOption(3, 2, true);
    EXPECT_EQ(roundingIndex(app), kRounding0410);
    // A known v wins over the 04/10 bit.
    app.setFlag(64, 0x05);
    EXPECT_EQ(roundingIndex(app), 2);
}

TEST(Rounding, Item0410ClearsTheRoundingBitsAndSetsFlag3Option2) {
    ApplicationBlock app;
    app.setFlag(64, 0x05);  // masking + SWISS ITEM
    setRounding(app, kRounding0410);
    EXPECT_EQ(app.flag(64), 0x01);
    EXPECT_TRUE(app.option(3, 2));
    EXPECT_EQ(roundingIndex(app), kRounding0410);
    EXPECT_THROW(setRounding(app, 11), std::out_of_range);
}

// --- the dialog ------------------------------------------------------------------

class GeneralOptionsTest : public OptionsFixture {
protected:
    const OptionDialogTable& table_ = generalOptionsDialog();
};

TEST_F(GeneralOptionsTest, CaptionsAndListsFromTheLanguageTexts) {
    OptionDialog d(table_, session_, texts_);
    EXPECT_EQ(d.caption(), "General Options");
    EXPECT_EQ(d.control("CheckBox1").caption, "1. Amount Input &Masking:    ");
    EXPECT_EQ(d.control("CheckBox11").caption, "10. " + texts_.text(636));
    EXPECT_EQ(d.control("CBFlag113opt2").caption, "29. Fiscal Printer (for Greece)");
    EXPECT_EQ(d.control("Edit1").caption, "30. InActive Time (min) :    ");
    EXPECT_EQ(d.control("ComboBox1").caption, "31. Rounding   :             ");
    const auto& rounding = d.control("ComboBox1").items;
    ASSERT_EQ(rounding.size(), 11u);
    EXPECT_EQ(rounding[0], "NON");
    EXPECT_EQ(rounding[9], "00/10 TOTAL");
    EXPECT_EQ(rounding[10], "04/10 TOTAL");
    EXPECT_EQ(d.control("ComboBox6").items.front(), "No Scale");
    EXPECT_EQ(d.control("ComboBox6").items.back(), "STATHMOS 7021");
    EXPECT_EQ(d.control("CmBPortDrwPrt").items.size(), 8u);
    EXPECT_FALSE(d.control("CmBPortComp").visible);
    EXPECT_FALSE(d.control("CmBPortComp").enabled);
}

TEST_F(GeneralOptionsTest, UntouchedOkKeepsFileAndListButRecomputesTheSizes) {
    session_.app.setFlag(64, 0x13);  // a rounding no item stands for stays as it is
    session_.app.setFlag(102, 9);    // a scale type the list does not know
    session_.app.setFlag(84, 95);    // display type 9, port 5
    session_.app.setMemorySlot(21, 0xDEADBEEF);  // a stale map
    saveApp();
    const auto onDisk = appOnDisk();
    auto expected = session_.app;
    recomputeSizes(expected);
    ASSERT_NE(expected, session_.app);

    OptionDialog d(table_, session_, texts_);
    const auto r = d.ok();
    EXPECT_TRUE(r.close);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(appOnDisk(), onDisk);
    EXPECT_TRUE(updateLines().empty());
    EXPECT_EQ(session_.app, expected);
}

// Box 28 adds an area at the end of the register's memory: the file must
// carry the map that goes with the flag (marked, so Update asks for Clear &
// Install), not the old map under the new flag; turning it off again goes
// back to the old bytes.
TEST_F(GeneralOptionsTest, AFlagThatMovesTheMapWritesAndMarksTheMapWithIt) {
    recomputeSizes(session_.app);
    saveApp();
    const auto before = appOnDisk();
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        OptionDialog d(table_, session_, texts_);
        d.setChecked("CBFlag119opt1", on);
        ASSERT_TRUE(d.ok().close);
        auto expected = session_.app;
        recomputeSizes(expected);
        EXPECT_EQ(session_.app, expected) << "the map follows the flag";
        EXPECT_TRUE(appOnDiskEquals(session_.app)) << "the file holds the same map as the block";
        const auto lines = updateLines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), "000000003"), lines.end()) << "the map is marked";
    }
    EXPECT_EQ(appOnDisk(), before);
}

TEST_F(GeneralOptionsTest, MaskingOnWithUnknownRoundingShowsNonOr0410) {
    session_.app.setFlag(64, 0x13);
    {
        OptionDialog d(table_, session_, texts_);
        EXPECT_EQ(d.control("CheckBox1").value, 1);
        EXPECT_EQ(d.control("ComboBox1").value, kRoundingNone);
    }
    session_.app.setOption(3, 2, true);
    OptionDialog d(table_, session_, texts_);
    EXPECT_EQ(d.control("ComboBox1").value, kRounding0410);
}

TEST_F(GeneralOptionsTest, Choosing0410AfterSwissItemWritesAtOnceAndReopensAs0410) {
    session_.app.setFlag(64, 0x05);
    {
        OptionDialog d(table_, session_, texts_);
        ASSERT_EQ(d.control("ComboBox1").value, 2);
        ASSERT_TRUE(d.select("ComboBox1", kRounding0410));
        EXPECT_EQ(session_.app.flag(64), 0x01);  // before OK
        EXPECT_TRUE(session_.app.option(3, 2));
        EXPECT_TRUE(d.ok().saved);
    }
    EXPECT_TRUE(appOnDiskEquals(session_.app));
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000002"});
    OptionDialog reopened(table_, session_, texts_);
    EXPECT_EQ(reopened.control("ComboBox1").value, kRounding0410);
    EXPECT_EQ(reopened.control("CheckBox1").value, 1);
}

TEST_F(GeneralOptionsTest, RegisterListInANetworkOfThreeWithIndividualPrinters) {
    session_.app.setFlag(78, 3);
    session_.app.set(appblock::kIndividualPrinters, true);
    session_.app.setFlag(112, 0);
    OptionDialog d(table_, session_, texts_);
    const auto& reg = d.control("CmBComReg");
    EXPECT_TRUE(reg.enabled);
    EXPECT_EQ(reg.items, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(reg.value, 0);
    EXPECT_TRUE(d.ok().saved);
    EXPECT_EQ(session_.app.flag(112), 1);

    OptionDialog again(table_, session_, texts_);
    ASSERT_TRUE(again.select("CmBComReg", 2));
    again.ok();
    EXPECT_EQ(session_.app.flag(112), 3);
}

TEST_F(GeneralOptionsTest, RegisterListIsEmptyAndDisabledOutsideSuchANetwork) {
    session_.app.setFlag(78, 3);  // individual printers off
    session_.app.setFlag(112, 2);
    OptionDialog d(table_, session_, texts_);
    EXPECT_FALSE(d.control("CmBComReg").enabled);
    EXPECT_TRUE(d.control("CmBComReg").items.empty());
    EXPECT_FALSE(d.select("CmBComReg", 0));
    d.ok();
    EXPECT_EQ(session_.app.flag(112), 0);
}

TEST_F(GeneralOptionsTest, ExternalDisplayTypeAndPortShareFlag84) {
    session_.app.setFlag(84, 23);
    OptionDialog d(table_, session_, texts_);
    const auto& type = d.control("ComboBox5");
    ASSERT_EQ(type.value, 2);
    EXPECT_EQ(type.items[2], "ICD 2002 + Printer");
    EXPECT_EQ(d.control("CmBPortExtDspl").value, 3);
    ASSERT_TRUE(d.select("ComboBox5", 3));
    ASSERT_TRUE(d.select("CmBPortExtDspl", 7));
    EXPECT_EQ(session_.app.flag(84), 23);  // written on OK only
    d.ok();
    EXPECT_EQ(session_.app.flag(84), 37);
}

TEST_F(GeneralOptionsTest, DrawerPrinterPortIsWrittenAtOnceAndScaleOnOk) {
    OptionDialog d(table_, session_, texts_);
    ASSERT_TRUE(d.select("CmBPortDrwPrt", 4));
    EXPECT_EQ(session_.app.flag(87), 4);
    ASSERT_TRUE(d.select("ComboBox6", 6));
    EXPECT_EQ(session_.app.flag(102), 0);
    EXPECT_EQ(d.row(d.indexOf("ComboBox6")).hint, "Connect scale on cash register port2!");
    d.ok();
    EXPECT_EQ(session_.app.flag(102), 6);
}

TEST_F(GeneralOptionsTest, BlankLanguageTextDisablesSuppressJournalButItsBitIsWrittenBack) {
    for (const char* blank : {" Suppress Journal", ""}) {
        texts_.setText(537, blank);
        for (bool on : {true, false}) {
            session_.app.setOption(5, 4, on);
            OptionDialog d(table_, session_, texts_);
            EXPECT_FALSE(d.control("CheckBox5").enabled);
            EXPECT_FALSE(d.setChecked("CheckBox5", !on));
            session_.app.setOption(5, 4, !on);  // the box still writes what it shows
            d.ok();
            EXPECT_EQ(session_.app.option(5, 4), on) << '"' << blank << '"';
        }
    }
}

TEST_F(GeneralOptionsTest, DisplayOnlyBoxesShowInvertedBitsAndWriteThemBack) {
    session_.app.setOption(5, 1, false);  // keytone: checked when the bit is 0
    session_.app.setOption(5, 2, true);   // alfa keyboard: unchecked
    session_.app.setOption(4, 8, true);
    OptionDialog d(table_, session_, texts_);
    EXPECT_EQ(d.control("CheckBox2").value, 1);
    EXPECT_FALSE(d.control("CheckBox2").enabled);
    EXPECT_EQ(d.control("CheckBox4").value, 0);
    EXPECT_EQ(d.control("CheckBox12").value, 1);
    EXPECT_FALSE(d.ok().changed);
}

TEST_F(GeneralOptionsTest, InvertedEditableBoxesStoreTheOppositeBit) {
    OptionDialog d(table_, session_, texts_);
    EXPECT_EQ(d.control("CheckBox8").value, 1);   // flag 5 option 8 clear
    EXPECT_EQ(d.control("CheckBox11").value, 1);  // flag 3 option 6 clear
    ASSERT_TRUE(d.setChecked("CheckBox8", false));
    ASSERT_TRUE(d.setChecked("CBFlag88opt6", true));
    d.ok();
    EXPECT_TRUE(session_.app.option(5, 8));
    EXPECT_FALSE(session_.app.option(3, 6));
    EXPECT_TRUE(session_.app.option(88, 6));
}

TEST_F(GeneralOptionsTest, InactiveTimeShowsTwoDigitsAndRefusesAnEmptyBox) {
    session_.app.setFlag(22, 105);
    OptionDialog d(table_, session_, texts_);
    EXPECT_EQ(d.control("Edit1").text, "5");
    EXPECT_FALSE(d.setText("Edit1", "100"));
    ASSERT_TRUE(d.setText("Edit1", ""));
    const auto m = d.leave("Edit1");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "Wrong Input!");
    d.ok();
    EXPECT_EQ(session_.app.flag(22), 0);

    OptionDialog again(table_, session_, texts_);
    ASSERT_TRUE(again.setText("Edit1", "42"));
    EXPECT_FALSE(again.leave("Edit1"));
    again.ok();
    EXPECT_EQ(session_.app.flag(22), 42);
}

}  // namespace
}  // namespace tramond
