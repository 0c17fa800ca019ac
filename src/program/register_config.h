#pragma once
// The register configuration file (".chk"): 56 bytes common to every
// register, then one 112-byte part per network register, part n at
// 56 + 112 x (n - 1); machine 0 (direct communication) uses part 1. It
// travels to a register as block 111: the common bytes and that register's
// part. Reads beyond the end of the file give zeros; writing a part beyond
// the end extends the file. Every write replaces the whole file atomically.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "program/update_list.h"

namespace tramond {

struct ProgramSession;

inline constexpr std::size_t kConfigCommonSize = 56;
inline constexpr std::size_t kConfigPartSize = 112;

using ConfigCommon = std::array<std::uint8_t, kConfigCommonSize>;
using ConfigPart = std::array<std::uint8_t, kConfigPartSize>;

// The common part and part 1 of the file a new program starts with.
ConfigCommon defaultConfigCommon();
ConfigPart defaultConfigPart();

// File offset of machine n's part (machine 0 uses part 1).
std::size_t configPartOffset(int machine);

class RegisterConfigFile {
public:
    explicit RegisterConfigFile(std::filesystem::path path) : path_(std::move(path)) {}
    // The ".chk" beside a program's ".app".
    static RegisterConfigFile of(const std::filesystem::path& appPath);
    // The loaded program's ".chk", whose writes mark block 111 in its update
    // list whenever they change the file's bytes.
    static RegisterConfigFile forEditing(const ProgramSession& session);

    const std::filesystem::path& path() const { return path_; }
    bool exists() const;
    // Writes the default file when there is none. Throws FileError.
    void ensure() const;

    // Whole parts the file holds (a short last part counts).
    int partCount() const;
    bool holdsPart(int machine) const;

    // Zeros beyond the end of the file; throws FileError when the file
    // exists but cannot be read, or is missing.
    ConfigCommon readCommon() const;
    ConfigPart readPart(int machine) const;
    // Writes in place; a part beyond the end extends the file with zeros
    // up to it. A missing file is started from the default. Throws FileError.
    void writeCommon(const ConfigCommon& common) const;
    void writePart(int machine, const ConfigPart& part) const;

private:
    void writeAt(std::size_t offset, const std::uint8_t* data, std::size_t size) const;

    std::filesystem::path path_;
    std::optional<UpdateList> marks_;
};

// The four DECT channel entries at the start of a machine's part, 14 bytes
// each: a 13-byte identification (12 digits and a terminating zero, or
// empty) and the channel type.
enum class DectType : std::uint8_t { None = 0, Tovik = 1, Printer = 2, Pc = 3 };
inline constexpr int kDectChannels = 4;
inline constexpr std::size_t kDectEntrySize = 14;
inline constexpr std::size_t kDectIdSize = 13;
inline constexpr std::size_t kDectIdDigits = 12;

struct DectEntry {
    std::string id;        // the digits, without the terminating zero
    std::uint8_t type = 0;  // a DectType; other values are kept as they are

    bool operator==(const DectEntry&) const = default;
};
using DectTable = std::array<DectEntry, kDectChannels>;

DectTable dectTable(const ConfigPart& part);
// Writes the entries; an identification longer than 12 characters is cut at
// 12 (the dialog refuses it before).
void setDectTable(ConfigPart& part, const DectTable& table);

}  // namespace tramond
