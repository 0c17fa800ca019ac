#pragma once
// Small pieces shared by the Setup controllers: number parsing for the
// digits-only boxes, the digit/byte conversions of the size fields, and the
// write-back of the application block of a loaded program.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/session.h"

namespace tramond::setup {

// A whole number of decimal digits only (no sign, no blanks) up to max;
// nullopt for anything else, including an empty text.
std::optional<long> parseNumber(std::string_view text, long max);

// An empty box counts as 0.
std::optional<long> parseNumberOrZero(std::string_view text, long max);

// Digits to bytes of a packed field: digits / 2, an odd entry raised by 1.
inline int digitsToBytes(int digits) { return (digits + 1) / 2; }
inline int bytesToDigits(int bytes) { return bytes * 2; }

// Writes the whole application block to the loaded program's ".app" file,
// marking the blocks that differ from the file on disk; does nothing when no
// program is loaded. Throws FileError on failure.
void writeApplicationFile(const ProgramSession& session);

// A Setup dialog closed without OK puts back what it changed in the block
// (its switches act at once). A dialog it opened that saved the ".app" in
// the meantime (PLU Options from Setup PLU) saved and marked those changes
// too; the block then follows the file, so nothing differs unmarked.
class SetupCancel {
public:
    explicit SetupCancel(ProgramSession& session);
    void restore();

private:
    ProgramSession& session_;
    ApplicationBlock snapshot_;
    std::vector<std::uint8_t> disk_;
};

// "Yes" or "No" as the Setup captions show a switch.
inline std::string_view yesNo(bool on) { return on ? "Yes" : "No"; }

}  // namespace tramond::setup
