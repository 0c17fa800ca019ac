#include "handheld/hex_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

std::uint16_t HexImage::sum() const {
    unsigned total = 0;
    for (int r = 0; r < kRows; ++r)
        if (rowUsed(r))
            for (const auto b : row(r)) total += b;
    return static_cast<std::uint16_t>(total);
}

std::optional<std::string> HexImage::parseLine(std::string_view line, int* typeOut) {
    if (typeOut) *typeOut = -1;
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
    if (typeOut) *typeOut = type;
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
    const auto refuse = [&](int line, std::string what) {
        image.clear();
        return HexError{line, std::move(what)};
    };
    if (text.empty()) return refuse(0, "the file is empty");
    // A byte-order mark would hide the first record.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    int lineNo = 0;
    int endLine = 0;
    int records = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        ++lineNo;
        const auto line = text.substr(pos, end - pos);
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool lineEnd = c == '\r' && i + 1 == line.size();
            if ((c < 0x20 && c != '\t' && !lineEnd) || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", c);
                return refuse(lineNo, std::string("byte ") + hex + " at column " + std::to_string(i + 1) +
                                          ": a binary file, not Intel HEX text");
            }
        }
        // The last line counts even without a line feed.
        int type = -1;
        if (auto problem = image.parseLine(line, &type)) return refuse(lineNo, *problem);
        if (type >= 0) {
            if (endLine > 0)
                return refuse(lineNo, "a record after the end record of line " + std::to_string(endLine));
            ++records;
            if (type == 1) endLine = lineNo;
        }
        pos = end + 1;
    }
    if (records == 0) return refuse(0, "no Intel HEX records (lines beginning with ':')");
    if (endLine == 0)
        return refuse(lineNo, "the file ends without its end record (:00000001FF): it is cut short");
    return std::nullopt;
}

std::optional<HexError> loadHexFile(const std::filesystem::path& path, HexImage& image) {
    image.clear();
    // Opened without waiting: a FIFO or a terminal must not hold the upload
    // before its type is seen.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EISDIR) return HexError{0, path.string() + " is a folder, not a HEX file"};
        return HexError{0, "cannot open " + path.string() + ": " + std::strerror(errno)};
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return HexError{0, "cannot read " + path.string() + ": " + std::strerror(errno)};
    if (S_ISDIR(st.st_mode)) return HexError{0, path.string() + " is a folder, not a HEX file"};
    if (!S_ISREG(st.st_mode))
        return HexError{0, path.string() + " is not a regular file (a FIFO, device or socket), not a HEX file"};
    if (st.st_size == 0) return HexError{0, path.string() + ": the file is empty"};
    if (static_cast<std::uintmax_t>(st.st_size) > HexImage::kMaxFileBytes)
        return HexError{0, path.string() + " holds " + std::to_string(st.st_size) + " bytes, more than an image's " +
                               std::to_string(HexImage::kMaxFileBytes) + ": not an operating-system image"};
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return HexError{0, "cannot read " + path.string() + ": " + std::strerror(errno)};
        if (n == 0) break;
        // A file that grows while it is read is still bounded.
        if (text.size() + static_cast<std::size_t>(n) > HexImage::kMaxFileBytes)
            return HexError{0, path.string() + " grew past " + std::to_string(HexImage::kMaxFileBytes) + " bytes"};
        text.append(buf, static_cast<std::size_t>(n));
    }
    return loadHexText(text, image);
}

}  // namespace tramond
