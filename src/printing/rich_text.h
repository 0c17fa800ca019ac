#pragma once
// A listing as a rich-text document (RTF, which word processors open; the
// Print dialog saves it under the "doc" suffix): fixed-pitch 9-point lines.

#include <span>
#include <string>

namespace tramond {

inline constexpr int kListingFontPoints = 9;

// Lines of UTF-8 text; characters outside ASCII are written as RTF Unicode
// escapes with a "?" fallback, and "\", "{", "}" are escaped.
std::string listingRtf(std::span<const std::string> lines);

}  // namespace tramond
