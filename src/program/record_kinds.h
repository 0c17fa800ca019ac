#pragma once
// The one table of record kinds: file extension, record size, where the
// count and descriptor length live in the application block, and the change
// code base. Everything that walks "every kind" reads this table.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "program/application_block.h"

namespace tramond {

enum class RecordKind {
    Plu,
    Department,
    Group,
    Tender,
    Drawer,
    Correction,
    Currency,
    Discount,
    PoRa,
    Tax,
    PbFunction,
    Clerk,
    Modifier,
    Salesperson,
    Condiment,
    PbInfo,
    PbExtraTrailer,
};

struct KindInfo {
    RecordKind kind;
    std::string_view name;       // "PLU", "department", ...
    std::string_view extension;  // ".plu"
    std::size_t recordSize;      // bytes per record in the file
    std::size_t countOffset;     // u16 record count in the application block (0: fixed count)
    std::size_t descriptorLengthOffset;  // u8 descriptor length (0: none)
    std::uint32_t changeBase;            // change code of record 1 (record n: changeBase + n - 1)
    std::optional<std::uint16_t> fixedCount;  // counts the tool keeps fixed
    std::uint8_t fixedDescriptorLength = 0;   // set at start and every load (0: none)
    bool wholeBlock = false;  // every record shares one change code (the PB extra trailer)
};

std::span<const KindInfo> recordKinds();
const KindInfo& kindInfo(RecordKind kind);

// Record count as the application block holds it (50 for the PB extra trailer).
std::uint32_t recordCount(const ApplicationBlock& app, RecordKind kind);
std::uint8_t descriptorLength(const ApplicationBlock& app, RecordKind kind);

// The update-list code of record n (counted from 1): changeBase + n - 1, or
// changeBase alone for a kind that travels as one block. Throws for n = 0.
std::uint32_t changeCode(RecordKind kind, std::uint32_t recordNumber);
// Where the kind's header lives (nullptr for PB info and the PB extra trailer,
// whose counts sit in the PB header).
const appblock::KindHeaderLayout* kindHeader(RecordKind kind);
// The kind whose file has this extension (".plu"), if any.
std::optional<RecordKind> kindForExtension(std::string_view extension);

// What a listing or an export of a record file shorter than the program's
// count says beside what it shows: "shop.dpt holds 4 records, fewer than the
// program's count of 6". "" when the file holds them all.
std::string fewerRecordsWarning(std::string_view fileName, std::size_t held, std::size_t count);

// Where a kind's record keeps its name (descriptor): offset in the record and
// field bytes, the terminating zero included. The record editors and the key
// captions read names through this one table; nullopt for kinds without one.
struct DescriptorPlace {
    std::size_t offset = 0;
    std::size_t field = 0;
};
std::optional<DescriptorPlace> descriptorPlace(RecordKind kind);

}  // namespace tramond
