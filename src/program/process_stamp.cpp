#include "program/process_stamp.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace tramond {
namespace {

constexpr std::size_t kBootChars = 8;

std::string readBootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    std::string hex;
    for (char c : id)
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) hex.push_back(c);
    return hex.substr(0, kBootChars);
}

// Field 22 of /proc/PID/stat; nullopt when the process is not there (or
// there is no /proc to ask).
std::optional<unsigned long long> startTicksOf(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    // The command name (field 2) may hold blanks and parentheses.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream rest(line.substr(close + 1));
    std::string field;
    // Fields 3..21 come before the start time.
    for (int i = 3; i <= 21; ++i)
        if (!(rest >> field)) return std::nullopt;
    unsigned long long ticks = 0;
    if (!(rest >> ticks)) return std::nullopt;
    return ticks;
}

std::optional<long long> bootTimeSeconds() {
    std::ifstream in("/proc/stat");
    std::string word;
    while (in >> word) {
        if (word == "btime") {
            long long t = 0;
            if (in >> t) return t;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool idRuns(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool digits(std::string_view s) {
    if (s.empty() || s.size() > 19) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string ProcessStamp::text() const {
    return std::to_string(pid) + "." + std::to_string(startTicks) + "." + (boot.empty() ? "0" : boot);
}

std::optional<ProcessStamp> ProcessStamp::parse(std::string_view name) {
    name = name.substr(0, name.find('-'));
    const auto dot1 = name.find('.');
    if (dot1 == std::string_view::npos) return std::nullopt;
    const auto dot2 = name.find('.', dot1 + 1);
    if (dot2 == std::string_view::npos) return std::nullopt;
    const auto pid = name.substr(0, dot1);
    const auto start = name.substr(dot1 + 1, dot2 - dot1 - 1);
    const auto boot = name.substr(dot2 + 1);
    if (!digits(pid) || !digits(start) || boot.empty() || boot.size() > kBootChars) return std::nullopt;
    for (char c : boot)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    ProcessStamp s;
    s.pid = std::stol(std::string(pid));
    s.startTicks = std::stoull(std::string(start));
    s.boot = boot == "0" ? std::string() : std::string(boot);
    return s;
}

const ProcessStamp& currentProcess() {
    static const ProcessStamp stamp = [] {
        ProcessStamp s;
        s.pid = static_cast<long>(::getpid());
        s.startTicks = startTicksOf(s.pid).value_or(0);
        s.boot = readBootId();
        return s;
    }();
    return stamp;
}

bool processAlive(const ProcessStamp& stamp) {
    const auto& me = currentProcess();
    if (!stamp.boot.empty() && !me.boot.empty() && stamp.boot != me.boot) return false;
    if (!idRuns(stamp.pid)) return false;
    if (stamp.startTicks == 0) return true;  // recorded without /proc: the id is all there is
    const auto ticks = startTicksOf(stamp.pid);
    return !ticks || *ticks == stamp.startTicks;
}

bool processIdAliveSince(long pid, long long modified) {
    if (!idRuns(pid)) return false;
    const auto boot = bootTimeSeconds();
    return !boot || modified >= *boot;
}

}  // namespace tramond
