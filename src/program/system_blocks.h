#pragma once
// The slices of the application and text blocks that travel as the
// register's numbered system blocks (1..122 and the kind headers). The
// transfers convert them; the editing dialogs use the same map to know which
// block numbers a change touched.

#include <cstdint>
#include <span>
#include <vector>

#include "program/application_block.h"

namespace tramond {

enum class BlockArea { Application, Text };

enum class SwapRule : std::uint8_t {
    None,
    Words,     // the 16-bit words at the listed offsets
    AllWords,  // every 16-bit word of the block
    AllLongs,  // every 32-bit field, all four bytes reversed
};

struct SystemBlock {
    std::uint16_t number;
    BlockArea area;
    std::uint16_t offset;
    std::uint16_t length;
    SwapRule swap;
    std::uint8_t wordCount;
    std::uint8_t words[6];
    bool isKindHeader;
};

std::span<const SystemBlock> systemBlocks();
const SystemBlock* findSystemBlock(std::uint32_t number);

// The numbers of the application-block slices whose bytes differ, ascending.
// Bytes that belong to no slice travel with no block and mark nothing.
std::vector<std::uint16_t> changedApplicationBlocks(const ApplicationBlock& before,
                                                    const ApplicationBlock& after);

}  // namespace tramond
