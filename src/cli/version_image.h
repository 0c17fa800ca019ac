#pragma once
// A recorded version of a program as the command-line tools read it:
// "shop.app@3" is version 3 of shop.app, written into a private temporary
// folder for as long as it is looked at. The program itself is not touched.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/program_diff.h"
#include "cli/program_image.h"

namespace tramond {

class VersionCheckout {
public:
    // Throws ProgramError when there is no such version.
    VersionCheckout(const std::filesystem::path& appPath, int number);
    ~VersionCheckout();
    VersionCheckout(const VersionCheckout&) = delete;
    VersionCheckout& operator=(const VersionCheckout&) = delete;
    // The version's ".app" in the temporary folder.
    const std::filesystem::path& appPath() const { return appPath_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path appPath_;
};

// "shop.app@3" -> (shop.app, 3); nothing when the argument names no
// version (a file that is really called so is a program of its own).
std::optional<std::pair<std::filesystem::path, int>> versionArgument(const std::string& argument);

// A program named on the command line: on disk, or a recorded version.
struct ProgramArgument {
    std::unique_ptr<VersionCheckout> checkout;
    ProgramImage image;
};
// Throws ProgramError.
ProgramArgument readProgramArgument(const std::string& argument);

// How version a of a program differs from version b (0: the files on disk).
// Throws ProgramError.
std::vector<Difference> diffVersions(const std::filesystem::path& appPath, int a, int b);

}  // namespace tramond
