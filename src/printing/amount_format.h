#pragma once
// How the register prints amounts: packed digits with the program's number of
// decimals and decimal separator (system flags 1 and 2).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "program/application_block.h"

namespace tramond {

struct AmountFormat {
    int decimals = 2;
    char separator = ',';
};

// Flag 1 (low two bits): 0 two decimals, 1 none, 2 three, 3 one. Option 1 of
// flag 2 set: "." separates the decimals, otherwise ",".
AmountFormat amountFormat(const ApplicationBlock& app);

// Digits without leading zeros ("" counts as "0") with the decimals placed:
// "5" -> "0,05", "123" -> "1,23", "0" -> "0,00"; no decimals: "1234".
std::string formatAmount(std::string_view digits, AmountFormat format);
// A packed field formatted the same way.
std::string formatPackedAmount(std::span<const std::uint8_t> field, AmountFormat format);

}  // namespace tramond
