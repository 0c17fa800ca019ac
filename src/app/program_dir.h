#pragma once
// The program's own directory: where the language pack, History.txt, the
// help files and the window logo live.

#include <filesystem>
#include <optional>
#include <vector>

namespace tramond {

// TRAMOND_HOME when set; else the executable's directory when it can be
// written and is not an installed one (<prefix>/bin beside
// <prefix>/share/tramond): a portable install; else the user's data
// directory.
std::filesystem::path programDirectory(const std::optional<std::filesystem::path>& tramondHome,
                                       const std::filesystem::path& executableDir,
                                       const std::filesystem::path& userDataDir);

// Where the shipped resources (help, language packs, window logo) are read:
// beside the executable (the build tree, a portable install), then
// <prefix>/share/tramond of an installed one (the executable in <prefix>/bin).
// Only existing directories are listed, each once.
std::vector<std::filesystem::path> resourceDirectories(const std::filesystem::path& executableDir);

// The first of programDir / relative and each resourceDir / relative that
// exists: what was copied into the program's own directory wins over what
// was shipped.
std::optional<std::filesystem::path> findResource(const std::filesystem::path& programDir,
                                                  const std::vector<std::filesystem::path>& resourceDirs,
                                                  const std::filesystem::path& relative);

// Whether a file can be created in dir (tried, then removed).
bool directoryWritable(const std::filesystem::path& dir);

}  // namespace tramond
