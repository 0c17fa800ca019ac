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
    bool assumeYes = false;              // "--yes"
    bool json = false;                   // "--json": one result object on standard output
    bool dryRun = false;                 // "--dry-run": say what "update" would send, send nothing
    // An option this form does not know; the arguments are not to be used.
    std::string problem;

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

// args excludes the executable's name. The options may stand anywhere
// before a "--", which makes every later argument positional.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// Why the command line cannot be run as given ("" when it can): an unknown
// option or mode word, more arguments than the mode takes, or an option the
// mode does not take.
std::string commandLineProblem(const CommandLine& commandLine);

}  // namespace tramond
