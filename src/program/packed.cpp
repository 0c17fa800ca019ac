#include "program/packed.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tramond {

bool packAmount(std::string_view text, std::span<std::uint8_t> field) {
    std::vector<std::uint8_t> digits;  // least significant first
    for (auto it = text.rbegin(); it != text.rend(); ++it)
        if (*it >= '0' && *it <= '9') digits.push_back(static_cast<std::uint8_t>(*it - '0'));
    while (!digits.empty() && digits.back() == 0) digits.pop_back();
    if (digits.size() > 2 * field.size()) return false;
    std::fill(field.begin(), field.end(), 0);
    for (std::size_t i = 0; i < digits.size(); ++i)
        field[i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? digits[i] : digits[i] << 4);
    return true;
}

std::string unpackAmount(std::span<const std::uint8_t> field) {
    std::string out;
    for (auto it = field.rbegin(); it != field.rend(); ++it) {
        for (const int nibble : {*it >> 4, *it & 0x0F}) {
            if (out.empty() && nibble == 0) continue;
            out += nibble <= 9 ? static_cast<char>('0' + nibble) : '?';
        }
    }
    return out.empty() ? "0" : out;
}

bool isPackedDecimal(std::span<const std::uint8_t> field) {
    return std::all_of(field.begin(), field.end(), [](std::uint8_t b) { return (b >> 4) <= 9 && (b & 0x0F) <= 9; });
}

std::array<std::uint8_t, 3> packNumber3(std::uint32_t n) {
    if (n > 99999) throw std::out_of_range("packed number " + std::to_string(n) + " has more than five digits");
    return {static_cast<std::uint8_t>((n / 10 % 10) << 4 | n % 10),
            static_cast<std::uint8_t>((n / 1000 % 10) << 4 | n / 100 % 10),
            static_cast<std::uint8_t>(n / 10000)};
}

std::uint32_t unpackNumber3(std::span<const std::uint8_t, 3> b) {
    return (b[0] & 0x0F) + 10u * (b[0] >> 4) + 100u * (b[1] & 0x0F) + 1000u * (b[1] >> 4) + 10000u * b[2];
}

}  // namespace tramond
