#pragma once
// Which optional parts of a program a register holds: the PB info records,
// the PB extra trailer and the graphic logo travel only when the program's
// settings ask for them. The transfers decide with these, and so does the
// marking of a changed application block: a setting that brings a part in
// marks the whole part, or an Update would leave the register without it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "program/application_block.h"

namespace tramond {

inline constexpr std::size_t kAppPbInfoCountOffset = 2173;  // word 6 of block 700
inline constexpr std::size_t kAppPbFlagsOffset = 2175;      // byte 8 of block 700
inline constexpr std::size_t kAppPbTextSizeOffset = 2176;   // byte 9 of block 700
inline constexpr std::size_t kAppLogoSettingOffset = 2583;  // byte 17 of block 93

inline constexpr std::uint32_t kPbInfoBase = 60000;     // records from 60001
inline constexpr std::uint16_t kPbTrailerBlock = 90;    // ".pxt"
inline constexpr std::uint16_t kLogoSettingBlock = 91;  // ".bmp"

std::uint16_t pbInfoCount(const ApplicationBlock& app);
// The PB records are kept by code.
bool pbCodeRecords(const ApplicationBlock& app);
// ".pbr" goes with a Clear & Install (and reading takes it by a test of its
// own, see the register operations).
bool pbInfoFileOnSend(const ApplicationBlock& app);
// The PB extra trailer (block 90) goes only when the PB flags ask for it.
bool sendsPbTrailer(const ApplicationBlock& app);
// A logo size is set (the low four bits of the logo setting).
bool hasLogo(const ApplicationBlock& app);

// The change codes a register that has `before` lacks when the program now
// has `after`: the parts `after` carries and `before` did not.
std::vector<std::uint32_t> partsBroughtIn(const ApplicationBlock& before, const ApplicationBlock& after);

}  // namespace tramond
