#include "cli/program_image.h"

#include <algorithm>

#include "program/file_io.h"
#include "program/file_set.h"

namespace tramond {

ProgramImage ProgramImage::read(const std::filesystem::path& appPath) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(appPath, ec))
        throw ProgramError(appPath.string() + ": no such program file");
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
