#include "keyboard/ui/key_painter.h"

#include <QFileInfo>
#include <QFontMetricsF>

#include <algorithm>

#include "app/language_texts.h"
#include "keyboard/keyboard_editor.h"
#include "keyboard/keyboard_geometry.h"

namespace tramond {
namespace {

// The system band's names ("SystemReports") are a reminder, smaller than captions.
constexpr double kMinimumBandFontPoints = 5;


// A caption fitted into an area (smaller font, breaks between words,
// elided only below the readable minimum) and drawn centred.
void drawFitted(QPainter& painter, const QRectF& area, const std::string& text, const QFont& font,
                const QColor& colour, double minimumPoints = kMinimumKeyFontPoints) {
    if (text.empty() || area.width() <= 0 || area.height() <= 0) return;
    QPaintDevice* device = painter.device();
    std::map<double, QFontMetricsF> metrics;
    const auto at = [&](double points) -> const QFontMetricsF& {
        auto it = metrics.find(points);
        if (it == metrics.end()) {
            QFont f = font;
            f.setPointSizeF(points);
            it = metrics.emplace(points, QFontMetricsF(f, device)).first;
        }
        return it->second;
    };
    // Ink, not only the advance: bold and italic glyphs reach past it.
    const auto measure = [&](std::string_view piece, double points) {
        const auto& fm = at(points);
        const QString s = QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()));
        const QRectF ink = fm.boundingRect(s);
        return std::max(fm.horizontalAdvance(s), ink.right() - std::min(0.0, ink.left()));
    };
    const auto lineHeight = [&](double points) { return at(points).height(); };
    // A margin inside the frame, so that no glyph touches it.
    const double margin = std::max(3.0, area.width() * 0.05);
    const double marginY = std::min(margin, area.height() * 0.1);
    const auto fit = fitKeyText(text, area.width() - 2 * margin, area.height() - 2 * marginY, font.pointSizeF(),
                                minimumPoints, measure, lineHeight);
    QFont drawn = font;
    drawn.setPointSizeF(fit.size);
    painter.setFont(drawn);
    painter.setPen(colour);
    const double h = lineHeight(fit.size);
    double y = area.center().y() - h * static_cast<double>(fit.lines.size()) / 2;
    for (const auto& l : fit.lines) {
        painter.drawText(QRectF(area.left(), y, area.width(), h), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip,
                         QString::fromStdString(l));
        y += h;
    }
}

}  // namespace

QColor fromWindowsColour(std::uint32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

std::uint32_t toWindowsColour(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

QFont keyLineFont(const KeyLineStyle& s, double points) {
    QFont f(QString::fromStdString(s.fontName.empty() ? std::string("Arial") : s.fontName));
    f.setPointSizeF(std::max(1.0, points));
    f.setBold(s.style & KeyLineStyle::kBold);
    f.setItalic(s.style & KeyLineStyle::kItalic);
    f.setUnderline(s.style & KeyLineStyle::kUnderline);
    f.setStrikeOut(s.style & KeyLineStyle::kStrikeOut);
    return f;
}

void storeFont(KeyLineStyle& s, const QFont& f) {
    s.fontName = f.family().toStdString();
    s.fontSize = f.pointSize();
    s.style = static_cast<std::uint8_t>((f.bold() ? KeyLineStyle::kBold : 0) | (f.italic() ? KeyLineStyle::kItalic : 0) |
                                        (f.underline() ? KeyLineStyle::kUnderline : 0) |
                                        (f.strikeOut() ? KeyLineStyle::kStrikeOut : 0));
}

void installKeyFontSubstitutes() {
    QFont::insertSubstitution("Times New Roman", "Liberation Serif");
    QFont::insertSubstitution("Arial", "Liberation Sans");
    QFont::insertSubstitution("Arial Narrow", "Liberation Sans Narrow");
    QFont::insertSubstitution("Courier New", "Liberation Mono");
}

void KeyPainter::reset() {
    bitmaps_.clear();
    failed_.clear();
}

const QImage* KeyPainter::bitmap(const std::string& path) {
    if (auto it = bitmaps_.find(path); it != bitmaps_.end()) return &it->second;
    if (failed_.count(path)) return nullptr;
    QImage image;
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file) || !image.load(file)) {
        // Once per path: a share that is not mounted must not put up a box on
        // every repaint, nor cost the record its bitmap.
        failed_.insert(path);
        if (warning_)
            warning_(QFileInfo::exists(file) ? "Could not load or alter Bitmap" : "Bitmap is not in given path!");
        return nullptr;
    }
    return &bitmaps_.emplace(path, std::move(image)).first->second;
}

