#include "keyboard/ui/keyboard_print.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "keyboard/keyboard_editor.h"
#include "keyboard/ui/key_painter.h"

namespace tramond {
namespace {

constexpr int kPdfResolution = 600;

void paintPage(QPainter& painter, QPagedPaintDevice& device, const KeyboardEditor& editor, KeyPainter& keys) {
    // The whole paper, margins included, as the layout's formula expects;
    // both devices put the origin at the paper's corner.
    const QRectF paper = device.pageLayout().fullRectPixels(device.logicalDpiX());
    paintPrintedBoard(painter, editor, keys, paper.size(), device.logicalDpiY());
}

}  // namespace

std::string writeKeyboardPdf(const KeyboardEditor& editor, const std::filesystem::path& file,
                             const std::function<void(const std::string&)>& warning) {
    installKeyFontSubstitutes();
    const QString name = QString::fromStdString(file.string());
    {
        QPdfWriter writer(name);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
        writer.setTitle("Keyboard");
        writer.setCreator("Tramond");
        QPainter painter;
        if (!painter.begin(&writer)) return "Cannot write \"" + file.string() + "\"";
        KeyPainter keys(warning);
        paintPage(painter, writer, editor, keys);
        if (!painter.end()) return "Cannot write \"" + file.string() + "\"";
    }
    std::error_code ec;
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
    printer.setFullPage(true);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) return;
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        prompter.message(MessageKind::Error, "Error", "The printer could not be started; nothing was printed.");
        return;
    }
    KeyPainter keys([&](const std::string& m) { prompter.message(MessageKind::Warning, "Print", m); });
    paintPage(painter, printer, editor, keys);
    painter.end();
}

}  // namespace tramond
