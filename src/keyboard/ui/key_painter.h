#pragma once
// One painter for a key, used for the editor's board and for the printed
// page: fill, system caption band, one to three wrapped text lines or a
// bitmap, frame. Sizes come from the key's rectangle, so the same code draws
// at screen and at printer resolution.

#include <QImage>
#include <QPainter>
#include <QRectF>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "keyboard/key_record.h"

namespace tramond {

class KeyboardEditor;
struct ScreenGeometry;
struct PrintGeometry;

// The Windows font names of key records, drawn with metric-compatible free
// fonts where the Windows ones are missing. Call once before drawing.
void installKeyFontSubstitutes();

// Windows RGB values (0x00BBGGRR) and fonts of key lines as Qt has them.
QColor fromWindowsColour(std::uint32_t value);
std::uint32_t toWindowsColour(const QColor& colour);
QFont keyLineFont(const KeyLineStyle& style, double points);
// Name, size and style of a chosen font into a line's look.
void storeFont(KeyLineStyle& style, const QFont& font);

struct KeyFace {
    bool systemBand = false;     // special key, or a character key on the register keyboard
    bool characterKey = false;   // system keyboard: a white key with its character only
    bool selected = false;
    bool manager = false;
};

struct KeyPaintScale {
    double dpi = 96;            // of the device
    double bandHeight = 9;      // device units
    double referenceKeyHeight;  // the screen key's height in device units (fonts of the band)
};

class KeyPainter {
public:
    // Called once per bitmap path that cannot be drawn, with the message.
    using Warning = std::function<void(const std::string& message)>;
    explicit KeyPainter(Warning warning = {}) : warning_(std::move(warning)) {}

    void paint(QPainter& painter, const QRectF& rect, const KeyRecord& record, const KeyFace& face,
               const KeyPaintScale& scale);
    // Forgets loaded bitmaps and given warnings (a key's bitmap changed).
    void reset();

private:
    void drawLines(QPainter& painter, const QRectF& area, const KeyRecord& record, int lines, double keyHeight,
                   double dpi);
    const QImage* bitmap(const std::string& path);

    Warning warning_;
    std::map<std::string, QImage> bitmaps_;
    std::set<std::string> failed_;
};

// Draws all keys of the open keyboard: on the screen board, or where a
// printed page's layout puts them, at the device's dpi.
void paintBoard(QPainter& painter, const KeyboardEditor& editor, KeyPainter& keys, const ScreenGeometry& geometry,
                int selected = -1);
void paintPrintedBoard(QPainter& painter, const KeyboardEditor& editor, KeyPainter& keys, const PrintGeometry& board,
                       double dpi);

}  // namespace tramond
