#include "link/logo.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace tramond {
namespace {

void putLe16(std::vector<std::uint8_t>& v, std::size_t o, std::uint16_t x) {
    v[o] = static_cast<std::uint8_t>(x);
    v[o + 1] = static_cast<std::uint8_t>(x >> 8);
}
void putLe32(std::vector<std::uint8_t>& v, std::size_t o, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[o + i] = static_cast<std::uint8_t>(x >> (8 * i));
}
std::uint32_t le32(const std::vector<std::uint8_t>& v, std::size_t o) {
    return static_cast<std::uint32_t>(v[o]) | (static_cast<std::uint32_t>(v[o + 1]) << 8) |
           (static_cast<std::uint32_t>(v[o + 2]) << 16) | (static_cast<std::uint32_t>(v[o + 3]) << 24);
}

}  // namespace

std::optional<LogoLayout> logoLayout(int logoType) {
    switch (logoType) {
    case 1: return LogoLayout{1, 256, 160, 160, 2, 63};
    case 2: return LogoLayout{2, 256, 320, 320, 4, 127};
    case 3: return LogoLayout{3, 512, 160, 160, 2, 127};
    default: return std::nullopt;
    }
}

std::vector<std::uint8_t> blankLogoBitmap(const LogoLayout& g) {
    std::vector<std::uint8_t> v(g.fileSize(), 0);
    v[0] = 'B';
    v[1] = 'M';
    putLe32(v, 2, static_cast<std::uint32_t>(g.fileSize()));
    putLe32(v, 10, kBmpHeaderSize);
    putLe32(v, 14, 40);
    putLe32(v, 18, static_cast<std::uint32_t>(g.width));
    putLe32(v, 22, static_cast<std::uint32_t>(g.height));
    putLe16(v, 26, 1);
    putLe16(v, 28, 1);
    // Palette: entry 0 black (zeros), entry 1 white.
    v[58] = v[59] = v[60] = 0xFF;
    std::fill(v.begin() + kBmpHeaderSize, v.end(), std::uint8_t{0xFF});
    return v;
}

LogoReceiver::LogoReceiver(const LogoLayout& g)
    : g_(g), bmp_(blankLogoBitmap(g)), column_(static_cast<std::size_t>(g.columnDots), 0xFF) {}

void LogoReceiver::storeLine(int line, std::span<const std::uint8_t> data) {
    if (line < 0) return;
    const int x = line / g_.linesPerColumn;
    const int u = line % g_.linesPerColumn;
    if (u == 0) std::fill(column_.begin(), column_.end(), std::uint8_t{0xFF});
    const std::size_t at = static_cast<std::size_t>(u) * kLogoLineSize;
    const std::size_t n = std::min({data.size(), kLogoLineSize, column_.size() - std::min(at, column_.size())});
    std::copy_n(data.begin(), n, column_.begin() + static_cast<std::ptrdiff_t>(at));
    if (u != g_.linesPerColumn - 1) return;
    if (8 * x >= g_.width) return;
    const int c = g_.columnDots;
    const int bytesPerDotColumn = c / 8;
    const std::size_t stride = static_cast<std::size_t>(g_.stride());
    for (int s = 0; s < g_.height; ++s) {
        const int r = c - 1 - s;
        if (r < 0) break;
        std::uint8_t out = 0;
        for (int p = 0; p < 8; ++p) {
            const std::uint8_t b = column_[static_cast<std::size_t>(p * bytesPerDotColumn + r / 8)];
            const bool black = (b >> (7 - r % 8)) & 1;
            if (!black) out |= static_cast<std::uint8_t>(0x80 >> p);
        }
        bmp_[kBmpHeaderSize + static_cast<std::size_t>(s) * stride + static_cast<std::size_t>(x)] = out;
    }
}

std::optional<LogoSender> LogoSender::fromBitmap(std::vector<std::uint8_t> file, const LogoLayout& type,
                                                 std::string* why) {
    auto refuse = [&](const char* reason) -> std::optional<LogoSender> {
        if (why) *why = reason;
        return std::nullopt;
    };
    if (file.size() < kBmpHeaderSize - 4) return refuse("it is too short for a bitmap header");
    const auto width = static_cast<std::int32_t>(le32(file, 18));
    const auto height = static_cast<std::int32_t>(le32(file, 22));
    if (width <= 0) return refuse("its width is not a positive number");
    if (height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return refuse("its height is not usable");
    // The rows the header claims must be in the file: a damaged header
    // would otherwise have the rows read from far outside it.
    const std::uint64_t minStride = ((static_cast<std::uint64_t>(width) + 31) / 32) * 4;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
    if (rows * minStride > file.size() - std::min<std::size_t>(file.size(), kBmpHeaderSize))
        return refuse("its header claims more rows than the file holds");
    return LogoSender(std::move(file), type, width, height);
}

LogoSender::LogoSender(std::vector<std::uint8_t> file, const LogoLayout& type, int width, int height)
    : file_(std::move(file)), g_(type), width_(width), height_(height),
      column_(static_cast<std::size_t>(type.columnDots), 0xFF) {
    // The row length follows from the file's own size, as the register's
    // tools always wrote it; a damaged size falls back to the width.
    const std::uint32_t declared = le32(file_, 2);
    const std::size_t rows = static_cast<std::size_t>(std::abs(height_));
    stride_ = declared > kBmpHeaderSize && declared <= file_.size() ? (declared - kBmpHeaderSize) / rows : 0;
    if (stride_ == 0) stride_ = static_cast<std::size_t>(((width_ + 31) / 32) * 4);
}

std::uint8_t LogoSender::row(int topRow, int x) const {
    const int rows = std::abs(height_);
    if (topRow < 0 || topRow >= rows) return 0xFF;
    const int stored = height_ > 0 ? rows - 1 - topRow : topRow;
    const std::size_t o = kBmpHeaderSize + static_cast<std::size_t>(stored) * stride_ + static_cast<std::size_t>(x);
    return o < file_.size() ? file_[o] : 0xFF;
}

std::array<std::uint8_t, kLogoLineSize> LogoSender::buildLine(int line) {
    std::array<std::uint8_t, kLogoLineSize> out{};
    const int x = line / g_.linesPerColumn;
    const int u = line % g_.linesPerColumn;
    if (8 * x >= width_) return out;
    const int c = g_.columnDots;
    if (u == 0) {
        // Buffer byte k is image row k from the top; the file's rows are
        // counted from the bottom of a C-dot column.
        for (int k = 0; k < c; ++k) {
            const int s = c - 1 - k;  // stored row index for a full-height image
            const int topRow = std::abs(height_) - 1 - s;
            column_[static_cast<std::size_t>(k)] = row(topRow, x);
        }
    }
    const int columnsPerLine = 8 / g_.linesPerColumn;
    std::size_t k = 0;
    for (int i = 0; i < columnsPerLine; ++i) {
        const int p = u * columnsPerLine + i;
        const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> p);
        for (int j = 0; j < c / 8; ++j) {
            std::uint8_t b = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (column_[static_cast<std::size_t>(j * 8 + bit)] & mask) b |= static_cast<std::uint8_t>(0x80 >> bit);
            out[k++] = static_cast<std::uint8_t>(~b);
        }
    }
    return out;
}

}  // namespace tramond
