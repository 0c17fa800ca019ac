#pragma once
// Copying chosen field groups of one PLU into a run of consecutive PLU
// records (TCopyPluRecord). Start and targets are record numbers, never list
// positions: in code mode and after a resort the two differ.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editors/plu_record.h"
#include "program/session.h"

namespace tramond {

struct PluCopyGroup {
    std::string_view name;  // object name of its check box
    std::string_view caption;
    std::size_t first = 0;  // bytes first..last of the record
    std::size_t last = 0;
};
inline constexpr std::size_t kPluCopyGroupCount = 12;
std::span<const PluCopyGroup, kPluCopyGroupCount> pluCopyGroups();
inline constexpr std::size_t kPluCopyName = 0;  // the name group; never in code mode

struct PluCopyRequest {
    std::array<bool, kPluCopyGroupCount> groups{};
    std::string start;  // "Start from record:"
    std::string range;  // "Range to apply chosen values"
};

struct PluCopyResult {
    enum class Outcome {
        Nothing,  // range 0 or start 0 / not a number: close, nothing copied
        Copied,
        RangeTooBig,  // "Given range is too big for current size of PLU file!"; the dialog stays
        FileError,    // the PLU file could not be read or written (message shown by the caller)
    };
    Outcome outcome = Outcome::Nothing;
    std::vector<int> targets;  // record numbers written
    bool nameCopied = false;
};

// Copies the ticked groups of `source` (the record numbered `sourceRecord`)
// into the targets: `range` records from record `start`, one further on when
// `start` is the source itself. Every target is written (one read and one
// write of the run) and marked in one update-list write: change codes in
// number mode, "R" lines keyed by the source's code in code mode.
PluCopyResult copyPluFields(const ProgramSession& session, const PluHeader& header,
                            std::span<const std::uint8_t> source, int sourceRecord, const PluCopyRequest& request);

}  // namespace tramond
