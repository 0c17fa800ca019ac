#pragma once
// A listing as a rich-text document (RTF, which word processors open; the
// Print dialog saves it under the "doc" suffix): fixed-pitch 9-point lines.

#include <span>
#include <string>

#include "printing/listing.h"

namespace tramond {

inline constexpr int kListingFontPoints = 9;

// Lines of UTF-8 text; characters outside ASCII are written as RTF Unicode
// escapes with a "?" fallback, and "\", "{", "}" are escaped.
std::string listingRtf(std::span<const std::string> lines);
// A listing with its pages' furniture: the column header in the header of
// every page, the file's name and "Page n of m" in the foot, and the lines
// of a record kept on one page.
std::string listingRtf(const Listing& listing);

}  // namespace tramond
