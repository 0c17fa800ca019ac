#include "cli/program_image.h"

#include <algorithm>

#include "program/file_io.h"
#include "program/file_set.h"
#include "program/staged_commit.h"

namespace tramond {

ProgramImage ProgramImage::read(const std::filesystem::path& appPath) {
    namespace fs = std::filesystem;
    // A load cut off while putting its files in place is finished before
    // anything is read (its ".app" may be the file still to come): a mixed
    // program must never be shown or changed.
    if (auto why = finishInterruptedLoads(appPath); !why.empty()) throw ProgramError(why);
    std::error_code ec;
    const auto st = fs::status(appPath, ec);
    if (!fs::exists(st)) throw ProgramError(appPath.string() + ": no such program file");
    if (fs::is_directory(st)) throw ProgramError(appPath.string() + ": is a folder, not a program file");
    if (!fs::is_regular_file(st))
        throw ProgramError(appPath.string() + ": is not a regular file (a FIFO or a device), not a program file");
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readFile(appPath);
    } catch (const FileError& e) {
        throw ProgramError(appPath.string() + ": " + e.what());
    }
    if (bytes.size() != ApplicationBlock::kSize)
        throw ProgramError(appPath.string() + ": Wrong Application! (" + std::to_string(bytes.size()) +
                           " bytes, an application file has " + std::to_string(ApplicationBlock::kSize) + ")");
    ProgramImage image;
    image.appPath = appPath;
    std::copy(bytes.begin(), bytes.end(), image.app.bytes().begin());
    return image;
}

std::filesystem::path ProgramImage::file(std::string_view extension) const {
    return fileset::sibling(appPath, extension);
}

}  // namespace tramond
