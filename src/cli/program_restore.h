#pragma once
// Putting a recorded version of a program back on disk: the files on disk
// are kept as a version first, the version's files replace them all at once
// (or none do), everything whose bytes differ from the files replaced is
// marked for Update Register, and the restore is a version of its own.

#include <filesystem>
#include <string>
#include <vector>

#include "history/program_history.h"

namespace tramond {

struct RestoreOutcome {
    int restored = 0;                   // the version put back
    history::RecordOutcome kept;        // the files replaced, kept when they had changed
    history::RecordOutcome recorded;    // the restore as a version
    std::vector<std::string> marked;    // update-list lines added
    // The memory map differs from the files replaced (or there were none):
    // the register needs Clear & Install Register, Update would refuse.
    bool clearAndInstall = false;
    std::vector<std::string> installOnly;  // differing files only Install sends (".bmp")
};

// Throws ProgramError when there is no such version, when the files on
// disk differ from the last version and cannot be kept first, or when the
// files cannot be put in place (the program is then unchanged).
RestoreOutcome restoreVersion(const std::filesystem::path& appPath, int number);

// What the dealer is told: the version made, what was marked, what to send.
std::string restoreSummary(const RestoreOutcome& outcome);

}  // namespace tramond
