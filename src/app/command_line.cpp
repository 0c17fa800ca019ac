#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tramond {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// A number as the register number and baud rate are read: leading digits,
// 0 when there are none.
int leadingNumber(const std::string& s) {
    int n = 0;
    const char* first = s.data();
    while (first < s.data() + s.size() && *first == ' ') ++first;
    std::from_chars(first, s.data() + s.size(), n);
    return n;
}

CommandMode modeOf(const std::string& word) {
    const auto w = lower(word);
    if (w == "emode") return CommandMode::Edit;
    if (w == "update") return CommandMode::Update;
    if (w == "instal") return CommandMode::Install;
    if (w == "clinst") return CommandMode::ClearInstall;
    if (w == "read") return CommandMode::Read;
    return CommandMode::Unknown;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool options = true;
    for (const auto& a : args) {
        if (options && a == "--yes") {
            cl.assumeYes = true;
            continue;
        }
        if (options && a == "--json") {
            cl.json = true;
            continue;
        }
        if (options && a == "--dry-run") {
            cl.dryRun = true;
            continue;
        }
        if (options && a == "--") {
            options = false;
            continue;
        }
        // A scheduled job's misspelt option must not pass as a port or
        // be ignored at the end of the line.
        if (options && a.size() > 2 && a.starts_with("--") && cl.problem.empty()) {
            cl.problem = "unknown option " + a;
            continue;
        }
        cl.arguments.push_back(a);
    }
    const auto& v = cl.arguments;
    if (!v.empty()) cl.programPath = v[0];
    if (v.size() >= 2) {
        cl.modeWord = v[1];
        cl.mode = modeOf(v[1]);
    }
    if (v.size() >= 3) cl.registerNumber = leadingNumber(v[2]);
    if (v.size() >= 4) cl.portArgument = v[3];
    if (v.size() >= 5) cl.baudRate = leadingNumber(v[4]);
    return cl;
}

std::string commandLineProblem(const CommandLine& cl) {
    if (!cl.problem.empty()) return cl.problem;
    if (cl.arguments.size() >= 2 && cl.mode == CommandMode::Unknown)
        return "unknown mode \"" + cl.modeWord + "\" (the modes are update, instal, clinst, read and emode)";
    if (cl.unattended() && cl.arguments.size() > 5)
        return "too many arguments after " + cl.modeWord + " (REGISTER PORT BAUD)";
    if (cl.dryRun && cl.mode != CommandMode::Update) return "--dry-run goes with the mode update only";
    if (cl.json && !cl.unattended()) return "--json goes with a transfer mode (update, instal, clinst, read)";
    return {};
}

std::optional<std::string> CommandLine::portName() const {
    if (arguments.size() < 4) return std::nullopt;
    if (portArgument.size() == 1) {
        const char c = portArgument[0];
        if (c >= '1' && c <= '9') return std::string("COM") + c;
        return std::string("COM1");
    }
    if (portArgument.empty()) return std::string("COM1");
    return portArgument;
}

}  // namespace tramond
