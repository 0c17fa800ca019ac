#include "printing/rich_text.h"

#include <algorithm>
#include <cstdint>

namespace tramond {

namespace {

// Decodes one UTF-8 sequence at s[i]; malformed bytes read as U+FFFD.
char32_t nextCodePoint(const std::string& s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80) return b;
    int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (more < 0) return 0xFFFD;
    char32_t cp = b & (0x3F >> more);
    for (; more > 0; --more) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return cp;
}

void putUnicode(std::string& out, char32_t cp) {
    if (cp > 0xFFFF) {  // a surrogate pair, each half as a signed 16-bit value
        cp -= 0x10000;
        putUnicode(out, 0xD800 + (cp >> 10));
        putUnicode(out, 0xDC00 + (cp & 0x3FF));
        return;
    }
    out += "\\u" + std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(cp))) + "?";
}

}  // namespace

namespace {

void putText(std::string& out, const std::string& line) {
    for (std::size_t i = 0; i < line.size();) {
        const char32_t cp = nextCodePoint(line, i);
        if (cp == '\\' || cp == '{' || cp == '}') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp == '\t') {
            out += "\\tab ";
        } else if (cp < 0x20) {
            // control characters have no place in a listing
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            putUnicode(out, cp);
        }
    }
}

std::string start() {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
           "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\n";
}

std::string paragraph() { return "\\pard\\plain\\f0\\fs" + std::to_string(2 * kListingFontPoints); }

}  // namespace

std::string listingRtf(std::span<const std::string> lines) {
    std::string out = start() + paragraph() + "\n";
    for (const auto& line : lines) {
        putText(out, line);
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

std::string listingRtf(const Listing& listing) {
    const auto& lines = listing.lines;
    const std::size_t headerEnd = std::min(listing.bodyStart(), lines.size());
    const std::size_t firstEnd = std::min(listing.firstLines, headerEnd);
    std::string out = start();
    // The word processor lays out the pages: the column header goes into the
    // header of every page, the file's name and "Page n of m" into the foot.
    if (headerEnd > firstEnd) {
        out += "{\\header" + paragraph() + " ";
        for (std::size_t i = firstEnd; i < headerEnd; ++i) {
            putText(out, lines[i]);
            out += "\\par ";
        }
        out += "}\n";
    }
    out += "{\\footer" + paragraph() + "\\tqr\\tx8300 ";
    putText(out, listing.fileName);
    out += "\\tab Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} of {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}\\par}\n";
    out += paragraph() + "\n";
    for (std::size_t i = 0; i < firstEnd; ++i) {
        putText(out, lines[i]);
        out += "\\par\n";
    }
    // A record's lines stay together on one page.
    std::size_t next = 0;  // index into recordStarts
    for (std::size_t i = headerEnd; i < lines.size(); ++i) {
        while (next < listing.recordStarts.size() && listing.recordStarts[next] <= i) ++next;
        const std::size_t recordEnd = next < listing.recordStarts.size() ? listing.recordStarts[next] : lines.size();
        const bool last = i + 1 >= recordEnd;
        out += last ? paragraph() + " " : paragraph() + "\\keepn ";
        putText(out, lines[i]);
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

}  // namespace tramond
