#pragma once
// Packed BCD as the editors show and type it: least significant digit pair
// in the first byte, high digit in the high nibble.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tramond::packed_field {

// Digits without leading zeros ("0" for an all-zero field). Nibbles above 9
// are shown as hex letters rather than dropped, so nothing is hidden.
std::string show(std::span<const std::uint8_t> field);
// All 2 x size digits, most significant byte first ("%02X" per byte).
std::string digits(std::span<const std::uint8_t> field);
// Clears the field and packs the text's digits from the right; other
// characters are skipped, digits beyond the field are dropped.
void store(std::span<std::uint8_t> field, std::string_view text);
bool isZero(std::span<const std::uint8_t> field);
// Text without leading zeros ("" for zero).
std::string_view stripZeros(std::string_view digits);

}  // namespace tramond::packed_field
