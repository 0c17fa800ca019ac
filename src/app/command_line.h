#pragma once
// The command line: a program path, then a mode word, a register number, a
// serial port and a baud rate. One argument alone loads that program.

#include <optional>
#include <string>
#include <vector>

namespace tramond {

enum class CommandMode {
    None,     // no mode word (one argument, or none at all)
    Edit,     // "emode": the program loaded, File and Setup menus disabled
    Update,   // "update"
    Install,  // "instal"
    ClearInstall,  // "clinst"
    Read,     // "read"
    Unknown,  // any other word: ignored
};

struct CommandLine {
    std::vector<std::string> arguments;  // positional arguments, options removed
    std::string programPath;             // argument 1
    CommandMode mode = CommandMode::None;
    std::string modeWord;                // argument 2 as given
    int registerNumber = 0;              // argument 3 (0 when absent or not a number)
    std::string portArgument;            // argument 4 as given
    int baudRate = 0;                    // argument 5 (0 when absent or not a number)
    bool assumeYes = false;              // "--yes" before the positional arguments
    bool json = false;                   // "--json": one result object on standard output

    bool singleProgram() const { return arguments.size() == 1; }
    bool unattended() const {
        return mode == CommandMode::Update || mode == CommandMode::Install ||
               mode == CommandMode::ClearInstall || mode == CommandMode::Read;
    }
    // Modes that load argument 1 silently before doing their work.
    bool loadsProgram() const {
        return singleProgram() || mode == CommandMode::Edit || mode == CommandMode::Update ||
               mode == CommandMode::Install || mode == CommandMode::ClearInstall;
    }
    // "COM" + a one-character nonzero number, "COM1" for any other single
    // character, a longer argument unchanged; nothing when it is absent.
    std::optional<std::string> portName() const;
};

// args excludes the executable's name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

}  // namespace tramond
