#include "keyboard/ui/keyboard_print.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <charconv>
#include <cmath>
#include <cstdio>

#include "keyboard/keyboard_editor.h"
#include "keyboard/keyboard_geometry.h"
#include "keyboard/ui/key_painter.h"

namespace tramond {
namespace {

constexpr int kPdfResolution = 600;
constexpr double kTitlePoints = 9;
// Narrower than this, a title column beside the board is no use.
constexpr double kTitleColumnMm = 30;
// The title line's height, the same on every device so that the paper check
// and the page agree.
constexpr double kTitleLineMm = kTitlePoints * 1.3 * 25.4 / 72;

std::optional<double> millimetres(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !(v >= 5 && v <= 60)) return std::nullopt;
    return v;
}

std::string mm(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

QFont titleFont() {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(kTitlePoints);
    return f;
}

std::optional<PrintedPageLayout> layoutIn(const QRectF& area, double unitsPerMm, const KeyboardPrintOptions& options) {
    std::optional<std::pair<double, double>> pitch;
    if (options.pitch) pitch = std::pair{options.pitch->across * unitsPerMm, options.pitch->down * unitsPerMm};
    return layoutPrintedPage(area.width(), area.height(), kTitleLineMm * unitsPerMm, kTitleColumnMm * unitsPerMm,
                             pitch);
}

std::string paperProblem(const KeyboardPrintOptions& options, const QRectF& areaMm) {
    if (!options.pitch) return "The paper has no room for the keyboard.";
    const auto board = PrintGeometry::trueScale(0, 0, options.pitch->across, options.pitch->down);
    return "At a key pitch of " + mm(options.pitch->across) + " x " + mm(options.pitch->down) +
           " mm the keyboard needs " + mm(board.boardWidth()) + " x " + mm(board.boardHeight()) +
           " mm and a title line; the printable area of " + options.paper.name().toStdString() + " landscape is " +
           mm(areaMm.width()) + " x " + mm(areaMm.height()) + " mm. Choose larger paper.";
}

// Paints one page on a device whose painter origin is the printable area's
// corner. Returns "" or why the page cannot be laid out.
std::string paintSheet(QPainter& painter, QPagedPaintDevice& device, const KeyboardSheet& sheet,
                       const KeyboardPrintOptions& options, KeyPainter& keys) {
    const double dpi = device.logicalDpiY();
    const double unitsPerMm = dpi / 25.4;
    const QRectF area = device.pageLayout().paintRectPixels(static_cast<int>(std::lround(dpi)));
    const QFontMetricsF fm(titleFont(), &device);
    const auto layout = layoutIn(area, unitsPerMm, options);
    if (!layout) return paperProblem(options, device.pageLayout().paintRect(QPageLayout::Millimeter));
    auto parts = sheet.title;
    const auto& b = layout->board;
    parts.push_back((options.pitch ? "True scale, key pitch " : "Fitted to the page, key pitch ") +
                    mm(b.keyWidth / unitsPerMm) + " x " + mm(b.rowPitch / unitsPerMm) + " mm");

    painter.save();
    painter.setFont(titleFont());
    painter.setPen(Qt::black);
    const auto& t = layout->title;
    if (layout->titleBeside) {
        // One part under the other, each broken to the column's width.
        double y = t.y;
        for (const auto& part : parts) {
            for (const auto& line : wrapKeyText(part, t.width, [&](std::string_view s) {
                     return fm.horizontalAdvance(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
                 })) {
                painter.drawText(QPointF(t.x, y + fm.ascent()), QString::fromStdString(line));
                y += fm.height();
            }
            y += fm.height() / 2;
        }
    } else {
        std::string line;
        for (const auto& part : parts) line += (line.empty() ? "" : "    ") + part;
        painter.drawText(QRectF(t.x, t.y, t.width, t.height), Qt::AlignLeft | Qt::AlignVCenter,
                         fm.elidedText(QString::fromStdString(line), Qt::ElideMiddle, t.width));
    }
    painter.restore();
    paintPrintedBoard(painter, *sheet.editor, keys, b, dpi);
    return {};
}

}  // namespace

std::optional<KeyPitch> parseKeyPitch(std::string_view text) {
    const auto x = text.find_first_of("xX");
    const auto across = millimetres(text.substr(0, x));
    if (!across) return std::nullopt;
    if (x == std::string_view::npos) return KeyPitch{*across, *across * kPrintedKeyDown / kPrintedKeyAcross};
    const auto down = millimetres(text.substr(x + 1));
    if (!down) return std::nullopt;
    return KeyPitch{*across, *down};
}

std::string checkKeyboardPaper(const KeyboardPrintOptions& options) {
    const QPageLayout page(options.paper, QPageLayout::Landscape,
                           QMarginsF(kPrintableMarginMm, kPrintableMarginMm, kPrintableMarginMm, kPrintableMarginMm),
                           QPageLayout::Millimeter);
    const QRectF areaMm = page.paintRect(QPageLayout::Millimeter);
    return layoutIn(areaMm, 1.0, options) ? std::string() : paperProblem(options, areaMm);
}

std::string printTimestamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")).toStdString();
}

std::vector<std::string> keyboardTitle(const KeyboardEditor& editor, const std::string& timestamp) {
    const auto& s = editor.session();
    std::vector<std::string> parts{"Program " + s.programPath.string()};
    std::string keyboard = editor.mode() == KeyboardMode::System ? "System keyboard " : "Register keyboard ";
    keyboard += editor.filePath().filename().string();
    // Only a network's own keyboards belong to one machine.
    if (editor.chooserVisible()) keyboard += ", machine " + std::to_string(std::max(1, s.machineNumber));
    parts.push_back(keyboard);
    parts.push_back(timestamp);
    return parts;
}

std::string writeKeyboardPdf(std::span<const KeyboardSheet> sheets, const std::filesystem::path& file,
                             const KeyboardPrintOptions& options,
                             const std::function<void(const std::string&)>& warning) {
    installKeyFontSubstitutes();
    const QString name = QString::fromStdString(file.string());
    std::error_code ec;
    if (const auto folder = file.parent_path(); !folder.empty() && !std::filesystem::is_directory(folder, ec))
        return "Cannot write \"" + file.string() + "\": there is no folder \"" + folder.string() + "\"";
    std::string problem;
    {
        QPdfWriter writer(name);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(options.paper, QPageLayout::Landscape,
                                         QMarginsF(kPrintableMarginMm, kPrintableMarginMm, kPrintableMarginMm,
                                                   kPrintableMarginMm),
                                         QPageLayout::Millimeter));
        writer.setTitle("Keyboard");
        writer.setCreator("Tramond");
        QPainter painter;
        if (!painter.begin(&writer)) return "Cannot write \"" + file.string() + "\"";
        KeyPainter keys(warning);
        for (std::size_t i = 0; i < sheets.size() && problem.empty(); ++i) {
            if (i > 0) writer.newPage();
            problem = paintSheet(painter, writer, sheets[i], options, keys);
        }
        if (!painter.end() && problem.empty()) problem = "Cannot write \"" + file.string() + "\"";
    }
    if (!problem.empty()) {
        // Half a keyboard is no overlay.
        std::filesystem::remove(file, ec);
        return problem;
    }
    if (!std::filesystem::exists(file, ec) || std::filesystem::file_size(file, ec) == 0)
        return "Cannot write \"" + file.string() + "\"";
    return {};
}

void printKeyboard(const KeyboardEditor& editor, QWidget* parent, Prompter& prompter) {
    installKeyFontSubstitutes();
    if (QPrinterInfo::availablePrinters().isEmpty())
        prompter.message(MessageKind::Information, "Print",
                         "No printer is installed. The keyboard can only be printed to a file.");
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) return;
    printer.setPageOrientation(QPageLayout::Landscape);
    // The driver's margins are the printable area: the painter starts there.
    printer.setFullPage(false);
    QPainter painter;
    if (!painter.begin(&printer)) {
        prompter.message(MessageKind::Error, "Error", "The printer could not be started; nothing was printed.");
        return;
    }
    KeyPainter keys([&](const std::string& m) { prompter.message(MessageKind::Warning, "Print", m); });
    const KeyboardSheet sheet{&editor, keyboardTitle(editor, printTimestamp())};
    KeyboardPrintOptions options;
    options.paper = printer.pageLayout().pageSize();
    const auto problem = paintSheet(painter, printer, sheet, options, keys);
    painter.end();
    if (!problem.empty()) prompter.message(MessageKind::Error, "Error", problem);
}

}  // namespace tramond
