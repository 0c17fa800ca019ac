#include "app/program_dir.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace tramond {

bool directoryWritable(const std::filesystem::path& dir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return false;
    const auto probe = dir / ".tramond-write-test";
    bool ok = false;
    {
        std::ofstream out(probe, std::ios::binary);
        ok = static_cast<bool>(out);
    }
    std::filesystem::remove(probe, ec);
    return ok;
}

std::filesystem::path programDirectory(const std::optional<std::filesystem::path>& tramondHome,
                                       const std::filesystem::path& executableDir,
                                       const std::filesystem::path& userDataDir) {
    std::error_code ec;
    if (tramondHome && !tramondHome->empty()) {
        std::filesystem::create_directories(*tramondHome, ec);
        return *tramondHome;
    }
    // An installed tool (its resources under <prefix>/share/tramond) keeps
    // the user's files out of <prefix>/bin, even when root can write there.
    const bool installed = std::filesystem::is_directory(executableDir / ".." / "share" / "tramond", ec);
    if (!installed && directoryWritable(executableDir)) return executableDir;
    std::filesystem::create_directories(userDataDir, ec);
    return userDataDir;
}

std::vector<std::filesystem::path> resourceDirectories(const std::filesystem::path& executableDir) {
    std::vector<std::filesystem::path> dirs;
    std::error_code ec;
    for (const auto& candidate : {executableDir, executableDir / ".." / "share" / "tramond"}) {
        if (!std::filesystem::is_directory(candidate, ec)) continue;
        const auto canonical = std::filesystem::weakly_canonical(candidate, ec);
        const auto& dir = ec ? candidate : canonical;
        if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
    }
    return dirs;
}

std::optional<std::filesystem::path> findResource(const std::filesystem::path& programDir,
                                                  const std::vector<std::filesystem::path>& resourceDirs,
                                                  const std::filesystem::path& relative) {
    std::error_code ec;
    if (std::filesystem::exists(programDir / relative, ec)) return programDir / relative;
    for (const auto& dir : resourceDirs)
        if (std::filesystem::exists(dir / relative, ec)) return dir / relative;
    return std::nullopt;
}

}  // namespace tramond
