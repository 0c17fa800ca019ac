#pragma once
// A program read from the register is first written into a hidden folder
// beside its target and moved into place only when everything arrived, so
// that a broken line or a Cancel never leaves a half-written program over
// a good one.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

class LoadStaging {
public:
    // Creates the staging folder in the target's folder (same file system,
    // so the final moves are renames). Throws FileError.
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

    // Moves every staged file over the target's files. All or nothing: when
    // a move fails, the files already moved are put back and FileError is
    // thrown. Files of the old program that were not staged are left alone.
    void commit();
    // Removes the staging folder and everything in it.
    void discard();

    // Staging folders left behind by a crash are recognisable by this prefix.
    static constexpr std::string_view kFolderPrefix = ".tramond-load-";

private:
    std::filesystem::path target_;
    std::filesystem::path folder_;
    bool done_ = false;
};

}  // namespace tramond
