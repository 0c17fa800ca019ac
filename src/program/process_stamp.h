#pragma once
// Who owns a working file or folder, in a form that survives in its name: a
// process id alone is reused (after a reboot, or by a busy system), so the
// owner is the id together with the process's start time and the boot it
// started in. Leftovers of an owner that is gone may be cleared; those of a
// live one never.

#include <optional>
#include <string>
#include <string_view>

namespace tramond {

struct ProcessStamp {
    long pid = 0;
    unsigned long long startTicks = 0;  // since boot, as the system counts it
    std::string boot;                   // a short form of the boot's id ("" unknown)

    // "PID.START.BOOT": digits, digits, hex; no '-' so it can sit in names
    // that separate their parts with dashes.
    std::string text() const;
    // The stamp at the start of name ("PID.START.BOOT" up to the first '-'),
    // or nullopt when name does not start with one.
    static std::optional<ProcessStamp> parse(std::string_view name);
};

// This process's stamp.
const ProcessStamp& currentProcess();

// True while the process the stamp names still runs (a different boot or a
// different start time under the same id means it does not).
bool processAlive(const ProcessStamp& stamp);

// For leftovers named by an id alone: the owner counts as gone when the id
// does not run, or when the leftover (last changed at modifiedSecondsSinceEpoch)
// is older than the current boot.
bool processIdAliveSince(long pid, long long modifiedSecondsSinceEpoch);

}  // namespace tramond
