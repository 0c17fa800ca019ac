#pragma once
// The update list (".upd"): what changed since the last transfer to the
// register. One line per change: a change code as 9 decimal digits, or a
// 22-character PLU line for PLUs addressed by code; sorted, no duplicates.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

class UpdateList {
public:
    explicit UpdateList(std::filesystem::path file) : file_(std::move(file)) {}

    static std::string formatCode(std::uint32_t code);  // "000010005"

    // Each call reads the file once and writes it once (not at all when the
    // list already holds everything). Lines end in CR LF. Throws
    // std::out_of_range for a code above 999999999, std::invalid_argument
    // for a line that is neither a code nor a PLU line, FileError when the
    // file cannot be read or written (the file is then unchanged).
    void mark(std::uint32_t code) const;
    void markMany(std::span<const std::uint32_t> codes) const;
    void markLine(const std::string& line) const;
    void markLines(std::span<const std::string> lines) const;

    // A "D" PLU line cancels pending "N" and "R" lines of the same code and
    // position, and is itself always written.

    std::vector<std::string> lines() const;  // sorted, unique, every non-blank line
    // The lines of an update file's text: trimmed, blank ones skipped, sorted,
    // without duplicates.
    static std::vector<std::string> parse(std::string_view text);
    void ensureExists() const;               // creates it empty when missing
    void clear() const;                      // empties it

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

// The 22-character update-list line of a PLU addressed by code: the action
// letter ('R' changed, 'N' new, 'D' deleted), the code right-aligned in 14
// digits, the record number in 5 digits, then "00".
std::string pluUpdateLine(char action, std::string_view codeDigits, int record);
// The same from the packed code field of the record (each byte two digits).
std::string pluUpdateLine(char action, std::span<const std::uint8_t> codeField, int record);

}  // namespace tramond
