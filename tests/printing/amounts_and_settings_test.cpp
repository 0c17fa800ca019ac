#include <gtest/gtest.h>

#include "printing/amount_format.h"
#include "printing/printer_settings.h"
#include "printing/rich_text.h"
#include "program/packed.h"

namespace tramond {
namespace {

struct AmountCase {
    int flag1;
    bool point;
    const char* digits;
    const char* printed;
};

class AmountFormatting : public ::testing::TestWithParam<AmountCase> {};

TEST_P(AmountFormatting, PlacesTheDecimalsOfTheProgramsSetting) {
    const auto& c = GetParam();
    ApplicationBlock app;
    app.setFlag(1, static_cast<std::uint8_t>(c.flag1 | 0xF0));  // only the low two bits count
    app.setOption(2, 1, c.point);
    std::array<std::uint8_t, 8> field{};
    ASSERT_TRUE(packAmount(c.digits, field));
    EXPECT_EQ(formatPackedAmount(field, amountFormat(app)), c.printed) << c.digits;
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, AmountFormatting,
    ::testing::Values(AmountCase{0, false, "5", "0,05"}, AmountCase{0, false, "123", "1,23"},
                      AmountCase{0, false, "0", "0,00"}, AmountCase{0, false, "12", "0,12"},
                      AmountCase{1, false, "1234", "1234"}, AmountCase{1, false, "0", "0"},
                      AmountCase{2, true, "5", "0.005"}, AmountCase{2, true, "123456", "123.456"},
                      AmountCase{3, false, "123", "12,3"}, AmountCase{3, true, "7", "0.7"},
                      AmountCase{0, true, "000987654321", "9876543.21"}));

TEST(PrinterSettings, MissingValuesTakeTheDefaultsAndAreWrittenBack) {
    MemorySettingsStore store;
    // A command that only reads takes the defaults without writing them.
    EXPECT_EQ(peekPrinterSettings(store), PrinterSettings{});
    EXPECT_FALSE(store.contains(kPrinterKey, "PageSize"));
    const auto s = loadPrinterSettings(store);
    EXPECT_EQ(s, PrinterSettings{});
    EXPECT_EQ(store.read(kPrinterKey, "PageSize"), "60");
    EXPECT_EQ(store.read(kPrinterKey, "PrintName"), "1");
}

TEST(PrinterSettings, DeliberateZerosSurviveTheNextStart) {
    MemorySettingsStore store;
    const PrinterSettings zero{0, 0, false, false, false};
    savePrinterSettings(store, zero);
    EXPECT_EQ(loadPrinterSettings(store), zero);
    EXPECT_EQ(loadPrinterSettings(store), zero);

    const PrinterSettings other{1, 42, true, false, true};
    savePrinterSettings(store, other);
    EXPECT_EQ(loadPrinterSettings(store), other);
}

TEST(PrinterSettings, TextThatIsNoNumberReadsAsZeroAndOnlyMissingValuesDefault) {
    MemorySettingsStore store;
    store.write(kPrinterKey, "PageSize", "abc");
    store.write(kPrinterKey, "PrintHeader", "0");
    const auto s = loadPrinterSettings(store);
    EXPECT_EQ(s.pageSize, 0);
    EXPECT_FALSE(s.printHeader);
    EXPECT_TRUE(s.printTimeDate);  // missing: default
}

TEST(PrinterSettings, PageLengthBoxTakesZeroTo99) {
    for (const char* ok : {"", "0", "7", "99", "05"}) EXPECT_TRUE(pageLengthAccepted(ok)) << ok;
    for (const char* bad : {"100", "1a", "-1", " 5", "999"}) EXPECT_FALSE(pageLengthAccepted(bad)) << bad;
    EXPECT_EQ(pageLengthValue(""), 0);
    EXPECT_EQ(pageLengthValue("42"), 42);
}

TEST(RichText, EscapesRtfSyntaxAndWritesNonAsciiAsUnicode) {
    const std::vector<std::string> lines{"a{b}\\c", "Caf\xC3\xA9 \xE2\x82\xAC"};
    const auto rtf = listingRtf(lines);
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("\\fs18"), std::string::npos);  // 9 points
    EXPECT_NE(rtf.find("a\\{b\\}\\\\c\\par"), std::string::npos);
    EXPECT_NE(rtf.find("Caf\\u233? \\u8364?\\par"), std::string::npos);
    // Braces balance, so a word processor reads the whole document.
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

// The word processor makes the pages: the column header goes into every
// page's header, the page number into the foot, a record's lines stay together.
TEST(RichText, ListingsRepeatTheHeaderNumberPagesAndKeepRecordsTogether) {
    Listing l;
    l.fileName = "shop.plu";
    l.lines = {"Tue Dec  8 06:00:00 2026", "Number Price", "1 1,00", "L2 2,00", "2 3,00", "L2 4,00"};
    l.firstLines = 1;
    l.headerLines = 1;
    l.recordStarts = {2, 4};
    const auto rtf = listingRtf(l);
    const auto header = rtf.find("{\\header");
    ASSERT_NE(header, std::string::npos);
    EXPECT_LT(header, rtf.find("Number Price"));
    EXPECT_EQ(rtf.find("Number Price", rtf.find("Number Price") + 1), std::string::npos);  // not in the body
    EXPECT_NE(rtf.find("shop.plu\\tab Page {\\field{\\*\\fldinst PAGE}"), std::string::npos);
    EXPECT_NE(rtf.find("NUMPAGES"), std::string::npos);
    // Every line but a record's last is kept with the next.
    EXPECT_NE(rtf.find("\\keepn 1 1,00\\par"), std::string::npos);
    EXPECT_NE(rtf.find("\\fs18 L2 2,00\\par"), std::string::npos);
    EXPECT_NE(rtf.find("\\keepn 2 3,00\\par"), std::string::npos);
    EXPECT_EQ(rtf.find("\\keepn Tue"), std::string::npos);
}

}  // namespace
}  // namespace tramond
