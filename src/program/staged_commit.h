#pragma once
// Putting a set of files that were prepared in a staging folder over a
// program's files so that, whatever happens (a failed rename, a full disk,
// the process killed), the program on disk ends up wholly old or wholly new.
//
// Before the first rename the staged files and the folder are synced and a
// commit record listing every move is written into the folder. A commit
// that was interrupted is finished from that record at the next load (any
// program in the same folder) or by the next staging there. Old files are
// parked in the folder's "previous" subfolder until the commit is done.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

// Staging folders are recognisable by this prefix, followed by the owning
// process id.
inline constexpr std::string_view kStagingFolderPrefix = ".tramond-load-";

// Creates a staging folder in dir owned by this process; it counts as live
// until releaseStagingFolder. Throws FileError.
std::filesystem::path createStagingFolder(const std::filesystem::path& dir, std::string_view stem);
// Removes the folder and everything in it, unless it holds the record of a
// commit that is still to be finished; it is no longer live.
void releaseStagingFolder(const std::filesystem::path& folder);

// Moves every regular file of the staging folder over the file of the same
// name in dir (through a symbolic link to its target), the file named
// lastName last. A destination that exists but is not a regular file stops
// the commit before anything moved. When a move fails, the moves already
// done are undone and FileError is thrown. On success the folder is removed.
void commitStagingFolder(const std::filesystem::path& folder, const std::filesystem::path& dir,
                         std::string_view lastName);

// Finishes the interrupted commits of staging folders in dir that no live
// process owns and removes those folders. Returns what it could not do (the
// caller reports it); never throws.
std::vector<std::string> recoverStagingFolders(const std::filesystem::path& dir);

// Test seam: called before each step of a commit (0, 1, ..); returning true
// stops the commit right there as a killed process would (CommitKilled is
// thrown and nothing is undone). Pass nullptr to remove it.
struct CommitKilled {};
using CommitStepHook = bool (*)(int step);
void setCommitStepHookForTesting(CommitStepHook hook);

}  // namespace tramond
