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
        if (options && a == "--") {
            options = false;
            continue;
        }
        options = false;
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
