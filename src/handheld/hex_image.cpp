#include "handheld/hex_image.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace tramond {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string hex2(unsigned v) {
    static const char* d = "0123456789ABCDEF";
    return {d[(v >> 4) & 15], d[v & 15]};
}

enum RecordType : std::uint8_t {
    kData = 0,
    kEnd = 1,
    kSegment = 2,
    kStartSegment = 3,
    kLinear = 4,
    kStartLinear = 5,
};

}  // namespace

void HexImage::clear() {
    bytes_.assign(static_cast<std::size_t>(kRows) * kRowBytes, 0xFF);
    used_.assign(kRows, false);
}

int HexImage::usedRows() const { return static_cast<int>(std::count(used_.begin(), used_.end(), true)); }

std::optional<std::string> HexImage::parseLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() != ':') return std::nullopt;
    if (line.size() > kMaxLineLength)
        return "longer than " + std::to_string(kMaxLineLength) + " characters";
    for (std::size_t i = 1; i < line.size(); ++i)
        if (hexDigit(line[i]) < 0) return "'" + std::string(1, line[i]) + "' at column " + std::to_string(i + 1) +
                                          " is not a hexadecimal digit";
    if (line.size() < 11 || (line.size() - 1) % 2 != 0) return "not a complete record";

    std::vector<std::uint8_t> rec((line.size() - 1) / 2);
    for (std::size_t i = 0; i < rec.size(); ++i)
        rec[i] = static_cast<std::uint8_t>(hexDigit(line[1 + 2 * i]) * 16 + hexDigit(line[2 + 2 * i]));
    const std::size_t count = rec[0];
    if (rec.size() != count + 5)
        return "byte count " + std::to_string(count) + " does not match the record's " +
               std::to_string(static_cast<long>(rec.size()) - 5) + " data bytes";
    unsigned sum = 0;
    for (auto b : rec) sum += b;
    if ((sum & 0xFF) != 0) {
        const unsigned expected = (0x100 - ((sum - rec.back()) & 0xFF)) & 0xFF;
        return "checksum " + hex2(rec.back()) + " should be " + hex2(expected);
    }
    const unsigned address = rec[1] * 256u + rec[2];
    const std::uint8_t type = rec[3];
    const std::span<const std::uint8_t> data(rec.data() + 4, count);

    switch (type) {
    case kData: {
        if (address + count > static_cast<unsigned>(kRows) * kRowBytes)
            return "record at " + hex2(address >> 8) + hex2(address) + " runs past the end of the 64 KB image";
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = address + i;
            bytes_[at] = data[i];
            used_[at / kRowBytes] = true;
        }
        // A record of no bytes still names its row.
        used_[address / kRowBytes] = true;
        return std::nullopt;
    }
    case kEnd:
        // The end record marks its row (row 0 for the usual ":00000001FF"),
        // which the loader relies on to start an upload.
        if (count != 0) return "end record with data";
        used_[address / kRowBytes] = true;
        return std::nullopt;
    case kSegment:
    case kLinear:
        if (count != 2) return "extended address record of " + std::to_string(count) + " bytes";
        if (data[0] != 0 || data[1] != 0)
            return "extended address " + hex2(data[0]) + hex2(data[1]) + " lies beyond the 64 KB image";
        return std::nullopt;
    case kStartSegment:
    case kStartLinear:
        // A start address means nothing to the handheld's loader.
        return std::nullopt;
    default:
        return "unknown record type " + hex2(type);
    }
}

std::optional<HexError> loadHexText(std::string_view text, HexImage& image) {
    image.clear();
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        ++lineNo;
        // The last line counts even without a line feed.
        if (auto problem = image.parseLine(text.substr(pos, end - pos))) {
            image.clear();
            return HexError{lineNo, *problem};
        }
        pos = end + 1;
    }
    return std::nullopt;
}

std::optional<HexError> loadHexFile(const std::filesystem::path& path, HexImage& image) {
    image.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return HexError{0, "cannot open " + path.string()};
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return HexError{0, "cannot read " + path.string()};
    return loadHexText(text.str(), image);
}

}  // namespace tramond
