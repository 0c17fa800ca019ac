#pragma once
// The print option byte of tender, correction, discount, paid-out and PB
// function records, as the "Print Options" dialog (TSetPrintOptions) edits it:
// six boxes for bits 0..5; OK rebuilds the byte, so bits 6 and 7 become 0.

#include <array>
#include <cstdint>

#include "editors/record_description.h"

namespace tramond {

inline constexpr std::array<Caption, 6> kPrintOptionCaptions{{
    {-1, "Print on &Journal :"},
    {-1, "Print on &Receipt :"},
    {-1, "&Double Height R/J:    "},
    {-1, "Print on &Slip    :"},
    {-1, "&Compulsory Slip  :    "},
    {-1, "&Two Line on R/J  :    "},
}};
inline constexpr Caption kPrintOptionsTitle{-1, "Print Options "};

using PrintOptionBoxes = std::array<bool, 6>;

constexpr PrintOptionBoxes printOptionBoxes(std::uint8_t byte) {
    PrintOptionBoxes boxes{};
    for (int b = 0; b < 6; ++b) boxes[static_cast<std::size_t>(b)] = ((byte >> b) & 1) != 0;
    return boxes;
}

constexpr std::uint8_t printOptionByte(const PrintOptionBoxes& boxes) {
    std::uint8_t byte = 0;
    for (int b = 0; b < 6; ++b)
        if (boxes[static_cast<std::size_t>(b)]) byte = static_cast<std::uint8_t>(byte | (1u << b));
    return byte;
}

}  // namespace tramond
