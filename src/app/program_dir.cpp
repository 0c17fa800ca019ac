#include "app/program_dir.h"

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
    if (directoryWritable(executableDir)) return executableDir;
    std::filesystem::create_directories(userDataDir, ec);
    return userDataDir;
}

}  // namespace tramond
