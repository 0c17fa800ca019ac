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

// Why a HEX file was refused: the 1-based line and what is wrong with it,
// or line 0 when the reason is the file itself (a folder, empty, too big).
struct HexError {
    int line = 0;
    std::string what;
    std::string describe() const { return line > 0 ? "line " + std::to_string(line) + ": " + what : what; }
};

class HexImage {
public:
    static constexpr int kRowBytes = 16;
    // 16-bit record addresses reach 4096 rows; a record may not run past them.
    static constexpr int kRows = 0x10000 / kRowBytes;
    // The loader's line buffer holds 100 characters.
    static constexpr std::size_t kMaxLineLength = 99;
    // The loader's image is 0x110000 bytes; its HEX text, sixteen bytes to a
    // line of at most the line buffer's length and its line end, is at most
    // this long. Nothing longer is read (a runaway file or device).
    static constexpr std::size_t kMaxFileBytes = 0x110000 / kRowBytes * (kMaxLineLength + 2);

    HexImage() { clear(); }
    // Every byte 0xFF, no row used.
    void clear();

    bool rowUsed(int row) const { return used_[static_cast<std::size_t>(row)]; }
    std::span<const std::uint8_t, kRowBytes> row(int row) const {
        return std::span<const std::uint8_t, kRowBytes>(bytes_.data() + static_cast<std::size_t>(row) * kRowBytes,
                                                        kRowBytes);
    }
    int usedRows() const;
    // The 16-bit sum of every byte of every used row: what the upload sends
    // as data, and so what a handheld that stored it all answers.
    std::uint16_t sum() const;

    // One line without its line feed (a trailing carriage return is allowed).
    // Lines that do not begin with ':' are skipped. Returns what is wrong, or
    // nothing; a refused line changes nothing. `type` (when given) gets the
    // record type of an accepted record, -1 for a skipped line.
    std::optional<std::string> parseLine(std::string_view line, int* type = nullptr);

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<bool> used_;
};

// Parses a whole file's text into a cleared image; on the first bad line the
// image is left cleared and the error returned. The text must be text (no
// control bytes but tab and line ends) and end with exactly one end record:
// a file cut short, or records after its end, would otherwise go out as a
// whole operating system.
std::optional<HexError> loadHexText(std::string_view text, HexImage& image);
// As loadHexText, for a file. Only a regular file of at most kMaxFileBytes
// is read (a folder, FIFO or device is refused without waiting on it); a
// file that cannot be read is an error on line 0.
std::optional<HexError> loadHexFile(const std::filesystem::path& path, HexImage& image);

}  // namespace tramond
