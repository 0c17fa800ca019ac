#include "cli/restore_marks.h"

#include <algorithm>
#include <string>

#include "program/program_changes.h"

namespace tramond {

FileMarks marksBetween(std::string_view extension, const ApplicationBlock& app, std::span<const std::uint8_t> before,
                       std::span<const std::uint8_t> after) {
    FileMarks marks;
    if (std::equal(before.begin(), before.end(), after.begin(), after.end())) return marks;
    // The customer file travels only with Install Register.
    if (extension == ".cst") {
        marks.installOnly = true;
        return marks;
    }
    // The same rule every dialog and the import write by.
    const auto changes =
        programFileChanges(std::filesystem::path("program").replace_extension(std::string(extension)), 0, before,
                           after, app);
    marks.codes = changes.codes;
    marks.pluLines = changes.pluLines;
    return marks;
}

}  // namespace tramond
