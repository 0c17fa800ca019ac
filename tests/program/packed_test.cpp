#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "program/packed.h"

namespace tramond {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pack(std::string_view text, std::size_t width) {
    Bytes b(width, 0xEE);
    EXPECT_TRUE(packAmount(text, b)) << text;
    return b;
}

TEST(PackedAmount, DigitPairsFromTheRightLowPairFirst) {
    EXPECT_EQ(pack("1000", 8), (Bytes{0x00, 0x10, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pack("12345", 4), (Bytes{0x45, 0x23, 0x01, 0x00}));
    EXPECT_EQ(pack("0012", 3), (Bytes{0x12, 0, 0}));
    EXPECT_EQ(pack("", 2), (Bytes{0, 0}));
    EXPECT_EQ(pack("1.234,50", 4), (Bytes{0x50, 0x34, 0x12, 0x00})) << "non-digits are skipped";
    EXPECT_EQ(pack("00000099", 1), (Bytes{0x99})) << "leading zeros need no room";
}

TEST(PackedAmount, TooManyDigitsIsRefusedAndTheFieldKept) {
    Bytes b{0x11, 0x22};
    EXPECT_FALSE(packAmount("12345", b));
    EXPECT_EQ(b, (Bytes{0x11, 0x22}));
}

TEST(PackedAmount, UnpackShowsDigitsWithoutLeadingZeros) {
    EXPECT_EQ(unpackAmount(Bytes{0x00, 0x10, 0, 0}), "1000");
    EXPECT_EQ(unpackAmount(Bytes{0x45, 0x23, 0x01}), "12345");
    EXPECT_EQ(unpackAmount(Bytes{0, 0, 0}), "0");
    EXPECT_EQ(unpackAmount(Bytes{0x05, 0x00}), "5");
    EXPECT_EQ(unpackAmount(Bytes{0x1A}), "1?");
    EXPECT_FALSE(isPackedDecimal(Bytes{0x1A}));
    EXPECT_TRUE(isPackedDecimal(Bytes{0x99, 0x00}));
    for (auto text : {"7", "90", "123456789012", "10000000000000"}) {
        Bytes b(7);
        ASSERT_TRUE(packAmount(text, b));
        EXPECT_EQ(unpackAmount(b), text);
    }
}

TEST(PackedNumber3, TenThousandsDigitStandsAloneInTheThirdByte) {
    EXPECT_EQ(packNumber3(12345), (std::array<std::uint8_t, 3>{0x45, 0x23, 0x01}));
    EXPECT_EQ(packNumber3(420), (std::array<std::uint8_t, 3>{0x20, 0x04, 0x00}));
    EXPECT_EQ(packNumber3(29999), (std::array<std::uint8_t, 3>{0x99, 0x99, 0x02}));
    EXPECT_EQ(packNumber3(65535), (std::array<std::uint8_t, 3>{0x35, 0x55, 0x06}));
    EXPECT_THROW(packNumber3(100000), std::out_of_range);
    for (std::uint32_t n : {0u, 1u, 9u, 10u, 99u, 100u, 4999u, 99999u}) {
        const auto b = packNumber3(n);
        EXPECT_EQ(unpackNumber3(b), n);
        EXPECT_EQ(unpackAmount(b), std::to_string(n)) << "reads as a packed amount too";
    }
}

}  // namespace
}  // namespace tramond
