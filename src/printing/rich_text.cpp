#include "printing/rich_text.h"

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

std::string listingRtf(std::span<const std::string> lines) {
    std::string out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
        "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\n"
        "\\pard\\plain\\f0\\fs" + std::to_string(2 * kListingFontPoints) + "\n";
    for (const auto& line : lines) {
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
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

}  // namespace tramond
