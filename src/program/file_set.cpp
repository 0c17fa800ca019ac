#include "program/file_set.h"

#include <string>

namespace tramond::fileset {

const std::array<std::string_view, 23> kProgramExtensions = {
    ".bmp", ".clk", ".cor", ".cur", ".dis", ".dpt", ".drw", ".grp", ".kbf", ".mod", ".pbf", ".pbr",
    ".plu", ".por", ".pxt", ".sps", ".tax", ".tnd", ".con", ".txt", ".chk", ".cst", ".upd",
};

std::filesystem::path sibling(const std::filesystem::path& appPath, std::string_view extension) {
    auto p = appPath;
    // replace_extension appends when the path has none, so "shop" gives "shop.plu".
    p.replace_extension(std::filesystem::path(std::string(extension)));
    return p;
}

std::filesystem::path keyboardFile(const std::filesystem::path& appPath, int machine) {
    if (machine <= 1) return sibling(appPath, ".kbf");
    return sibling(appPath, ".kb" + std::to_string(machine));
}

std::filesystem::path printerFile(const std::filesystem::path& appPath, int machine) {
    return sibling(appPath, ".pr" + std::to_string(machine));
}

}  // namespace tramond::fileset
