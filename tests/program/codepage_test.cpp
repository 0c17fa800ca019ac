#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/codepage.h"

namespace tramond {
namespace {

std::vector<std::uint8_t> oem(std::initializer_list<int> b) { return {b.begin(), b.end()}; }

TEST(CodePage, EveryNonZeroByteSurvivesTheRoundTripOnBothPages) {
    for (auto cp : {CodePage::Cp850, CodePage::Cp437}) {
        std::vector<std::uint8_t> all;
        for (int b = 1; b <= 255; ++b) all.push_back(static_cast<std::uint8_t>(b));
        const auto utf8 = oemToUtf8(all, cp);
        EXPECT_EQ(utf8ToOem(utf8, cp), all) << (cp == CodePage::Cp850 ? "CP850" : "CP437");
    }
}

TEST(CodePage, PagesDifferWhereTheyShould) {
    EXPECT_EQ(oemToUtf8(oem({0x9B}), CodePage::Cp850), "ø");
    EXPECT_EQ(oemToUtf8(oem({0x9B}), CodePage::Cp437), "¢");
    EXPECT_EQ(oemToUtf8(oem({0xE1}), CodePage::Cp850), "ß");
    EXPECT_EQ(oemToUtf8(oem({0xB5}), CodePage::Cp850), "Á");
    EXPECT_EQ(oemToUtf8(oem({0xB5}), CodePage::Cp437), "╡");
    EXPECT_EQ(utf8ToOem("Øre é", CodePage::Cp850), oem({0x9D, 'r', 'e', ' ', 0x82}));
    EXPECT_EQ(utf8ToOem("Øre é", CodePage::Cp437), oem({'?', 'r', 'e', ' ', 0x82}));
}

TEST(CodePage, OemTextEndsAtTheFirstZeroByte) {
    EXPECT_EQ(oemToUtf8(oem({'A', 'B', 0, 'C'})), "AB");
    EXPECT_EQ(oemToUtf8(oem({})), "");
}

TEST(CodePage, CharactersThePageLacksBecomeOneReplacementEach) {
    EXPECT_EQ(utf8ToOem("€5", CodePage::Cp850), oem({'?', '5'}));
    EXPECT_EQ(utf8ToOem("a😀b", CodePage::Cp850), oem({'a', '?', 'b'})) << "four-byte sequence";
}

TEST(CodePage, InvalidUtf8NeverThrowsNorLosesTheRest) {
    EXPECT_EQ(utf8ToOem("a\xC3"), oem({'a', '?'})) << "truncated at the end";
    EXPECT_EQ(utf8ToOem("a\xE2\x82" "b"), oem({'a', '?', 'b'})) << "truncated before an ASCII byte";
    EXPECT_EQ(utf8ToOem("\xFF\x80x"), oem({'?', '?', 'x'})) << "bad lead and stray continuation";
    EXPECT_EQ(utf8ToOem("\xC0\xAF"), oem({'?', '?'})) << "overlong slash";
    EXPECT_EQ(utf8ToOem("\xED\xA0\x80" "z"), oem({'?', 'z'})) << "surrogate";
}

TEST(CodePage, DefaultPageIsCp850AndCanBeSwitched) {
    EXPECT_EQ(defaultCodePage(), CodePage::Cp850);
    setDefaultCodePage(CodePage::Cp437);
    EXPECT_EQ(oemToUtf8(oem({0x9B})), "¢");
    setDefaultCodePage(CodePage::Cp850);
    EXPECT_EQ(oemToUtf8(oem({0x9B})), "ø");
}

}  // namespace
}  // namespace tramond
