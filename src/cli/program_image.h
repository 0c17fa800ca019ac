#pragma once
// A program on disk as the command-line tools read it: the application block
// straight from the file, nothing loaded into a session and nothing written,
// so looking at a program never changes it.

#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "program/application_block.h"

namespace tramond {

// A program or file that cannot be used; the text says which and why.
class ProgramError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ProgramImage {
    std::filesystem::path appPath;
    ApplicationBlock app;

    // Throws ProgramError when the file is missing, unreadable or not a
    // 2845-byte application file.
    static ProgramImage read(const std::filesystem::path& appPath);
    std::filesystem::path file(std::string_view extension) const;
};

}  // namespace tramond
