#pragma once
// A keyboard layout file (".kbf", ".kb2" ..): the 553-byte copy of the
// block's keyboard regions, 4 reserved bytes, and 169 key records of 276
// bytes, record p at 557 + 276 x p. Held in memory while the editor is open
// and written whole (through a temporary file) after each change.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "keyboard/key_record.h"
#include "program/application_block.h"

namespace tramond {

class KeyboardFile {
public:
    static constexpr std::size_t kRecords = 169;
    static constexpr std::size_t kFullSize = 557 + kRecords * KeyRecord::kSize;  // 47,201

    explicit KeyboardFile(std::filesystem::path path) : path_(std::move(path)), records_(kRecords) {}

    // Reads an existing file; its header goes into the block when the file
    // holds one. nullopt when the file does not exist; throws FileError when
    // it cannot be read. Records the file lacks are listed in missing().
    static std::optional<KeyboardFile> read(const std::filesystem::path& path, ApplicationBlock& app);

    // Header (from the block), reserved bytes and records; bytes past the
    // last record are kept.
    std::vector<std::uint8_t> image(const ApplicationBlock& app) const;
    // Writes the image. Throws FileError.
    void write(const ApplicationBlock& app) const;

    const std::filesystem::path& path() const { return path_; }
    const KeyRecord& record(int position) const { return records_.at(static_cast<std::size_t>(position)); }
    KeyRecord& record(int position) { return records_.at(static_cast<std::size_t>(position)); }
    const std::vector<int>& missing() const { return missing_; }
    bool headerRead() const { return headerRead_; }

private:
    std::filesystem::path path_;
    std::array<std::uint8_t, 4> reserved_{};
    std::vector<KeyRecord> records_;
    std::vector<std::uint8_t> trailing_;
    std::vector<int> missing_;
    bool headerRead_ = false;
};

}  // namespace tramond
