#pragma once
// The register's 16-bit block numbers: which slice of the application or
// text block, which record file, which special file each number stands for,
// and which fields travel big-endian. One table; every transfer, the update
// and the simulator read it.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "program/carried_files.h"
#include "program/application_block.h"
#include "program/register_config.h"
#include "program/system_blocks.h"
#include "program/text_block.h"

namespace tramond {

// Special block numbers.
inline constexpr std::uint16_t kBlockIdentification = 1;
inline constexpr std::uint16_t kBlockFlags = 2;
inline constexpr std::uint16_t kBlockApplicationCheck = 3;
inline constexpr std::uint16_t kBlockPbTrailer = 90;   // ".pxt"
inline constexpr std::uint16_t kBlockLogo = 91;        // ".bmp"
inline constexpr std::uint16_t kBlockChk = 111;        // ".chk"
inline constexpr std::uint16_t kBlockCustomer = 112;   // ".cst"
inline constexpr std::uint16_t kCmdPluReplace = 100;
inline constexpr std::uint16_t kCmdPluInsert = 101;
inline constexpr std::uint16_t kCmdPluDelete = 102;
inline constexpr std::uint16_t kCmdPluSeriesEnd = 105;
inline constexpr std::uint16_t kCmdClearPluFile = 108;

// Application-block bytes the transfers consult (the PB and logo settings:
// program/carried_files.h).
inline constexpr std::size_t kAppPluRandomSizeOffset = 2234;  // byte 7 of block 10000
// Block 3: the 32-bit field 16 is zeroed whenever the block is received.
inline constexpr std::size_t kBlock3ClearedOffset = 64;
inline constexpr std::size_t kBlock3ClearedLength = 4;

// Special file sizes.
inline constexpr std::size_t kPxtPieceSize = 120;
inline constexpr int kPxtPieces = 10;
inline constexpr std::size_t kPxtFileSize = kPxtPieceSize * kPxtPieces;  // 1200
inline constexpr std::size_t kChkCommonSize = kConfigCommonSize;
inline constexpr std::size_t kChkPartSize = kConfigPartSize;
inline constexpr std::size_t kChkBlockSize = kChkCommonSize + kChkPartSize;  // 168
inline constexpr std::size_t kCustomerRecordSize = 125;
inline constexpr int kCustomerRecords = 500;
inline constexpr std::size_t kPluRecordSize = 137;

struct KindBlock {
    std::string_view extension;
    std::uint16_t base;         // also the number of the kind header
    std::uint16_t lastNumber;   // highest record number of the kind
    std::uint16_t recordSize;
    std::uint8_t wordCount;
    std::uint8_t words[3];
    // Counted by another word than the header's first (PB info: word 6 of 700).
    std::size_t countOffset;
};

std::span<const KindBlock> kindBlocks();

// The kind whose record numbers contain number (system blocks are not records).
const KindBlock* findKindForRecord(std::uint32_t number);
const KindBlock* findKindByBase(std::uint32_t base);
const KindBlock* findKindByExtension(std::string_view extension);

// Record count of a kind as its header in the application block holds it.
std::uint32_t kindCount(const ApplicationBlock& app, const KindBlock& kind);

// The file-order bytes of a system block (little-endian) and their wire form.
std::vector<std::uint8_t> systemBlockToWire(const ApplicationBlock& app, const TextBlock& text,
                                            const SystemBlock& block);
// Stores wire data into the block's place and converts it there. Fewer bytes
// than the block's length leave the rest untouched; more are ignored. Block 3
// has its bytes 64..67 zeroed.
void systemBlockFromWire(ApplicationBlock& app, TextBlock& text, const SystemBlock& block,
                         std::span<const std::uint8_t> wire);

// Conversions in place; each is its own inverse.
void swapSystemBlock(const SystemBlock& block, std::span<std::uint8_t> data);
void swapRecord(const KindBlock& kind, std::span<std::uint8_t> record, std::uint8_t pluRandomCodeSize);
void swapChkBlock(std::span<std::uint8_t> block168);
void swapCustomerRecord(std::span<std::uint8_t> record);
void swapWord(std::span<std::uint8_t> data, std::size_t offset);

inline void putBigEndian16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v & 0xFF);
}
inline std::uint16_t bigEndian16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

}  // namespace tramond
