#pragma once
// A program's files: the ".app" path names every sibling by its extension.

#include <array>
#include <filesystem>
#include <string_view>

namespace tramond::fileset {

// The extensions copied and deleted with a program, in their order.
extern const std::array<std::string_view, 23> kProgramExtensions;

std::filesystem::path sibling(const std::filesystem::path& appPath, std::string_view extension);
// ".kbf" for machine 0 or 1, else ".kb" + n.
std::filesystem::path keyboardFile(const std::filesystem::path& appPath, int machine);
// ".pr" + n.
std::filesystem::path printerFile(const std::filesystem::path& appPath, int machine);

}  // namespace tramond::fileset
