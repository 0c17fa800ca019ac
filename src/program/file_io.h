#pragma once
// Whole-file reads and writes. Whole-file writes go to a temporary file beside
// the target and are renamed into place, so a crash or a full disk never
// leaves a torn file behind.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws FileError; the target is untouched when the write fails.
void writeFileAtomic(const std::filesystem::path& target, std::span<const std::uint8_t> data);
void writeTextFileAtomic(const std::filesystem::path& target, const std::string& text);

// Whole-file writes go through ".NAME" + kTemporaryMark + owner + random.
inline constexpr const char* kTemporaryMark = ".tmp-";
// Removes the temporaries of a program's files (".STEM.*.tmp-*" in dir) whose
// writer died before its rename. Never throws.
void removeAbandonedTemporaries(const std::filesystem::path& dir, std::string_view stem);

// Throws FileError when the file cannot be read.
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

// Test seam: lets a test make the next whole-file writes fail at a chosen
// stage, as a full disk or a crash would. Not for production code.
enum class WriteStage { Create, Write, Sync, Rename };
// The hook is called before each stage with the number of bytes written so
// far; returning true makes that stage fail. Pass nullptr to remove it.
using WriteFaultHook = bool (*)(WriteStage stage, std::size_t bytesWritten);
void setWriteFaultHookForTesting(WriteFaultHook hook);
// Asks the hook; writers that stream into a file (the transfer) use it too.
bool writeFaultInjected(WriteStage stage, std::size_t bytesWritten);

}  // namespace tramond