void KeyPainter::drawLines(QPainter& painter, const QRectF& area, const KeyRecord& record, int lines,
                           double keyHeight, double dpi) {
    const double band = area.height() / lines;
    for (int l = 0; l < lines; ++l) {
        const auto s = record.style(l);
        const QRectF part(area.left(), area.top() + l * band, area.width(), band);
        drawFitted(painter, part, record.text(l), keyLineFont(s, screenFontSize(s.fontSize, keyHeight, dpi)),
                   fromWindowsColour(s.fontColour));
    }
}

void KeyPainter::paint(QPainter& painter, const QRectF& rect, const KeyRecord& record, const KeyFace& face,
                       const KeyPaintScale& scale) {
    painter.save();
    const double unit = scale.referenceKeyHeight / 43.0;  // one 96-dpi unit of the screen key
    const double fontScale = rect.height() / scale.referenceKeyHeight;
    const std::string systemCaption = withoutAccelerators(record.systemCaption());
    if (face.characterKey) {
        painter.fillRect(rect, Qt::white);
        QFont f("Times New Roman");
        f.setPointSizeF(20 * fontScale);
        f.setBold(true);
        drawFitted(painter, rect, systemCaption, f, Qt::black);
    } else {
        const auto first = record.style(0);
        painter.fillRect(rect, fromWindowsColour(first.keyColour));
        QRectF area = rect;
        if (face.systemBand) {
            const QRectF bandRect(rect.left(), rect.top(), rect.width(), scale.bandHeight);
            QFont f("Arial Narrow");
            f.setPointSizeF(7 * fontScale);
            // The band is as high as its font: a long name shrinks or is cut
            // rather than reaching into the key's caption.
            drawFitted(painter, bandRect, systemCaption, f, Qt::black, kMinimumBandFontPoints);
            area.setTop(rect.top() + scale.bandHeight);
        }
        bool drawn = false;
        if (record.displayKind() == DisplayKind::Bitmap) {
            if (const auto* image = bitmap(record.text(2))) {
                painter.drawImage(area, *image);
                drawn = true;
            }
        }
        if (!drawn) {
            const int lines = record.displayKind() == DisplayKind::TwoLines     ? 2
                              : record.displayKind() == DisplayKind::ThreeLines ? 3
                                                                                 : 1;
            drawLines(painter, area, record, lines, rect.height(), scale.dpi);
        }
    }
    painter.setBrush(Qt::NoBrush);
    if (face.selected) {
        painter.setPen(QPen(Qt::black, 5 * unit));
        painter.drawRect(rect.adjusted(3 * unit, 3 * unit, -3 * unit, -3 * unit));
    } else {
        painter.setPen(QPen(Qt::black, std::max(1.0, unit)));
        painter.drawRect(rect);
    }
    if (face.manager) {
        painter.setPen(QPen(Qt::red, 3 * unit));
        painter.drawRect(rect.adjusted(1.5 * unit, 1.5 * unit, -1.5 * unit, -1.5 * unit));
    }
    painter.restore();
}

namespace {

KeyFace faceOf(const KeyboardEditor& editor, int p, int selected) {
    return {editor.showsSystemBand(p), editor.isCharacterKey(p), p == selected, editor.managerKey(p)};
}

}  // namespace

void paintBoard(QPainter& painter, const KeyboardEditor& editor, KeyPainter& keys, const ScreenGeometry& geometry,
                int selected) {
    const KeyPaintScale scale{geometry.dpi, geometry.bandHeight(), geometry.pitchY() * geometry.scale()};
    const int covered = geometry.coveredPosition();
    for (int p = 0; p < kKeyPositions; ++p) {
        if (p == covered) continue;
        const auto r = geometry.keyRect(p);
        keys.paint(painter, QRectF(r.x, r.y, r.width, r.height), editor.record(p), faceOf(editor, p, selected),
                   scale);
    }
}

void paintPrintedBoard(QPainter& painter, const KeyboardEditor& editor, KeyPainter& keys, const PrintGeometry& g,
                       double dpi) {
    for (int p = 0; p < kKeyPositions; ++p) {
        const auto r = g.keyRect(p);
        // The band font follows the key: a printed key is larger than a screen one.
        const KeyPaintScale scale{dpi, g.bandHeight(keyRow(p)), g.rowHeight(1)};
        keys.paint(painter, QRectF(r.x, r.y, r.width, r.height), editor.record(p), faceOf(editor, p, -1), scale);
    }
}

}  // namespace tramond
