#pragma once
// Packed BCD as the editors show and type it (program/packed.h), plus the
// code digits of the PLU list: every digit pair, most significant first.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tramond::packed_field {

// Digits without leading zeros ("0" for an all-zero field).
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
