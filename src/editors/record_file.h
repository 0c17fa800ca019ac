#pragma once
// One record file of the loaded program, read and written a record at a time
// in place. Nothing is created: a missing file fails to open.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "program/codepage.h"

namespace tramond {

class RecordFile {
public:
    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // false when the file is missing or cannot be opened as asked.
    bool open(const std::filesystem::path& path, std::size_t recordSize, bool writable);
    bool isOpen() const { return stream_.is_open(); }
    void close();

    // Whole records the file holds.
    std::size_t recordsInFile();
    // false when the record lies (partly) beyond the end of the file.
    bool read(std::size_t index, std::span<std::uint8_t> out);
    // Writes and flushes; false when the disk refused it.
    bool write(std::size_t index, std::span<const std::uint8_t> data);

private:
    std::fstream stream_;
    std::size_t recordSize_ = 0;
};

// Descriptor text of a record: OEM bytes up to the first zero inside the
// field, at most field - 1 characters.
std::string readDescriptor(std::span<const std::uint8_t> record, std::size_t offset, std::size_t field);
// Clears the field and stores the text (at most maxChars characters).
void writeDescriptor(std::span<std::uint8_t> record, std::size_t offset, std::size_t field,
                     std::string_view text, std::size_t maxChars);
// Cuts a UTF-8 text to at most n characters.
std::string cutToChars(std::string_view utf8, std::size_t n);
std::size_t charCount(std::string_view utf8);

// The descriptors of the first `count` records of a file, opened read-only;
// nullopt when the file cannot be opened, fewer lines when it is short.
std::optional<std::vector<std::string>> tryReadDescriptorList(const std::filesystem::path& path, std::size_t recordSize,
                                                              std::size_t count, std::size_t offset, std::size_t field);
// As above, an empty list when the file cannot be opened.
std::vector<std::string> readDescriptorList(const std::filesystem::path& path, std::size_t recordSize,
                                            std::size_t count, std::size_t offset, std::size_t field);

}  // namespace tramond
