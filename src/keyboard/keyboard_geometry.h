#pragma once
// Where keys lie on the screen and on the printed page, and how key texts
// are wrapped and scaled. Pure arithmetic; the painter and the mouse
// handling both read it, so every drawn key is also a clickable key.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tramond {

inline constexpr int kKeyRows = 13;
inline constexpr int kKeyColumns = 13;
inline constexpr int kKeyPositions = kKeyRows * kKeyColumns;

inline int keyRow(int position) { return position / kKeyColumns; }
inline int keyColumn(int position) { return position % kKeyColumns; }
// The application block stores keys column by column.
inline int blockIndexOf(int position) { return keyColumn(position) * kKeyRows + keyRow(position); }
inline int positionOfBlockIndex(int blockIndex) {
    return (blockIndex % kKeyRows) * kKeyColumns + blockIndex / kKeyRows;
}

struct KeyRect {
    double x = 0, y = 0, width = 0, height = 0;
    bool operator==(const KeyRect&) const = default;
};

// Screen layout in 96-dpi units: the pitch depends on the screen width
// (44 x 37 on a 640-pixel screen, else 50 x 43), the board starts at 5, 5.
struct ScreenGeometry {
    int screenWidth = 1280;  // pixels
    double dpi = 96;
    int keyboardType = 0;    // types 2 and 6 have a two-row key at position 47

    bool small() const { return screenWidth <= 640; }
    double pitchX() const { return small() ? 44 : 50; }
    double pitchY() const { return small() ? 37 : 43; }
    double scale() const { return dpi / 96.0; }
    // The system-caption band at the top of a key, in pixels.
    double bandHeight() const { return (small() ? 7 : 9) * scale(); }

    // Key rectangle in pixels; a two-row key covers the position below it.
    KeyRect keyRect(int position) const;
    // The position whose drawn key holds the point (pixels), if any.
    std::optional<int> positionAt(double x, double y) const;
    // The position hidden under a two-row key (-1 when none).
    int coveredPosition() const;
    // Board size in pixels.
    double boardWidth() const { return (5 + kKeyColumns * pitchX()) * scale(); }
    double boardHeight() const { return (5 + kKeyRows * pitchY()) * scale(); }
};

// Screen font size (points) of a stored size: size x key height / (dpi x 15/26).
double screenFontSize(int storedSize, double keyHeightPixels, double dpi);

// Printed layout. The register's key pitch, as the paper formula of the
// original printout gives it on an A4 landscape page (the formula's units are
// millimetres there): 17.9231 across, 15.9231 down, 12.231 for the short top
// and bottom rows.
inline constexpr double kPrintedKeyAcross = 17.9231;
inline constexpr double kPrintedKeyDown = 15.9231;
inline constexpr double kPrintedEdgeRowDown = 12.231;

struct PrintGeometry {
    double left = 0, top = 0;  // the board's top left corner, device units
    double keyWidth = 0;       // column pitch
    double rowPitch = 0;       // rows 1 to 11
    double edgeRowPitch = 0;   // rows 0 and 12

    // The paper formula: the board at the paper's corner, scaled with the
    // page (width x 0.087543 x 17.9231 / 26, height x 0.12381 x 15.9231 / 26).
    static PrintGeometry formula(double pageWidth, double pageHeight);
    // The board with the formula's proportions, as large as fits the area,
    // centred across it and at its top.
    static PrintGeometry fitted(double left, double top, double areaWidth, double areaHeight);
    // True scale: the distances between key centres across and down, in
    // device units; the short rows keep their proportion to the others.
    static PrintGeometry trueScale(double left, double top, double pitchAcross, double pitchDown);

    double boardWidth() const { return kKeyColumns * keyWidth; }
    double boardHeight() const { return 2 * edgeRowPitch + (kKeyRows - 2) * rowPitch; }
    double rowHeight(int row) const { return row == 0 || row == kKeyRows - 1 ? edgeRowPitch : rowPitch; }
    double rowTop(int row) const;
    KeyRect keyRect(int position) const;
    // The system-caption band: 0.2 of the key height.
    double bandHeight(int row) const { return rowHeight(row) * 0.2; }
};

// A printed page: the board and its title line inside the printable area
// (device units, origin at the area's corner).
struct PrintedPageLayout {
    PrintGeometry board;
    KeyRect title;
    bool titleBeside = false;  // a column right of the board, there being no room above it
};
// Fitted (no pitch): the title line on top, the board as large as fits
// below it. True scale (pitch across and down, device units): the title above
// the board when there is room, else beside it when at least `titleColumn`
// is left; nullopt when the board or its title does not fit the area.
std::optional<PrintedPageLayout> layoutPrintedPage(double areaWidth, double areaHeight, double titleHeight,
                                                   double titleColumn,
                                                   std::optional<std::pair<double, double>> pitch);

// Breaks text into lines no wider than width: at the last blank that fits,
// or, for a word longer than the width, after the last character that fits.
// Explicit line breaks are kept. `measure` gives the width of a piece.
std::vector<std::string> wrapKeyText(std::string_view text, double width,
                                     const std::function<double(std::string_view)>& measure);

// A caption fitted into a key's text area.
struct KeyTextFit {
    double size = 0;                 // the font size chosen, points
    std::vector<std::string> lines;  // broken between words only
    bool elided = false;             // cut, with kElisionMark where it was
};
inline constexpr std::string_view kElisionMark = "\u2026";  // "..." as one character
// Key captions are never drawn smaller than this.
inline constexpr double kMinimumKeyFontPoints = 6;

// Fits text into width x height: from `size` down in small steps to
// `minimum`, the first size at which the text, broken only between words
// (explicit line breaks kept), has no line wider than `width` and all lines
// together no higher than `height`. When even the minimum does not fit, the
// text is drawn at the minimum and elided: a word too wide is cut with the
// mark, and the last line that fits ends with it. `measure(piece, size)` is
// the width of a piece at a size, `lineHeight(size)` the height of one line.
KeyTextFit fitKeyText(std::string_view text, double width, double height, double size, double minimum,
                      const std::function<double(std::string_view, double)>& measure,
                      const std::function<double(double)>& lineHeight);

}  // namespace tramond
