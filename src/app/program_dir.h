#pragma once
// The program's own directory: where the language pack, History.txt, the
// help files and the window logo live.

#include <filesystem>
#include <optional>

namespace tramond {

// TRAMOND_HOME when set; else the executable's directory when it can be
// written (a portable install); else the user's data directory.
std::filesystem::path programDirectory(const std::optional<std::filesystem::path>& tramondHome,
                                       const std::filesystem::path& executableDir,
                                       const std::filesystem::path& userDataDir);

// Whether a file can be created in dir (tried, then removed).
bool directoryWritable(const std::filesystem::path& dir);

}  // namespace tramond
