#pragma once
// Default records of every kind, the default ".chk" file, and the filling of
// a record file up to its kind's count. New programs get records 1..count;
// a raised count adds only the records the file lacks.

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "program/application_block.h"
#include "program/record_kinds.h"
#include "program/text_block.h"

namespace tramond {

// Default record n (from 1) of kind; its descriptor word comes from the text
// block, its optional fields from the application block.
std::vector<std::uint8_t> defaultRecord(RecordKind kind, std::uint32_t n, const ApplicationBlock& app,
                                        const TextBlock& text);

// Records first..last, one after another. PB info gives nothing unless the
// PB random-code size or the PB text size is nonzero.
std::vector<std::uint8_t> defaultRecords(RecordKind kind, std::uint32_t first, std::uint32_t last,
                                         const ApplicationBlock& app, const TextBlock& text);

// Writes records first..count (the kind's count in app) in place, each at
// its own offset, creating the file when missing. Returns how many were
// written. Throws FileError.
std::uint32_t writeDefaultRecords(const std::filesystem::path& file, RecordKind kind, std::uint32_t first,
                                  const ApplicationBlock& app, const TextBlock& text);

// The first record a file of `fileSize` bytes lacks for `count` records of
// `recordSize` bytes, or 0 when it lacks none. A torn last record counts as
// missing, so it is rewritten whole.
std::uint32_t firstMissingRecord(std::uintmax_t fileSize, std::size_t recordSize, std::uint32_t count);

// Fills file up to the kind's count with default records (creating it when
// missing); never shortens it. Returns the number of records added.
std::uint32_t extendRecordFile(const std::filesystem::path& file, RecordKind kind, const ApplicationBlock& app,
                               const TextBlock& text);

// A new record file: records 1..count, written whole (atomically).
void createRecordFile(const std::filesystem::path& file, RecordKind kind, const ApplicationBlock& app,
                      const TextBlock& text);

// Whether Create New Program makes a ".pbr" file for this block.
bool pbInfoFileWanted(const ApplicationBlock& app);
// Whether it makes a ".pxt" file.
bool pbExtraTrailerWanted(const ApplicationBlock& app);

// The register check settings of a new program (".chk", 168 bytes).
inline constexpr std::size_t kCheckFileSize = 168;
std::array<std::uint8_t, kCheckFileSize> defaultCheckFile();
void writeDefaultCheckFile(const std::filesystem::path& file);

}  // namespace tramond
