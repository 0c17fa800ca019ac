#include "printing/ui/listing_document.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cctype>

#include "printing/listing.h"
#include "printing/rich_text.h"
#include "program/file_io.h"

namespace tramond::ui {

QFont listingFont() {
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(kListingFontPoints);
    return font;
}

bool paintListing(QPagedPaintDevice& device, std::span<const std::string> lines) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    painter.setFont(listingFont());
    const QFontMetrics metrics(painter.font(), &device);
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const QRect page = painter.viewport();
    const int perPage = std::max(1, page.height() / lineHeight);
    int row = 0;
    for (const auto& line : lines) {
        if (row == perPage) {
            device.newPage();
            row = 0;
        }
        painter.drawText(0, row * lineHeight + metrics.ascent(), QString::fromStdString(line));
        ++row;
    }
    return painter.end();
}

std::optional<std::vector<std::uint8_t>> listingPdf(std::span<const std::string> lines, const QString& title) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Tramond"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        if (!paintListing(writer, lines)) return std::nullopt;
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::optional<ListingFormat> listingFormatFor(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".pdf") return ListingFormat::Pdf;
    if (ext == ".doc" || ext == ".rtf") return ListingFormat::RichText;
    if (ext == ".txt") return ListingFormat::PlainText;
    return std::nullopt;
}

std::string writeListingFile(const std::filesystem::path& file, ListingFormat format,
                             std::span<const std::string> lines, const std::string& title) {
    try {
        switch (format) {
            case ListingFormat::Pdf: {
                auto pdf = listingPdf(lines, QString::fromStdString(title));
                if (!pdf) return "The PDF could not be drawn";
                writeFileAtomic(file, *pdf);
                break;
            }
            case ListingFormat::RichText: writeTextFileAtomic(file, listingRtf(lines)); break;
            case ListingFormat::PlainText: writeTextFileAtomic(file, listingText(lines)); break;
        }
    } catch (const FileError& e) {
        return e.what();
    }
    return {};
}

}  // namespace tramond::ui
