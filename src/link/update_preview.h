#pragma once
// What Update Register would send, in the order it sends it, worked out
// from the program's update list without touching the port: the dealer's
// look before a nightly job ("update --dry-run"). The plan is the one
// Update itself follows (update_plan), and the refusal is what its checks
// would say before anything went out.

#include <cstdint>
#include <string>
#include <vector>

#include "program/session.h"

namespace tramond {

struct UpdatePreviewItem {
    enum class Type { Block, Record, PluLine };
    Type type = Type::Block;
    std::uint32_t block = 0;   // Block and Record: the block number
    std::string kind{};        // Record: the kind's word ("department")
    std::uint32_t record = 0;  // Record: from 1
    std::string line{};        // PluLine: the update list's line
};

struct UpdatePreview {
    bool updateFileExists = false;
    std::vector<UpdatePreviewItem> items;
    // Why Update would stop before sending anything; "" when it would not.
    std::string refusal;
    bool wouldSend() const { return updateFileExists && refusal.empty(); }
};

UpdatePreview previewUpdate(const ProgramSession& session);

// One line per item: "block 2", "department 3 (block 5003)", "PLU line R...".
std::string describe(const UpdatePreviewItem& item);
// The items as a JSON array of {"block"} / {"kind","record","block"} / {"pluLine"}.
std::string previewJsonItems(const UpdatePreview& preview);

}  // namespace tramond
