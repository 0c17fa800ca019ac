#pragma once
// A listing on paper or in a file: fixed-pitch 9-point lines on pages, the
// same painting for a PDF file and for the system printer; and the choice of
// file format by suffix (".pdf", ".doc" rich text, ".txt" plain text).

#include <QString>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QFont>

class QPagedPaintDevice;

namespace tramond::ui {

// The fixed-pitch 9-point font of listings.
QFont listingFont();

// Paints the lines onto the device's pages (page breaks as the page holds).
// Needs a GUI application. Returns false when the device cannot be painted.
bool paintListing(QPagedPaintDevice& device, std::span<const std::string> lines);

// The PDF bytes of a listing; `title` becomes the document's title.
std::optional<std::vector<std::uint8_t>> listingPdf(std::span<const std::string> lines, const QString& title);

enum class ListingFormat { Pdf, RichText, PlainText };
// By the suffix, case aside; none for any other.
std::optional<ListingFormat> listingFormatFor(const std::filesystem::path& file);

// Writes the listing whole (temporary file, then renamed into place).
// Returns an error text, empty on success.
std::string writeListingFile(const std::filesystem::path& file, ListingFormat format,
                             std::span<const std::string> lines, const std::string& title);

}  // namespace tramond::ui
