#include "program/default_logo.h"

#include <algorithm>

#include "program/file_io.h"

namespace tramond {
namespace {

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Frame thicknesses and insets in dots: a bold outer frame and a thin inner one.
constexpr std::uint32_t kOuter = 4;
constexpr std::uint32_t kGap = 4;
constexpr std::uint32_t kInner = 1;

bool isFrame(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) {
    const auto edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
    return edge < kOuter || (edge >= kOuter + kGap && edge < kOuter + kGap + kInner);
}

}  // namespace

std::optional<LogoGeometry> logoGeometry(int logoType) {
    std::uint32_t w = 0, h = 0;
    switch (logoType) {
        case 1: w = 256; h = 160; break;
        case 2: w = 256; h = 320; break;
        case 3: w = 512; h = 160; break;
        default: return std::nullopt;
    }
    const std::uint32_t s = (w / 8 + 3) / 4 * 4;
    return LogoGeometry{logoType, w, h, s, kLogoDotsOffset + h * s};
}

std::vector<std::uint8_t> defaultLogoBitmap(int logoType) {
    const auto g = logoGeometry(logoType);
    if (!g) return {};
    std::vector<std::uint8_t> b(g->fileSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, g->fileSize);
    put32(b, 10, kLogoDotsOffset);
    put32(b, 14, 40);
    put32(b, 18, g->width);
    put32(b, 22, g->height);
    put16(b, 26, 1);  // planes
    put16(b, 28, 1);  // bits per dot
    // Palette entry 0 black (already zero), entry 1 white.
    b[58] = b[59] = b[60] = 0xFF;
    // Rows are stored bottom first; a set bit is a white dot.
    for (std::uint32_t s = 0; s < g->height; ++s) {
        const std::uint32_t y = g->height - 1 - s;
        for (std::uint32_t x = 0; x < g->width; ++x) {
            if (isFrame(x, y, g->width, g->height)) continue;
            b[kLogoDotsOffset + s * g->rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return b;
}

bool writeDefaultLogo(const std::filesystem::path& file, const ApplicationBlock& app) {
    const auto b = defaultLogoBitmap(app.logoSize());
    if (b.empty()) return false;
    writeFileAtomic(file, b);
    return true;
}

}  // namespace tramond
