#pragma once
// Packs a whole program (every file sharing the chosen file's base name) into
// "<base>.zip" beside it, for attaching to a mail.

#include <filesystem>
#include <string>
#include <vector>

namespace tramond {

// D/bar.app -> D/bar.zip
std::filesystem::path archivePathFor(const std::filesystem::path& chosen);

// The regular files D/bar.* of the chosen file D/bar.app, sorted by name,
// without the archive D/bar.zip itself.
std::vector<std::filesystem::path> programFiles(const std::filesystem::path& chosen);

struct ArchiveResult {
    std::filesystem::path archive;
    std::vector<std::string> names;  // the entries, file names without directories
    std::string error;               // empty on success
    bool ok() const { return error.empty(); }
};

// Builds the archive in a temporary file of the same directory and renames
// it over "<base>.zip" only after it was completely written and synced; on
// failure the previous archive (if any) is untouched and no temporary file
// remains.
ArchiveResult packProgram(const std::filesystem::path& chosen);

}  // namespace tramond
