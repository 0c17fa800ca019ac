#include "link/logo.h"

#include <gtest/gtest.h>

#include <random>

namespace tramond {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Logo, BlankBitmapsHaveTheDocumentedSizesAndHeaders) {
    EXPECT_EQ(blankLogoBitmap(*logoLayout(1)).size(), 5182u);
    EXPECT_EQ(blankLogoBitmap(*logoLayout(2)).size(), 10302u);
    const Bytes b = blankLogoBitmap(*logoLayout(3));
    ASSERT_EQ(b.size(), 10302u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(b[2] | (b[3] << 8), 10302);
    EXPECT_EQ(b[10], 62);
    EXPECT_EQ(b[18] | (b[19] << 8), 512);
    EXPECT_EQ(b[22], 160);
    EXPECT_EQ(b[28], 1);
    EXPECT_EQ((Bytes{b[54], b[55], b[56], b[57], b[58], b[59], b[60], b[61]}), (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}));
    EXPECT_FALSE(logoLayout(0).has_value());
    EXPECT_FALSE(logoLayout(4).has_value());
}

TEST(Logo, WhiteSendsZerosBlackSendsOnes) {
    for (int type : {1, 2, 3}) {
        const auto g = *logoLayout(type);
        auto sender = LogoSender::fromBitmap(blankLogoBitmap(g), g);
        ASSERT_TRUE(sender);
        for (int a = 0; a <= g.lastLine; ++a) EXPECT_EQ(sender->buildLine(a), (std::array<std::uint8_t, 80>{})) << a;
        Bytes black = blankLogoBitmap(g);
        std::fill(black.begin() + 62, black.end(), 0);
        auto s2 = LogoSender::fromBitmap(black, g);
        for (int a = 0; a <= g.lastLine; ++a)
            for (auto byte : s2->buildLine(a)) ASSERT_EQ(byte, 0xFF) << "type " << type << " line " << a;
    }
}

TEST(Logo, TopLeftDotIsBit7OfByte0OfLine0) {
    const auto g = *logoLayout(1);
    Bytes bmp = blankLogoBitmap(g);
    // Top row is stored last; its first byte's top bit is the leftmost dot.
    bmp[62 + (160 - 1) * 32] = 0x7F;
    auto s = LogoSender::fromBitmap(bmp, g);
    auto line0 = s->buildLine(0);
    EXPECT_EQ(line0[0], 0x80);
    for (std::size_t i = 1; i < 80; ++i) EXPECT_EQ(line0[i], 0) << i;

    LogoReceiver r(g);
    r.storeLine(0, line0);
    r.storeLine(1, s->buildLine(1));
    EXPECT_EQ(r.bitmap(), bmp);
}

TEST(Logo, RandomImagesSurviveTheRoundTripForEveryType) {
    std::mt19937 rng(42);
    for (int type : {1, 2, 3}) {
        const auto g = *logoLayout(type);
        Bytes bmp = blankLogoBitmap(g);
        for (std::size_t i = 62; i < bmp.size(); ++i) bmp[i] = static_cast<std::uint8_t>(rng());
        auto s = LogoSender::fromBitmap(bmp, g);
        LogoReceiver r(g);
        for (int a = 0; a <= g.lastLine; ++a) r.storeLine(a, s->buildLine(a));
        EXPECT_EQ(r.bitmap(), bmp) << "type " << type;
    }
}

TEST(Logo, LinesBeyondTheWidthAreIgnoredAndShortFilesSendNothing) {
    const auto g = *logoLayout(1);  // 256 dots: byte columns 0..31, lines 0..63
    LogoReceiver r(g);
    std::array<std::uint8_t, 80> black;
    black.fill(0xFF);
    r.storeLine(64, black);
    r.storeLine(65, black);
    EXPECT_EQ(r.bitmap(), blankLogoBitmap(g));

    Bytes truncated(57, 0);
    EXPECT_FALSE(LogoSender::fromBitmap(truncated, g));
    Bytes flat = blankLogoBitmap(g);
    flat[22] = 0;  // height 0
    EXPECT_FALSE(LogoSender::fromBitmap(flat, g));
}

TEST(Logo, DamagedHeadersAreRefusedWithAReason) {
    const auto g = *logoLayout(2);
    auto withHeader = [&](std::uint32_t width, std::uint32_t height, std::size_t cut = 0) {
        Bytes bmp = blankLogoBitmap(g);
        for (int i = 0; i < 4; ++i) {
            bmp[18 + i] = static_cast<std::uint8_t>(width >> (8 * i));
            bmp[22 + i] = static_cast<std::uint8_t>(height >> (8 * i));
        }
        bmp.resize(bmp.size() - cut);
        return bmp;
    };
    const auto w = static_cast<std::uint32_t>(g.width);
    const auto h = static_cast<std::uint32_t>(g.height);
    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"width 0x7FFFFFFF", withHeader(0x7FFFFFFF, h)},
        {"height INT_MIN", withHeader(w, 0x80000000u)},
        {"negative width", withHeader(0xFFFFFFF0u, h)},
        {"rows beyond the end", withHeader(w, h, 1)},
        {"height far beyond the end", withHeader(w, 0x40000000u)},
    };
    for (auto& c : cases) {
        std::string why;
        EXPECT_FALSE(LogoSender::fromBitmap(c.file, g, &why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
    // Top-down rows (a negative height) are a sound bitmap.
    EXPECT_TRUE(LogoSender::fromBitmap(withHeader(w, static_cast<std::uint32_t>(-g.height)), g));
}

}  // namespace
}  // namespace tramond
