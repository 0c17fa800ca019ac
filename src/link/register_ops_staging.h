#pragma once
// A program read from the register is first written into a hidden folder
// beside its target and moved into place only when everything arrived, so
// that a broken line or a Cancel never leaves a half-written program over
// a good one.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "program/staged_commit.h"

namespace tramond {

// Why a load may not write the program at targetApp ("" when it may): a
// program file (".app" or a sibling) in the way that is not a regular file
// (a folder, a FIFO), a link that leads nowhere or one to another file
// system. Links to regular files beside them are fine.
std::string unusableLoadTarget(const std::filesystem::path& targetApp);

class LoadStaging {
public:
    // Finishes or clears what earlier loads left in the target's folder,
    // then creates the staging folder there (same file system, so the final
    // moves are renames). Throws FileError.
    explicit LoadStaging(std::filesystem::path targetApp);
    // Discards whatever was not committed.
    ~LoadStaging();
    LoadStaging(const LoadStaging&) = delete;
    LoadStaging& operator=(const LoadStaging&) = delete;

    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& folder() const { return folder_; }
    // The staged ".app" whose siblings are the staged files.
    std::filesystem::path stagedApp() const;
    std::filesystem::path staged(std::string_view extension) const;

    // Copies the target's existing sibling into the staging folder (to be
    // changed there); false when the target has no such file.
    bool adoptExisting(std::string_view extension);

    // Moves every staged file over the target's files (through symbolic
    // links). All or nothing, even when the process dies on the way: see
    // program/staged_commit.h. Files of the old program that were not
    // staged are left alone. Throws FileError.
    void commit();
    // Removes the staging folder and everything in it.
    void discard();

    // Staging folders left behind by a crash are recognisable by this prefix.
    static constexpr std::string_view kFolderPrefix = kStagingFolderPrefix;

    // What the recovery of earlier, interrupted loads in the same folder
    // could not do (worth telling the user).
    const std::vector<std::string>& recoveryProblems() const { return recoveryProblems_; }

private:
    std::filesystem::path target_;
    std::filesystem::path folder_;
    std::vector<std::string> recoveryProblems_;
    bool done_ = false;
};

}  // namespace tramond
