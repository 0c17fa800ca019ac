#pragma once
// The handheld's operating-system image, read from Intel HEX text: rows of 16
// bytes with a used flag, addressed by the records' 16-bit addresses. A file
// is taken only when every record is well formed, so nothing is ever sent
// from a half-understood image.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

// Why a HEX file was refused: the 1-based line and what is wrong with it.
struct HexError {
    int line = 0;
    std::string what;
    std::string describe() const { return "line " + std::to_string(line) + ": " + what; }
};

class HexImage {
public:
    static constexpr int kRowBytes = 16;
    // 16-bit record addresses reach 4096 rows; a record may not run past them.
    static constexpr int kRows = 0x10000 / kRowBytes;
    // The loader's line buffer holds 100 characters.
    static constexpr std::size_t kMaxLineLength = 99;

    HexImage() { clear(); }
    // Every byte 0xFF, no row used.
    void clear();

    bool rowUsed(int row) const { return used_[static_cast<std::size_t>(row)]; }
    std::span<const std::uint8_t, kRowBytes> row(int row) const {
        return std::span<const std::uint8_t, kRowBytes>(bytes_.data() + static_cast<std::size_t>(row) * kRowBytes,
                                                        kRowBytes);
    }
    int usedRows() const;

    // One line without its line feed (a trailing carriage return is allowed).
    // Lines that do not begin with ':' are skipped. Returns what is wrong, or
    // nothing; a refused line changes nothing.
    std::optional<std::string> parseLine(std::string_view line);

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<bool> used_;
};

// Parses a whole file's text into a cleared image; on the first bad line the
// image is left cleared and the error returned.
std::optional<HexError> loadHexText(std::string_view text, HexImage& image);
// As loadHexText; a file that cannot be read is an error on line 0.
std::optional<HexError> loadHexFile(const std::filesystem::path& path, HexImage& image);

}  // namespace tramond
