#pragma once
// The Setup count dialogs: the generic number entry (TEnter2Numbers) and the
// count handlers of groups, departments, modifiers, salespersons and
// condiments. The handler sets the count, writes the application file and
// fills the kind's record file up to the count with default records.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "program/record_kinds.h"
#include "program/session.h"
#include "program/sizing.h"

namespace tramond {

// Controller of the generic count dialog TEnter2Numbers.
class Enter2Numbers {
public:
    Enter2Numbers(int limit, std::uint32_t current) : limit_(limit), initial_(std::to_string(current)) {}

    // "%s (%s %s):" from "Number", "Max." and the limit: "Number (Max. 499):".
    static std::string numberLabel(std::string_view number, std::string_view max, int limit);
    // "%s (%s %s %s):" for the (always hidden) caption-size field.
    static std::string captionSizeLabel(std::string_view captionSize, std::string_view chars,
                                        std::string_view max, int limit);

    int limit() const { return limit_; }
    const std::string& initialText() const { return initial_; }

    // Checked on every key release: true when the text may stay (empty, or a
    // whole number within the limit). False means "Wrong Input!" is shown
    // and the field cleared.
    bool acceptsText(std::string_view text) const;

    // OK: an empty field is 0. Returns false (nothing confirmed) for a text
    // the key check would have refused.
    bool confirm(std::string_view text);
    bool confirmed() const { return confirmed_; }
    std::uint32_t number() const { return number_; }

private:
    int limit_;
    std::string initial_;
    bool confirmed_ = false;
    std::uint32_t number_ = 0;
};

enum class CountItem { Groups, Departments, Modifiers, Salespersons, Condiments };

struct CountItemInfo {
    CountItem item;
    std::string_view handlerName;  // the Setup menu handler
    RecordKind kind;
    int limit;
    bool zeroBecomesOne;
    int helpContext;
};

std::span<const CountItemInfo> countItems();
const CountItemInfo& countItemInfo(CountItem item);

// The count the dialog opens with.
std::uint32_t currentCount(const ApplicationBlock& app, CountItem item);

struct CountOutcome {
    std::uint32_t count = 0;       // the count after the handler
    std::uint32_t appended = 0;    // default records added to the file
    MemoryRequirement memory;
};

// Steps 2 to 4 of a count handler. confirmedNumber is empty when the user
// closed the dialog without OK; the record file is filled in either way.
// Without a loaded program only the block in memory changes.
// Throws FileError when the application file cannot be written.
CountOutcome applyCount(ProgramSession& session, CountItem item,
                        std::optional<std::uint32_t> confirmedNumber);

namespace setup {
// Fills the loaded program's file of kind up to its current count with
// default records, creating the file when missing; never shortens it.
// Returns the number of records appended (0 without a loaded program).
std::uint32_t extendRecordFile(const ProgramSession& session, RecordKind kind);
}  // namespace setup

}  // namespace tramond
