#include "program/codepage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <utility>

namespace tramond {
namespace {

using HighHalf = std::array<char16_t, 128>;

// Bytes 0x80..0xFF; the low half is ASCII on both pages.
constexpr HighHalf kCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr HighHalf kCp850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// The five bytes Windows-1252 leaves undefined map to the C1 controls of the
// same value, as Windows itself converts them, so every byte round-trips.
constexpr HighHalf kCp1252 = [] {
    HighHalf t{};
    constexpr char16_t c1[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    for (std::size_t i = 0; i < 32; ++i) t[i] = c1[i];
    for (std::size_t i = 32; i < 128; ++i) t[i] = static_cast<char16_t>(0x80 + i);
    return t;
}();

const HighHalf& table(CodePage cp) {
    switch (cp) {
        case CodePage::Cp437: return kCp437;
        case CodePage::Cp1252: return kCp1252;
        case CodePage::Cp850: break;
    }
    return kCp850;
}

// Code point -> byte for the high half, sorted for binary search.
using Reverse = std::array<std::pair<char16_t, std::uint8_t>, 128>;

Reverse makeReverse(const HighHalf& t) {
    Reverse r{};
    for (std::size_t i = 0; i < 128; ++i) r[i] = {t[i], static_cast<std::uint8_t>(0x80 + i)};
    std::sort(r.begin(), r.end());
    return r;
}

const Reverse& reverse(CodePage cp) {
    static const Reverse r437 = makeReverse(kCp437);
    static const Reverse r850 = makeReverse(kCp850);
    static const Reverse r1252 = makeReverse(kCp1252);
    switch (cp) {
        case CodePage::Cp437: return r437;
        case CodePage::Cp1252: return r1252;
        case CodePage::Cp850: break;
    }
    return r850;
}

std::atomic<CodePage> g_default{CodePage::Cp850};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr std::uint8_t kReplacement = '?';

}  // namespace

void setDefaultCodePage(CodePage cp) { g_default.store(cp); }
CodePage defaultCodePage() { return g_default.load(); }

std::string oemToUtf8(std::span<const std::uint8_t> oem, CodePage cp) {
    const auto& t = table(cp);
    std::string out;
    out.reserve(oem.size());
    for (const auto b : oem) {
        if (b == 0) break;
        appendUtf8(out, b < 0x80 ? char32_t{b} : char32_t{t[b - 0x80]});
    }
    return out;
}

std::vector<std::uint8_t> utf8ToOem(std::string_view utf8, CodePage cp) {
    const auto& rev = reverse(cp);
    std::vector<std::uint8_t> out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = s[i];
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        // Decode one sequence; any malformation (stray continuation byte,
        // overlong form, surrogate, truncation) consumes the bytes read so
        // far and yields one replacement character.
        std::size_t len = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (lead >= 0xC2 && lead <= 0xDF) { len = 2; c = lead & 0x1F; min = 0x80; }
        else if (lead >= 0xE0 && lead <= 0xEF) { len = 3; c = lead & 0x0F; min = 0x800; }
        else if (lead >= 0xF0 && lead <= 0xF4) { len = 4; c = lead & 0x07; min = 0x10000; }
        if (len == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k < len && i + k < n && (s[i + k] & 0xC0) == 0x80; ++k) c = (c << 6) | (s[i + k] & 0x3F);
        const bool valid = k == len && c >= min && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        i += k;
        if (!valid || c > 0xFFFF) {
            out.push_back(kReplacement);
            continue;
        }
        const auto u = static_cast<char16_t>(c);
        const auto it = std::lower_bound(rev.begin(), rev.end(), std::pair<char16_t, std::uint8_t>{u, 0});
        out.push_back(it != rev.end() && it->first == u ? it->second : kReplacement);
    }
    return out;
}

}  // namespace tramond
