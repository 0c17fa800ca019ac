#include "link/block_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace tramond {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Marks every byte a system block covers; each byte at most once.
std::vector<int> coverage(BlockArea area, std::size_t size) {
    std::vector<int> used(size, 0);
    for (const auto& b : systemBlocks())
        if (b.area == area)
            for (std::size_t i = b.offset; i < std::size_t{b.offset} + b.length; ++i) ++used.at(i);
    return used;
}

TEST(BlockMap, SystemBlocksCoverExactlyTheTransferredBytesOnce) {
    const auto app = coverage(BlockArea::Application, ApplicationBlock::kSize);
    for (std::size_t i = 0; i < app.size(); ++i) {
        const bool skipped = (i >= 831 && i <= 958) || (i >= 1611 && i <= 2116) || i >= 2651;
        EXPECT_EQ(app[i], skipped ? 0 : 1) << "application byte " << i;
    }
    const auto text = coverage(BlockArea::Text, TextBlock::kSize);
    for (std::size_t i = 0; i < text.size(); ++i) EXPECT_EQ(text[i], i < 8499 ? 1 : 0) << "text byte " << i;
}

TEST(BlockMap, KindHeadersSitWhereTheRecordCountsLive) {
    const std::pair<std::uint16_t, std::size_t> counts[] = {
        {10000, 2227}, {5000, 1059}, {4000, 2117}, {900, 2375}, {600, 1151}, {300, 966}, {400, 1012},
        {500, 1105}, {800, 2282}, {2900, 2328}, {700, 2167}, {3000, 959}, {1000, 2163}, {2100, 2561}, {4500, 2584}};
    for (auto [base, offset] : counts) {
        const SystemBlock* h = findSystemBlock(base);
        ASSERT_NE(h, nullptr) << base;
        EXPECT_TRUE(h->isKindHeader);
        EXPECT_EQ(h->offset, offset) << base;
        ASSERT_NE(findKindByBase(base), nullptr) << base;
    }
    ApplicationBlock a;
    a.setU16(2173, 12);
    EXPECT_EQ(kindCount(a, *findKindByExtension(".pbr")), 12u);
}

TEST(BlockMap, RecordNumbersFindTheirKindAndHeadersAreNotRecords) {
    EXPECT_EQ(findKindForRecord(5003)->extension, ".dpt");
    EXPECT_EQ(findKindForRecord(3000)->extension, ".tax");  // a header number: callers test system blocks first
    EXPECT_NE(findSystemBlock(3000), nullptr);
    EXPECT_EQ(findKindForRecord(60001)->extension, ".pbr");
    EXPECT_EQ(findKindForRecord(60000)->extension, ".plu");
    EXPECT_EQ(findKindForRecord(300), nullptr);
    EXPECT_EQ(findSystemBlock(1), nullptr);
}

TEST(BlockMap, Block3IsReversedPerLongAndField16IsClearedOnReceipt) {
    ApplicationBlock app;
    TextBlock text;
    for (std::size_t i = 0; i < 128; ++i) app.setU8(703 + i, static_cast<std::uint8_t>(i + 1));
    const SystemBlock& b3 = *findSystemBlock(3);
    const Bytes wire = systemBlockToWire(app, text, b3);
    EXPECT_EQ((Bytes{wire[0], wire[1], wire[2], wire[3]}), (Bytes{4, 3, 2, 1}));
    ApplicationBlock back;
    systemBlockFromWire(back, text, b3, wire);
    for (std::size_t i = 0; i < 128; ++i)
        EXPECT_EQ(back.u8(703 + i), (i >= 64 && i < 68) ? 0 : i + 1) << i;
}

TEST(BlockMap, PluWord82IsSwappedOnlyWithoutRandomCodes) {
    const KindBlock& plu = *findKindByBase(10000);
    Bytes rec(137, 0);
    rec[0] = 1; rec[34] = 2; rec[82] = 3; rec[2] = 9;
    Bytes a = rec;
    swapRecord(plu, a, 0);
    EXPECT_EQ(a[1], 1);
    EXPECT_EQ(a[35], 2);
    EXPECT_EQ(a[83], 3);
    EXPECT_EQ(a[2], 9);
    Bytes b = rec;
    swapRecord(plu, b, 4);
    EXPECT_EQ(b[83], 0);
    EXPECT_EQ(b[82], 3);
}

TEST(BlockMap, ChkBlockSwapsItsFourteenWordsAndFourPartWords) {
    Bytes chk(168);
    for (std::size_t i = 0; i < chk.size(); ++i) chk[i] = static_cast<std::uint8_t>(i);
    Bytes s = chk;
    swapChkBlock(s);
    for (std::size_t i = 0; i < 168; ++i) {
        const bool swapped = i < 28 || (i >= 114 && i < 116) || (i >= 128 && i < 130) || (i >= 142 && i < 144) ||
                             (i >= 156 && i < 158);
        EXPECT_EQ(s[i], swapped ? chk[i ^ 1] : chk[i]) << i;
    }
}

}  // namespace
}  // namespace tramond
