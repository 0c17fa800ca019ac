#include "cli/version_image.h"

#include <unistd.h>

#include <atomic>
#include <cctype>
#include <random>
#include <system_error>

#include "history/program_history.h"
#include "program/file_io.h"

namespace tramond {
namespace fs = std::filesystem;

VersionCheckout::VersionCheckout(const fs::path& appPath, int number) {
    history::ProgramHistory history(appPath);
    history::FileSet files;
    try {
        files = history.files(number);
    } catch (const history::HistoryError& e) {
        throw ProgramError(e.what());
    }
    static std::atomic<int> serial{0};
    std::error_code ec;
    folder_ = fs::temp_directory_path(ec) / ("tramond-version-" + std::to_string(::getpid()) + "-" +
                                             std::to_string(serial++) + "-" + std::to_string(std::random_device{}()));
    if (ec || !fs::create_directory(folder_, ec) || ec)
        throw ProgramError("cannot make a temporary folder for version " + std::to_string(number) + ": " + ec.message());
    fs::permissions(folder_, fs::perms::owner_all, ec);
    try {
        for (const auto& [name, bytes] : files) writeFileAtomic(folder_ / name, bytes);
    } catch (const FileError& e) {
        fs::remove_all(folder_, ec);
        throw ProgramError(e.what());
    }
    appPath_ = folder_ / history.appPath().filename();
}

VersionCheckout::~VersionCheckout() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

std::optional<std::pair<fs::path, int>> versionArgument(const std::string& argument) {
    const auto at = argument.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 == argument.size() || at + 6 < argument.size()) return std::nullopt;
    for (std::size_t i = at + 1; i < argument.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(argument[i]))) return std::nullopt;
    std::error_code ec;
    if (fs::exists(argument, ec)) return std::nullopt;
    return std::make_pair(fs::path(argument.substr(0, at)), std::stoi(argument.substr(at + 1)));
}

ProgramArgument readProgramArgument(const std::string& argument) {
    ProgramArgument result;
    if (const auto version = versionArgument(argument)) {
        result.checkout = std::make_unique<VersionCheckout>(version->first, version->second);
        result.image = ProgramImage::read(result.checkout->appPath());
        return result;
    }
    result.image = ProgramImage::read(argument);
    return result;
}

std::vector<Difference> diffVersions(const fs::path& appPath, int a, int b) {
    const VersionCheckout first(appPath, a);
    if (b == 0) return diffPrograms(ProgramImage::read(first.appPath()), ProgramImage::read(appPath));
    const VersionCheckout second(appPath, b);
    return diffPrograms(ProgramImage::read(first.appPath()), ProgramImage::read(second.appPath()));
}

}  // namespace tramond
