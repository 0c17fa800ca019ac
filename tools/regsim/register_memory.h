#pragma once
// What one simulated register holds, in the form it travels on the wire
// (big-endian fields as received). It can be filled from a program's file set
// and written back to one.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <vector>

namespace tramond::regsim {

struct RegisterMemory {
    using Bytes = std::vector<std::uint8_t>;

    std::map<std::uint16_t, Bytes> blocks;     // system blocks and kind headers
    std::map<std::uint16_t, Bytes> records;    // records of every kind by block number
    std::map<std::array<std::uint8_t, 7>, Bytes> codedPlus;  // PLUs addressed by code
    Bytes pxt = Bytes(1200, 0);                // ".pxt" as the file holds it
    Bytes chk = Bytes(168, 0);                 // block 111 of this register
    std::map<std::uint16_t, std::array<std::uint8_t, 80>> logoLines;
    std::map<std::uint16_t, Bytes> customers;  // by customer number
    std::uint8_t identification = '2';

    // Operations seen, for tests and the log.
    int clears = 0;
    int pluFileClears = 0;
    int pluSeriesEnds = 0;
    std::vector<std::pair<std::uint16_t, Bytes>> pluCommands;

    // CLR: everything but the identification.
    void clear();
    // PLUs addressed by code (commands 100, 101, 102): the register keeps its
    // PLU records 10001.. sorted by code, used ones first. Replace finds the
    // PLU by its code; insert puts it in its place and moves the later ones
    // up (the last record drops off); delete moves them back and leaves an
    // empty record at the end. `record` is the 137-byte wire record; `code`
    // the 7 packed bytes, least significant pair first.
    void replacePlu(std::span<const std::uint8_t> record);
    void insertPlu(std::span<const std::uint8_t> record);
    void deletePlu(std::span<const std::uint8_t, 7> code);
    // The record count the register's kind header holds.
    std::uint32_t countOf(std::uint16_t base) const;
    int logoType() const;

    // From the program at appPath (".app" and its siblings); registerNumber
    // picks the ".chk" part (0 and 1: the first).
    void seedFromProgram(const std::filesystem::path& appPath, int registerNumber);
    // Writes ".app", ".txt", the record files, ".pxt", ".chk", ".bmp", ".cst".
    void dumpToProgram(const std::filesystem::path& appPath) const;
};

}  // namespace tramond::regsim
