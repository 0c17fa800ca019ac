#pragma once
// Putting a set of files that were prepared in a staging folder over a
// program's files so that, whatever happens (a failed rename, a full disk,
// the process killed), the program on disk ends up wholly old or wholly new.
//
// Before the first rename the staged files and the folder are synced and a
// commit record listing every move is written into the folder. A commit
// that was interrupted is finished from that record before the program is
// read again (finishInterruptedLoads), at start-up, or by the next staging
// there. Old files are parked in the folder's "previous" subfolder until the
// commit is done.
//
// The record names each file by its name in the program's folder (the
// staging folder's parent) with the absolute place it went to; recovery
// resolves the names against the folder it finds the record in, whatever
// the working folder, and never touches a place the program's own names do
// not lead to.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

// Staging folders are recognisable by this prefix, followed by the owning
// process's stamp (process_stamp.h).
inline constexpr std::string_view kStagingFolderPrefix = ".tramond-load-";

// Creates a staging folder in dir owned by this process and returns its
// absolute path; it counts as live until releaseStagingFolder. Throws
// FileError.
std::filesystem::path createStagingFolder(const std::filesystem::path& dir, std::string_view stem);
// Removes the folder and everything in it, unless it holds the record of a
// commit that is still to be finished; it is no longer live.
void releaseStagingFolder(const std::filesystem::path& folder);

// Why the file called name in dir cannot be replaced by a commit, or "":
// not a regular file, a link that leads nowhere, or a link to another file
// system (a rename cannot cross it).
std::string unusableCommitDestination(const std::filesystem::path& dir, const std::string& name);

// Moves every regular file of the staging folder over the file of the same
// name in dir (through a symbolic link to its target), the file named
// lastName last, and removes the files named in removeNames (a program's
// files that the new one does not have) before lastName moves. A
// destination unusableCommitDestination refuses stops the commit before
// anything moved. When a move fails, the moves already done are undone and
// FileError is thrown. On success the folder is removed.
void commitStagingFolder(const std::filesystem::path& folder, const std::filesystem::path& dir,
                         std::string_view lastName, const std::vector<std::string>& removeNames = {});

// Finishes the interrupted commits of staging folders in dir that no live
// process owns and removes those folders. Returns what it could not do (the
// caller reports it); never throws.
std::vector<std::string> recoverStagingFolders(const std::filesystem::path& dir);

// What every entry point runs before it reads the program at appPath:
// finishes the interrupted commits in its folder (as recoverStagingFolders)
// and returns "" when the program can be read, else why not, naming the
// unfinished load (one still running in another process, or one whose
// record is damaged or cannot be completed). Problems with leftovers of
// other programs in the folder are added to otherProblems when given.
std::string finishInterruptedLoads(const std::filesystem::path& appPath,
                                   std::vector<std::string>* otherProblems = nullptr);

// Test seam: called before each step of a commit (0, 1, ..); returning true
// stops the commit right there as a killed process would (CommitKilled is
// thrown and nothing is undone). Pass nullptr to remove it.
struct CommitKilled {};
using CommitStepHook = bool (*)(int step);
void setCommitStepHookForTesting(CommitStepHook hook);

}  // namespace tramond
