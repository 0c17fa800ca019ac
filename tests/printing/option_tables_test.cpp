#include "printing/register_print_options.h"

#include <gtest/gtest.h>

#include "options/options_fixture.h"

namespace tramond {
namespace {

class RegisterOptionTables : public testing::OptionsFixture {};

TEST_F(RegisterOptionTables, SalesExVatTravelsInBlock93AndIsMarkedThere) {
    session_.app.setBit(2569, 0, false);
    OptionDialog d(reportOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.control("CheckBox3").caption, "3. Sales Data ex. &VAT  :    ");
    ASSERT_TRUE(d.setChecked("CheckBox3", true));
    const auto r = d.ok();
    EXPECT_TRUE(session_.app.bit(2569, 0));
    EXPECT_EQ(r.marked, std::vector<std::uint16_t>{93});
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000093"});
}

TEST_F(RegisterOptionTables, ReportOptionsShowClearBitsAsTicksWhereTheTableSaysSo) {
    auto& app = session_.app;
    app.setOption(5, 3, false);
    app.setOption(6, 7, false);
    OptionDialog d(reportOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.control("CheckBox1").value, 1);
    EXPECT_EQ(d.control("CheckBox5").value, 0);
    d.setChecked("CheckBox1", false);
    d.setChecked("CheckBox5", true);
    EXPECT_EQ(d.ok().marked, std::vector<std::uint16_t>{2});
    EXPECT_TRUE(app.option(5, 3));
    EXPECT_TRUE(app.option(6, 7));
}

TEST_F(RegisterOptionTables, PrintOptionsTimeOnJournalIsTickedWhenClear) {
    auto& app = session_.app;
    app.setFlag(2, 0);
    OptionDialog d(printOptionsDialog(), session_, texts_);
    EXPECT_EQ(d.caption(), "Print Options");
    EXPECT_EQ(d.control("CheckBox10").caption, "10. T&ime on R/J         :    ");
    EXPECT_EQ(d.control("CheckBox10").value, 1);
    d.setChecked("CheckBox10", false);
    d.ok();
    EXPECT_EQ(app.u8(47), 0x80);
}

TEST_F(RegisterOptionTables, AnInvoiceValueNoItemStandsForIsKept) {
    session_.app.setFlag(107, 4);
    {
        OptionDialog d(printOptionsDialog(), session_, texts_);
        EXPECT_EQ(d.control("ComboBox1").value, -1);
        const auto r = d.ok();
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(session_.app.flag(107), 4);
    }
    OptionDialog d(printOptionsDialog(), session_, texts_);
    d.select("ComboBox1", 3);
    d.ok();
    EXPECT_EQ(session_.app.flag(107), 8);
}

TEST_F(RegisterOptionTables, PrintOptionBoxesFollowTheirLanguageTexts) {
    texts_.setText(551, " T&ime on R/J         :    ");  // leading blank: disabled
    texts_.setText(810, "");                              // empty: hidden
    OptionDialog d(printOptionsDialog(), session_, texts_);
    EXPECT_FALSE(d.control("CheckBox10").enabled);
    EXPECT_FALSE(d.control("CheckBox13").visible);
    EXPECT_TRUE(d.control("CheckBox22").enabled);
    EXPECT_EQ(d.control("CheckBox22").caption, "22. Receipt Number at End of Header");
}

}  // namespace
}  // namespace tramond
