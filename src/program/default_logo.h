#pragma once
// The receipt logo of a new program: a monochrome bitmap file of the
// dimensions the configured logo type gives, holding a plain frame the dealer
// draws the shop's logo into.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "program/application_block.h"

namespace tramond {

struct LogoGeometry {
    int type;                 // 1, 2 or 3
    std::uint32_t width;      // dots
    std::uint32_t height;     // dots
    std::uint32_t rowBytes;   // bytes per stored row, a multiple of 4
    std::uint32_t fileSize;   // 62 + height x rowBytes
};

inline constexpr std::uint32_t kLogoDotsOffset = 62;

// Only logo types 1, 2 and 3 have a bitmap.
std::optional<LogoGeometry> logoGeometry(int logoType);

// The whole ".bmp" file; empty for a type without a bitmap.
std::vector<std::uint8_t> defaultLogoBitmap(int logoType);

// Writes the default logo of the block's logo type to file (atomically).
// Returns false, writing nothing, when the type has no bitmap.
bool writeDefaultLogo(const std::filesystem::path& file, const ApplicationBlock& app);

}  // namespace tramond
