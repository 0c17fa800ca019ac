#include "editors/packed_field.h"

#include <algorithm>

#include "program/packed.h"

namespace tramond::packed_field {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
}

std::string digits(std::span<const std::uint8_t> field) {
    std::string out;
    out.reserve(field.size() * 2);
    for (auto it = field.rbegin(); it != field.rend(); ++it) {
        out.push_back(kHex[*it >> 4]);
        out.push_back(kHex[*it & 0x0F]);
    }
    return out;
}

std::string_view stripZeros(std::string_view d) {
    const auto pos = d.find_first_not_of('0');
    return pos == std::string_view::npos ? std::string_view{} : d.substr(pos);
}

std::string show(std::span<const std::uint8_t> field) { return unpackAmount(field); }

void store(std::span<std::uint8_t> field, std::string_view text) {
    if (packAmount(text, field)) return;
    // More digits than the field holds: the edits limit what is typed, so
    // this is a value from elsewhere; keep its low digits as the register would.
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    std::size_t n = 0;  // digits placed
    for (auto it = text.rbegin(); it != text.rend() && n < field.size() * 2; ++it) {
        if (*it < '0' || *it > '9') continue;
        const auto d = static_cast<std::uint8_t>(*it - '0');
        field[n / 2] |= static_cast<std::uint8_t>((n % 2) ? d << 4 : d);
        ++n;
    }
}

bool isZero(std::span<const std::uint8_t> field) {
    return std::all_of(field.begin(), field.end(), [](std::uint8_t b) { return b == 0; });
}

}  // namespace tramond::packed_field
