#pragma once
// Machine printer files (".pr" + n): the printer and port settings of one
// network register, 62 bytes, each holding one value of the application
// block. With individual printers the block holds the current machine's.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>

#include "program/application_block.h"
#include "program/keyboard_header.h"
#include "program/session.h"

namespace tramond {

inline constexpr std::size_t kMachinePrinterSize = 62;

struct MachinePrinterValue {
    int flag;    // system flag
    int option;  // 0: the whole flag byte; 1..8: that option, stored as 0 or 1
};

// The 62 values in file order.
const std::array<MachinePrinterValue, kMachinePrinterSize>& machinePrinterValues();

std::array<std::uint8_t, kMachinePrinterSize> machinePrinterBytes(const ApplicationBlock& app);
// An option byte sets its option when nonzero and clears it when zero.
void applyMachinePrinterBytes(ApplicationBlock& app, std::span<const std::uint8_t, kMachinePrinterSize> bytes);

// ".pr" + n; machine 0 uses register 1's file.
std::filesystem::path machinePrinterFile(const std::filesystem::path& appPath, int machine);

// Writes machine n's file from the block (whole, atomically). Throws FileError.
void writeMachinePrinterFile(const std::filesystem::path& appPath, int machine, const ApplicationBlock& app);
// Reads machine n's file into the block. A missing, empty or short file
// leaves the block unchanged. Throws FileError when it cannot be read.
SideFileRead readMachinePrinterFile(const std::filesystem::path& appPath, int machine, ApplicationBlock& app);
// Creates machine n's file empty when it does not exist (the printer and
// port dialogs do this before they read it).
void ensureMachinePrinterFile(const std::filesystem::path& appPath, int machine);

}  // namespace tramond
