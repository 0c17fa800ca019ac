#pragma once
// Where keys lie on the screen and on the printed page, and how key texts
// are wrapped and scaled. Pure arithmetic; the painter and the mouse
// handling both read it, so every drawn key is also a clickable key.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// Printed layout on a landscape page of the given size in device units.
struct PrintGeometry {
    double pageWidth = 0;
    double pageHeight = 0;

    double unitW() const { return pageWidth * 0.087543; }
    double unitH() const { return pageHeight * 0.12381; }
    double keyWidth() const { return unitW() * 17.9231 / 26; }
    double rowHeight(int row) const;
    double rowTop(int row) const;
    KeyRect keyRect(int position) const;
    // The system-caption band: 0.2 of the key height.
    double bandHeight(int row) const { return rowHeight(row) * 0.2; }
};

// Breaks text into lines no wider than width: at the last blank that fits,
// or, for a word longer than the width, after the last character that fits.
// Explicit line breaks are kept. `measure` gives the width of a piece.
std::vector<std::string> wrapKeyText(std::string_view text, double width,
                                     const std::function<double(std::string_view)>& measure);

}  // namespace tramond
