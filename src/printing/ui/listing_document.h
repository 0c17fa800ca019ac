#pragma once
// A listing on paper or in a file: fixed-pitch 9-point lines on pages, the
// same painting for a PDF file and for the system printer; and the choice of
// file format by suffix (".pdf", ".doc" rich text, ".txt" plain text).
// Every page carries the column header and, at its foot, the file's name and
// "Page n of m"; pages break between records.

#include <QString>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QFont>

#include "printing/listing.h"

class QPagedPaintDevice;

namespace tramond::ui {

// The fixed-pitch 9-point font of listings.
QFont listingFont();

// Paints the listing onto the device's pages. Needs a GUI application.
// Returns false when the device cannot be painted.
bool paintListing(QPagedPaintDevice& device, const Listing& listing);

// Writes the listing as a PDF file (A4, 15 mm margins); `title` becomes the
// document's title. Returns an error text, empty on success.
std::string writeListingPdf(const std::filesystem::path& file, const Listing& listing, const QString& title);

// The pages writeListingPdf() makes of a listing.
std::size_t listingPdfPages(const Listing& listing);

enum class ListingFormat { Pdf, RichText, PlainText };
// By the suffix, case aside; none for any other.
std::optional<ListingFormat> listingFormatFor(const std::filesystem::path& file);

// Writes the listing whole (temporary file, then renamed into place).
// Returns an error text, empty on success.
std::string writeListingFile(const std::filesystem::path& file, ListingFormat format, const Listing& listing);

}  // namespace tramond::ui
