// Key positions, clicks, the printed layout and text wrapping.

#include <gtest/gtest.h>

#include "keyboard/keyboard_geometry.h"

namespace tramond {
namespace {

TEST(KeyGeometry, BlockIndexIsColumnMajor) {
    EXPECT_EQ(blockIndexOf(1), 13);
    EXPECT_EQ(blockIndexOf(13), 1);
    EXPECT_EQ(blockIndexOf(168), 168);
    for (int p = 0; p < kKeyPositions; ++p) EXPECT_EQ(positionOfBlockIndex(blockIndexOf(p)), p);
}

TEST(KeyGeometry, ClicksHitTheDrawnKeys) {
    ScreenGeometry wide{1280, 96, 0};
    EXPECT_EQ(wide.positionAt(5, 20), std::nullopt);
    EXPECT_EQ(wide.positionAt(6, 6), 0);
    EXPECT_EQ(wide.positionAt(56, 6), 1);
    EXPECT_EQ(wide.positionAt(654, 558), 168);
    EXPECT_EQ(wide.positionAt(656, 100), std::nullopt);
    // At 144 dpi the same key lies 1.5 times further out.
    ScreenGeometry hi{1280, 144, 0};
    EXPECT_EQ(hi.positionAt(6 * 1.5 + 1, 6 * 1.5 + 1), 0);
    EXPECT_EQ(hi.keyRect(14), (KeyRect{55 * 1.5, 48 * 1.5, 75, 64.5}));
    // A 640-pixel screen draws all 13 x 13 keys, and every one can be clicked.
    ScreenGeometry small{640, 96, 0};
    const auto last = small.keyRect(168);
    EXPECT_EQ(small.positionAt(last.x + 1, last.y + 1), 168);
    EXPECT_EQ(small.positionAt(5 + 44 * 10 + 1, 8), 10);
    // Keyboard types 2 and 6: the key at 47 is two rows high and covers 60.
    ScreenGeometry tall{1280, 96, 6};
    EXPECT_EQ(tall.keyRect(47).height, 86);
    const auto below = tall.keyRect(60);
    EXPECT_EQ(tall.positionAt(below.x + 3, below.y + 3), 47);
}

TEST(KeyGeometry, PrintLayoutOnA4LandscapeAt600Dpi) {
    const PrintGeometry g{7016, 4961};
    EXPECT_NEAR(g.keyWidth(), 423.40, 0.05);
    EXPECT_NEAR(g.rowHeight(0), 288.95, 0.05);
    EXPECT_NEAR(g.rowHeight(1), 376.16, 0.05);
    EXPECT_NEAR(g.rowHeight(12), 288.95, 0.05);
    EXPECT_NEAR(g.rowTop(1), 288.95, 0.05);
    EXPECT_NEAR(g.rowTop(12), 288.95 + 11 * 376.16, 0.5);
    const auto last = g.keyRect(168);
    EXPECT_LT(last.x + last.width, 7016);
    EXPECT_LT(last.y + last.height, 4961);
    EXPECT_NEAR(g.bandHeight(5), 75.23, 0.05);
    EXPECT_NEAR(screenFontSize(12, 43, 96), 12 * 43 / (96 * 15.0 / 26), 1e-9);
}

TEST(KeyGeometry, WrapBreaksAtBlanksAndCutsLongWords) {
    const auto len = [](std::string_view s) { return static_cast<double>(s.size()); };
    using V = std::vector<std::string>;
    EXPECT_EQ(wrapKeyText("SUB TOTAL", 5, len), (V{"SUB", "TOTAL"}));
    EXPECT_EQ(wrapKeyText("ABCDEFGHIJ", 4, len), (V{"ABCD", "EFGH", "IJ"}));
    EXPECT_EQ(wrapKeyText("NO SALE KEY", 7, len), (V{"NO SALE", "KEY"}));
    EXPECT_EQ(wrapKeyText("A\nB", 7, len), (V{"A", "B"}));
    EXPECT_EQ(wrapKeyText("PLU      3", 5, len), (V{"PLU", "3"}));  // no blanks left to shift the centre
    EXPECT_EQ(wrapKeyText("WIDE", 0, len), (V{"W", "I", "D", "E"}));
    EXPECT_EQ(wrapKeyText("", 5, len), (V{""}));
}

}  // namespace
}  // namespace tramond
