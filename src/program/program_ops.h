#pragma once
// Programs as sets of files, without dialogs: load from disk, create, copy,
// delete. The dialogs ask the questions; these do the work.

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "program/session.h"
#include "program/sizing.h"

namespace tramond {

enum class LoadOutcome {
    Loaded,
    FileError,         // "File Error!": cannot be opened to read its size
    WrongApplication,  // "Wrong Application!": not exactly 2845 bytes
    OpenError,         // "Error opening File !!"
    // A load from the register into this program was cut off in its commit
    // and cannot be finished now; the last warning says why. Unchanged.
    Unfinished,
};

struct LoadResult {
    LoadOutcome outcome = LoadOutcome::Loaded;
    MemoryRequirement memory;
    // Companion files that could not be written (a read-only directory):
    // the program is loaded, but these are worth telling the user.
    std::vector<std::string> warnings;
    // The ".txt" exists but could not be read (a folder, say): the session
    // holds built-in texts that must not be sent as the program's.
    bool textsUnreadable = false;
    bool ok() const { return outcome == LoadOutcome::Loaded; }
};

// The message box text of a failed outcome ("" for Loaded).
const char* loadOutcomeMessage(LoadOutcome outcome);

// Loads the ".app" at path into the session: reads both blocks, clears
// option 5 of flag 59, applies the fixed values, creates a missing ".upd" and
// ".txt", sets the machine number and the clerk record length, recomputes.
// On FileError and WrongApplication the session is unchanged.
LoadResult loadProgram(ProgramSession& session, const std::filesystem::path& path);

// The application block as a load leaves it (option 5 of flag 59 cleared,
// the fixed values, the clerk record length, the sizes and memory map): what
// a transfer sends.
ApplicationBlock applicationAsLoaded(std::span<const std::uint8_t> bytes);

// Puts register 1's keyboard and printer settings back when another network
// register's are in the application block (before a load and at exit).
// Never throws; the second form reports files it could not read or write.
void restoreMachineOne(ProgramSession& session);
void restoreMachineOne(ProgramSession& session, std::vector<std::string>& warnings);

// Writes a complete new file set at target (extension forced to ".app") from
// the session's blocks and loads it. The set is built in a staging folder
// beside target and swapped in whole (staged_commit.h); files an earlier
// program left at target's name go with the swap. Throws FileError when the
// new files cannot be written; the program at target and the loaded program
// are then unchanged.
LoadResult createProgram(ProgramSession& session, const std::filesystem::path& target);

// Copies the loaded program's files to target's base name (extension forced
// to ".app"), replacing any program there. Throws FileError when nothing is
// loaded, when target is the loaded program, or when a file cannot be
// copied (after trying all of them).
void copyProgram(const ProgramSession& session, const std::filesystem::path& target);

// Removes target's file set; forgets the loaded program when it is target.
// Throws FileError naming the files that could not be removed (after trying
// all of them); the loaded program is forgotten only when its ".app" is gone.
void deleteProgram(ProgramSession& session, const std::filesystem::path& target);

}  // namespace tramond
