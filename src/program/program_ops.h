#pragma once
// Programs as sets of files, without dialogs: load from disk, create, copy,
// delete. The dialogs ask the questions; these do the work.

#include <filesystem>
#include <string>

#include "program/session.h"
#include "program/sizing.h"

namespace tramond {

enum class LoadOutcome {
    Loaded,
    FileError,         // "File Error!": cannot be opened to read its size
    WrongApplication,  // "Wrong Application!": not exactly 2845 bytes
    OpenError,         // "Error opening File !!"
};

struct LoadResult {
    LoadOutcome outcome = LoadOutcome::Loaded;
    MemoryRequirement memory;
    bool ok() const { return outcome == LoadOutcome::Loaded; }
};

// Loads the ".app" at path into the session: reads both blocks, clears
// option 5 of flag 59, applies the fixed values, creates a missing ".upd" and
// ".txt", sets the machine number and the clerk record length, recomputes.
// On FileError and WrongApplication the session is unchanged.
LoadResult loadProgram(ProgramSession& session, const std::filesystem::path& path);

// Puts register 1's keyboard and printer settings back when another network
// register's are in the application block (before a load and at exit).
void restoreMachineOne(ProgramSession& session);

// Writes a complete new file set at target (extension forced to ".app") from
// the session's blocks and loads it.
LoadResult createProgram(ProgramSession& session, const std::filesystem::path& target);

// Copies the loaded program's files to target's base name.
void copyProgram(const ProgramSession& session, const std::filesystem::path& target);

// Removes target's file set; forgets the loaded program when it is target.
void deleteProgram(ProgramSession& session, const std::filesystem::path& target);

}  // namespace tramond
