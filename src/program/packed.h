#pragma once
// Packed decimal as the register keeps prices, amounts and numeric codes:
// two digits per byte, the left digit of a pair in the high four bits, the
// least significant pair in the first byte, no decimal point.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tramond {

// Packs the digits of text into field: digits are taken from the right,
// anything that is not a digit is skipped, the field is zero-filled first.
// Returns false and leaves the field untouched when the digits need more
// room than the field has (leading zeros do not count).
bool packAmount(std::string_view text, std::span<std::uint8_t> field);

// The digits of a packed field without leading zeros; "0" for an all-zero
// field. A half-byte above 9 (not packed decimal) shows as '?'.
std::string unpackAmount(std::span<const std::uint8_t> field);

// True when every half-byte of the field is a decimal digit.
bool isPackedDecimal(std::span<const std::uint8_t> field);

// The 3-byte packed number of new records: units and tens in byte 0,
// hundreds and thousands in byte 1, the ten-thousands digit in byte 2.
// n must be below 100000.
std::array<std::uint8_t, 3> packNumber3(std::uint32_t n);
std::uint32_t unpackNumber3(std::span<const std::uint8_t, 3> bytes);

}  // namespace tramond
