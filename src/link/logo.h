#pragma once
// The receipt logo: a monochrome Windows bitmap on the PC, numbered lines of
// 80 bytes of dot columns on the register (block 91).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tramond {

inline constexpr std::size_t kLogoLineSize = 80;
inline constexpr std::size_t kBmpHeaderSize = 62;  // file + info header + 2 palette entries

struct LogoLayout {
    int type;          // 1, 2, 3
    int width;         // W dots
    int height;        // H dots
    int columnDots;    // C: dots of one vertical dot column
    int linesPerColumn;  // L: lines per byte column
    int lastLine;      // highest line number sent
    int stride() const { return ((width + 31) / 32) * 4; }
    std::size_t fileSize() const { return kBmpHeaderSize + static_cast<std::size_t>(height) * stride(); }
};

// The geometry of logo types 1..3; nothing for any other type (no logo).
std::optional<LogoLayout> logoLayout(int logoType);
// The logo type as the application block holds it (low four bits).
inline int logoTypeFromSetting(std::uint8_t setting) { return setting & 0x0F; }

// An all-white bitmap file of the type's dimensions.
std::vector<std::uint8_t> blankLogoBitmap(const LogoLayout& g);

// Receives lines into a bitmap image (StoreLogoLine).
class LogoReceiver {
public:
    explicit LogoReceiver(const LogoLayout& g);
    void storeLine(int line, std::span<const std::uint8_t> data);
    const std::vector<std::uint8_t>& bitmap() const { return bmp_; }

private:
    LogoLayout g_;
    std::vector<std::uint8_t> bmp_;
    std::vector<std::uint8_t> column_;
};

// Builds lines from a bitmap file (BuildLogoLine). The dimensions come from
// the file's own headers; the column height and line count from the type.
class LogoSender {
public:
    // Nothing when the headers are damaged: too short, no rows, or more
    // rows than the file holds; why (when given) says which.
    static std::optional<LogoSender> fromBitmap(std::vector<std::uint8_t> file, const LogoLayout& type,
                                                std::string* why = nullptr);
    std::array<std::uint8_t, kLogoLineSize> buildLine(int line);
    int lastLine() const { return g_.lastLine; }

private:
    LogoSender(std::vector<std::uint8_t> file, const LogoLayout& type, int width, int height);
    std::uint8_t row(int topRow, int x) const;  // 0xFF (white) outside the image

    std::vector<std::uint8_t> file_;
    LogoLayout g_;
    int width_;
    int height_;  // negative: rows stored top-down
    std::size_t stride_;
    std::vector<std::uint8_t> column_;
};

}  // namespace tramond
