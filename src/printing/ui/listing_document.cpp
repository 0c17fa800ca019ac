#include "printing/ui/listing_document.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "printing/rich_text.h"
#include "program/file_io.h"

namespace tramond::ui {

namespace {

// Draws lines of the fixed-pitch font as glyph runs: each character's glyph
// is looked up once, and the pitch is the same for all, so a line needs no
// text layout. A line with a character the font lacks goes through the
// painter's text drawing, which finds another font for it.
class LineDrawer {
public:
    LineDrawer(QPainter& painter, const QFont& font, double pixelSize) : painter_(painter), font_(font) {
        raw_ = QRawFont::fromFont(font);
        raw_.setPixelSize(pixelSize);
        ascii_.fill(0);
        for (char32_t c = 32; c < 127; ++c) {
            const auto g = raw_.glyphIndexesForString(QString(QChar(static_cast<char16_t>(c))));
            ascii_[c] = g.isEmpty() ? 0 : g.front();
        }
        const quint32 m = ascii_['M'];
        const auto advances = raw_.advancesForGlyphIndexes(QList<quint32>{m});
        advance_ = advances.isEmpty() ? pixelSize * 0.6 : advances.front().x();
    }
    double advance() const { return advance_; }
    double width(std::string_view text) const { return advance_ * static_cast<double>(characters(text)); }

    void draw(double x, double baseline, std::string_view text) {
        if (text.empty()) return;
        glyphs_.clear();
        positions_.clear();
        bool plain = raw_.isValid();
        for (std::size_t i = 0; i < text.size() && plain; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 128 || ascii_[c] == 0) {
                plain = c == ' ';
                if (!plain) break;
            }
            if (c != ' ') {
                glyphs_.push_back(ascii_[c]);
                positions_.push_back(QPointF(advance_ * static_cast<double>(i), 0));
            }
        }
        if (!plain) {
            painter_.setFont(font_);
            painter_.drawText(QPointF(x, baseline), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
            return;
        }
        if (glyphs_.isEmpty()) return;
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(glyphs_);
        run.setPositions(positions_);
        painter_.drawGlyphRun(QPointF(x, baseline), run);
    }

private:
    static std::size_t characters(std::string_view s) {
        return static_cast<std::size_t>(
            std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    }

    QPainter& painter_;
    QFont font_;
    QRawFont raw_;
    std::array<quint32, 128> ascii_{};
    double advance_ = 0;
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
};

// The foot: a blank line, then the file's name and the page number.
constexpr std::size_t kFootLines = 2;

double lineHeightOn(QPaintDevice& device) {
    return std::max(1.0, QFontMetricsF(listingFont(), &device).lineSpacing());
}

// Lines of header and records a page holds.
std::size_t linesPerPage(QPagedPaintDevice& device) {
    const QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiY());
    const auto fit = static_cast<std::size_t>(std::floor(page.height() / lineHeightOn(device)));
    return fit > kFootLines + 1 ? fit - kFootLines : 1;
}

void setUpPdf(QPdfWriter& writer, const QString& title) {
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Tramond"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
}

}  // namespace

QFont listingFont() {
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(kListingFontPoints);
    return font;
}

bool paintListing(QPagedPaintDevice& device, const Listing& listing) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QFont font = listingFont();
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    const double lineHeight = lineHeightOn(device);
    const QRectF page = painter.viewport();
    LineDrawer lines(painter, font, kListingFontPoints * device.logicalDpiY() / 72.0);
    const std::size_t perPage = linesPerPage(device);
    const std::size_t footLines = kFootLines;
    const auto pages = paginateListing(listing, perPage);
    const auto& all = listing.lines;
    const std::size_t headerEnd = std::min(listing.bodyStart(), all.size());
    const std::size_t firstEnd = std::min(listing.firstLines, headerEnd);

    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        std::size_t row = 0;
        const auto put = [&](std::string_view text) {
            lines.draw(0, static_cast<double>(row) * lineHeight + metrics.ascent(), text);
            ++row;
        };
        if (pages[p].withFirstLines)
            for (std::size_t i = 0; i < firstEnd; ++i) put(all[i]);
        for (std::size_t i = firstEnd; i < headerEnd; ++i) put(all[i]);
        for (std::size_t i = pages[p].first; i < pages[p].end && i < all.size(); ++i) put(all[i]);

        const double foot = static_cast<double>(perPage + footLines - 1) * lineHeight + metrics.ascent();
        lines.draw(0, foot, listing.fileName);
        const auto number = pageNumberText(p + 1, pages.size());
        lines.draw(std::max(0.0, page.width() - lines.width(number)), foot, number);
    }
    return painter.end();
}

std::string writeListingPdf(const std::filesystem::path& file, const Listing& listing, const QString& title) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        setUpPdf(writer, title);
        if (!paintListing(writer, listing)) return "The PDF could not be drawn";
    }
    try {
        writeFileAtomic(file, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())));
    } catch (const FileError& e) {
        return e.what();
    }
    return {};
}

std::size_t listingPdfPages(const Listing& listing) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    setUpPdf(writer, {});
    return paginateListing(listing, linesPerPage(writer)).size();
}

std::optional<ListingFormat> listingFormatFor(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".pdf") return ListingFormat::Pdf;
    if (ext == ".doc" || ext == ".rtf") return ListingFormat::RichText;
    if (ext == ".txt") return ListingFormat::PlainText;
    return std::nullopt;
}

std::string writeListingFile(const std::filesystem::path& file, ListingFormat format, const Listing& listing) {
    try {
        switch (format) {
            case ListingFormat::Pdf: return writeListingPdf(file, listing, QString::fromStdString(listing.fileName));
            case ListingFormat::RichText: writeTextFileAtomic(file, listingRtf(listing)); break;
            case ListingFormat::PlainText: writeTextFileAtomic(file, listingText(listing.lines)); break;
        }
    } catch (const FileError& e) {
        return e.what();
    }
    return {};
}

}  // namespace tramond::ui
