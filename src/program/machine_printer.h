#pragma once
// Machine printer files (".pr" + n): the printer and port settings of one
// network register, 62 bytes, each holding one value of the application
// block. With individual printers the block holds the current machine's.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
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
// The same for the loaded program, marking block 2 when the file's bytes
// change (the register loads the file into the block before it sends it).
void saveMachinePrinterFile(const ProgramSession& session, int machine);
// Reads machine n's file into the block. A missing, empty or short file
// leaves the block unchanged. Throws FileError when it cannot be read.
SideFileRead readMachinePrinterFile(const std::filesystem::path& appPath, int machine, ApplicationBlock& app);
// Creates machine n's file empty when it does not exist.
void ensureMachinePrinterFile(const std::filesystem::path& appPath, int machine);

// Machine n's 62 values as a dialog that reads them sees them: from its file,
// or, when the file is missing or too short to hold them, the block's own
// values. Nothing is created in order to read. Throws FileError when an
// existing file cannot be read.
std::array<std::uint8_t, kMachinePrinterSize> machinePrinterValuesOf(const std::filesystem::path& appPath,
                                                                     int machine, const ApplicationBlock& app);

// The machines' printer and port values while one dialog is open. Switching
// keeps the values of the machine left in memory, so that OK writes every
// machine the dialog changed (each marked) and Cancel leaves every file as
// it was. The block always holds the current machine's values.
class MachineEdits {
public:
    explicit MachineEdits(ProgramSession& session);

    // Loads the current machine's values into the block (its file, or the
    // block's own values when there is none).
    void open();
    // Another machine becomes current: its pending values, else its file,
    // else the block's values stay. Throws FileError (nothing changes).
    void switchTo(int machine);
    // What machine n holds now in this dialog.
    std::array<std::uint8_t, kMachinePrinterSize> valuesOf(int machine) const;
    // OK: every machine whose values differ from its file is written, marked.
    // Throws FileError.
    void save();
    // Cancel: the machine of the opening is current again; pending values
    // are dropped. The block is the dialog's to restore.
    void cancel();
    int openingMachine() const { return openingMachine_; }
    bool switched() const { return !pending_.empty(); }

private:
    ProgramSession& session_;
    int openingMachine_;
    std::map<int, std::array<std::uint8_t, kMachinePrinterSize>> pending_;
};

}  // namespace tramond
