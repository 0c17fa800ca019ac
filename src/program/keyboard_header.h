#pragma once
// The first 553 bytes of a keyboard layout file (".kbf", ".kb2" ..): a copy
// of the application block's keyboard regions, in the file's own order. The
// block is the master while a program is loaded; the header is read into it
// when a keyboard file is opened and rewritten from it when keys change.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "program/application_block.h"
#include "program/session.h"

namespace tramond {

inline constexpr std::size_t kKeyboardHeaderSize = 553;
inline constexpr std::size_t kKeyboardReservedSize = 4;
inline constexpr std::size_t kKeyRecordsOffset = 557;  // 169 key records of 276 bytes follow

struct KeyboardRegion {
    std::size_t fileOffset;
    std::size_t blockOffset;
    std::size_t length;
};

// Header layout: where each region of the block sits in the file.
inline constexpr std::array<KeyboardRegion, 4> kKeyboardRegions = {{
    {0, 0, 24},      // keyboard byte, special system keys, zeros
    {24, 365, 338},  // key function codes
    {362, 24, 22},   // manager-key bit map
    {384, 196, 169}, // system keyboard characters
}};

std::array<std::uint8_t, kKeyboardHeaderSize> keyboardHeader(const ApplicationBlock& app);
// header must hold at least 553 bytes.
void applyKeyboardHeader(ApplicationBlock& app, std::span<const std::uint8_t> header);

enum class SideFileRead {
    Read,     // the values are in the block
    Missing,  // no such file; the block is unchanged
    Short,    // the file is too short to hold them; the block is unchanged
    Skipped,  // the program does not use the file; nothing was read
};

// Reads the header of a keyboard file into the block. Throws FileError when
// an existing file cannot be read.
SideFileRead readKeyboardHeader(const std::filesystem::path& file, ApplicationBlock& app);

// Rewrites the header of an existing keyboard file from the block, keeping
// its key records; the file is replaced whole. Throws FileError when the
// file is missing or cannot be written.
void writeKeyboardHeader(const std::filesystem::path& file, const ApplicationBlock& app);

// Loads machine n's keyboard into the block: only with the individual
// keyboards bit; ".kbf" for n 0 or 1, ".kb" + n otherwise.
SideFileRead loadMachineKeyboard(ProgramSession& session, int machine);

}  // namespace tramond
