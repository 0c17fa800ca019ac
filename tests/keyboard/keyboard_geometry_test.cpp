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
    const auto g = PrintGeometry::formula(7016, 4961);
    EXPECT_NEAR(g.keyWidth, 423.40, 0.05);
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

// The printed board: fitted keeps the paper formula's proportions inside the
// printable area under the title; true scale keeps the asked pitch or refuses.
TEST(KeyGeometry, PrintedPageLayoutKeepsTheBoardInsideTheArea) {
    // A4 landscape less 5 mm margins, in millimetres; a 4 mm title line.
    const double w = 287, h = 200, title = 4, column = 30;
    const auto fitted = layoutPrintedPage(w, h, title, column, std::nullopt);
    ASSERT_TRUE(fitted);
    const auto& b = fitted->board;
    EXPECT_NEAR(b.keyWidth / b.rowPitch, kPrintedKeyAcross / kPrintedKeyDown, 1e-9);
    EXPECT_NEAR(b.edgeRowPitch / b.rowPitch, kPrintedEdgeRowDown / kPrintedKeyDown, 1e-9);
    EXPECT_GE(b.top, title);  // below the title line
    EXPECT_GE(b.left, 0);
    EXPECT_NEAR(b.left + b.boardWidth() / 2, w / 2, 1e-9);  // centred across
    EXPECT_NEAR(b.top + b.boardHeight(), h, 1e-6);          // as tall as the area allows
    const auto last = b.keyRect(168);
    EXPECT_NEAR(last.y + last.height, b.top + b.boardHeight(), 1e-9);

    struct Case {
        double across, down;
        bool fits, beside;
    };
    const Case cases[] = {
        {15, 15, true, false},               // room above for the title
        {17.9231, 15.9231, true, true},      // the register's own pitch: title beside the board
        {21, 15.9, false, false},            // too wide for the area beside a title column
        {19, 19, false, false},              // too tall
    };
    for (const auto& c : cases) {
        const auto l = layoutPrintedPage(w, h, title, column, std::pair{c.across, c.down});
        ASSERT_EQ(l.has_value(), c.fits) << c.across << " x " << c.down;
        if (!l) continue;
        EXPECT_EQ(l->titleBeside, c.beside) << c.across;
        const auto& t = l->board;
        // True scale: key centres exactly the pitch apart, across and down.
        const auto k1 = t.keyRect(14), k2 = t.keyRect(15), k3 = t.keyRect(27);
        EXPECT_NEAR(k2.x - k1.x, c.across, 1e-9);
        EXPECT_NEAR(k3.y - k1.y, c.down, 1e-9);
        EXPECT_LE(t.left + t.boardWidth(), w + 1e-6);
        EXPECT_LE(t.top + t.boardHeight(), h + 1e-6);
        // The title never overlaps the board.
        const auto& r = l->title;
        const bool apart = r.x >= t.left + t.boardWidth() || r.y + r.height <= t.top;
        EXPECT_TRUE(apart) << c.across;
    }
}

// Captions shrink before they break, break only between words, and are
// elided with the mark only below the minimum. A character is 1 wide per
// point of size, a line 1 high per point.
TEST(KeyGeometry, CaptionsShrinkThenBreakBetweenWordsThenElide) {
    const auto measure = [](std::string_view s, double size) {
        std::size_t chars = 0;
        for (char c : s) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return static_cast<double>(chars) * size;
    };
    const auto line = [](double size) { return size; };
    using V = std::vector<std::string>;
    struct Case {
        const char* text;
        double width, height, size;
        V lines;
        bool elided;
    };
    const Case cases[] = {
        {"SubTotal", 80, 20, 10, {"SubTotal"}, false},             // fits as it is
        {"SubTotal", 60, 20, 10, {"SubTotal"}, false},             // shrinks to fit one line
        {"Sign On/Off", 60, 20, 10, {"Sign", "On/Off"}, false},    // breaks between words
        {"Mo 121-128", 40, 20, 10, {"Mo", "121-128"}, false},      // never inside "121-128"
        {"  HOLD  ", 40, 20, 10, {"HOLD"}, false},                 // blanks at the ends go
        {"Supercalifragilistic", 40, 20, 10, {}, true},            // one word too long: elided
        {"a b c d e f g h", 8, 12, 4, {}, true},                   // too many lines: elided
    };
    for (const auto& c : cases) {
        const auto fit = fitKeyText(c.text, c.width, c.height, c.size, 3, measure, line);
        EXPECT_EQ(fit.elided, c.elided) << c.text;
        if (!c.lines.empty()) { EXPECT_EQ(fit.lines, c.lines) << c.text; }
        // Whatever happens, every line fits the width and all lines the height.
        for (const auto& l : fit.lines) EXPECT_LE(measure(l, fit.size), c.width + 1e-9) << c.text << ": " << l;
        EXPECT_LE(static_cast<double>(fit.lines.size()) * fit.size, c.height + 1e-9) << c.text;
        EXPECT_GE(fit.size, 3.0);
        EXPECT_LE(fit.size, c.size);
        if (c.elided) {
            EXPECT_EQ(fit.size, 3.0) << c.text;
            EXPECT_NE(fit.lines.back().find(kElisionMark), std::string::npos) << c.text;
        } else {
            // No shrinking beyond what was needed: one step larger would not fit.
            const auto larger = fitKeyText(c.text, c.width, c.height, fit.size / 0.96 + 1e-6, fit.size / 0.96, measure,
                                           line);
            EXPECT_TRUE(fit.size == c.size || larger.elided) << c.text;
        }
    }
}

}  // namespace
}  // namespace tramond
