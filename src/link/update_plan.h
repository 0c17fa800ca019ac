#pragma once
// What an Update Register sends, worked out from the update list before the
// port is touched: the system blocks, the record groups (each sent from its
// own file, in the fixed group order) and the PLU lines of code mode.
// Also the per-line packing of PLU commands 100/101/102 and the check that
// the register has room for the new PLUs.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/block_map.h"
#include "program/application_block.h"

namespace tramond {

// One record file's range of change codes. Groups are listed in the order
// they are sent; codes inside a group ascend.
struct UpdateGroupInfo {
    std::string_view extension;  // ".dpt"
    std::uint32_t base;          // the kind base the file's record 1 follows
    std::uint32_t firstCode;     // change codes firstCode..lastCode belong here
    std::uint32_t lastCode;
};

// The group table, in sending order (".cor" .. ".dpt", ".plu", ".pbr").
std::span<const UpdateGroupInfo> updateGroups();

// Change codes 2..122 are system blocks (122: the system characters of
// key columns 128-168, which the keyboard editor marks); so are the kind
// headers (300, 2900, 10000, ...), which travel from the application block.
inline constexpr std::uint32_t kFirstSystemChange = 2;
inline constexpr std::uint32_t kLastSystemChange = 122;

struct UpdateRecordGroup {
    const UpdateGroupInfo* info = nullptr;
    std::vector<std::uint32_t> codes;
};

struct UpdatePlan {
    std::vector<std::uint32_t> systemBlocks;      // in list order
    std::vector<UpdateRecordGroup> recordGroups;  // non-empty groups only, in sending order
    std::vector<std::string> pluLines;            // lines that are not numbers, in list order
    int newPluCount = 0;                          // PLU lines beginning with "N"
    std::vector<std::string> ignored;             // numbers that belong to no group
    std::vector<std::string> stale;               // records past their kind's count (dropStale)

    bool empty() const { return systemBlocks.empty() && recordGroups.empty() && pluLines.empty(); }
};

// The update file's lines: sorted as text, duplicates and empty lines
// removed, line ends and surrounding blanks trimmed. Unlike the editors'
// view of the list, malformed lines are kept: the update must report them
// rather than silently drop a change. Throws FileError.
std::vector<std::string> readUpdateFileLines(const std::filesystem::path& file);

// Classifies lines that are already sorted and unique (readUpdateFileLines).
// pluByCode: the PLU random-code size is nonzero. Then PLU change codes are
// left out (the PLU lines carry those changes) and the PLU lines are kept;
// otherwise the PLU lines are left out and ".plu" codes go by record.
UpdatePlan planUpdate(const std::vector<std::string>& sortedLines, bool pluByCode);

// When the memory map changed (block 3 is in the plan), leaves out the
// record codes and PLU lines that name records past their kind's count in
// `app`: marked before the count was lowered, they name nothing a register
// with this program's map holds, and a register with the old map is told by
// the application check to be cleared and installed. They move to `stale`.
// Without a changed map such a line is no line of this program, and the
// checks before sending refuse it.
void dropStale(UpdatePlan& plan, const ApplicationBlock& app);

// "Number of new plu entries is too big, please use INSTALL" is due when
// this is false: the register must keep half of its free PLU entries
// spare after the insertions.
//   pluCount: PLU count of the program; newPlus: "N" lines;
//   usedPlus: used lines of the PLU editor's list (the new PLUs included).
bool newPluEntriesFit(long pluCount, long newPlus, long usedPlus);

// --- PLU command lines (code mode) -----------------------------------------

enum class PluCommand : std::uint16_t {
    Replace = kCmdPluReplace,
    Insert = kCmdPluInsert,
    Delete = kCmdPluDelete,
};
inline constexpr std::size_t kPluCommandSize = 3 + kPluRecordSize;  // "U", command, record

// "R" replace, "N" insert, "D" delete; anything else replaces.
PluCommand pluCommandFor(std::string_view line);

// Columns 2..15 packed as the register's PLU code: digits from the right,
// non-digits skipped, low half-byte first, least significant pair first.
std::array<std::uint8_t, 7> packPluLineCode(std::string_view line);

// The record position in columns 16..20; nullopt when it is not a number.
std::optional<long> pluLinePosition(std::string_view line);

// The 140-byte payload of one PLU command. For Replace and Insert the file
// record (little-endian, as stored) goes after the command with words 0 and
// 34 swapped for the wire; for Delete the packed code does.
std::array<std::uint8_t, kPluCommandSize> buildPluCommand(
    PluCommand command, std::string_view line,
    std::span<const std::uint8_t, kPluRecordSize> fileRecord);

}  // namespace tramond
