#pragma once
// Controllers of the clerk setup dialog (TSetupClerk) and the floating
// clerks dialog (TSetupFloatingClerks).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "program/session.h"
#include "program/sizing.h"

namespace tramond {

class SetupClerk {
public:
    static constexpr int kLimit = 999;
    static constexpr std::size_t kCount = 959;
    static constexpr std::size_t kRecordLength = 961;
    static constexpr std::size_t kDescriptorLength = 963;
    static constexpr std::size_t kClerkTimeByte = 2567;  // bit 0

    // "Number (Max.999)" from "Number", " (", "Max." and "999)".
    static std::string numberLabel(std::string_view number, std::string_view max);

    explicit SetupClerk(ApplicationBlock& app) : app_(app) {}

    std::string countText() const;
    bool clerkTime() const;
    bool acceptsText(std::string_view text) const;
    // OK: an empty field or 0 gives 1 clerk. False for a text the key check
    // refuses (nothing stored).
    bool store(std::string_view countText, bool clerkTime);

private:
    ApplicationBlock& app_;
};

// The clerk register record length: descriptor + 40 with clerk time, else + 2.
void setClerkRecordLength(ApplicationBlock& app);

// The clerk handler after the dialog: sets the record length, writes the
// application file (when confirmed) and the block into an existing ".smr",
// fills ".clk", recomputes.
MemoryRequirement finishSetupClerk(ProgramSession& session, bool confirmed);

// The floating clerks handler after the dialog: the map's floating-clerk
// slot follows the flags before the block is written (when confirmed), so
// the file never holds the new flags with the old map.
MemoryRequirement finishSetupFloatingClerks(ProgramSession& session, bool confirmed);

class SetupFloatingClerks {
public:
    enum class Field { MaxClerks, MaxTransactionSize, SelectTimer };
    struct FieldInfo {
        Field field;
        std::string_view label;
        int flag;
        int limit;
    };
    static const std::array<FieldInfo, 3>& fields();
    static constexpr std::string_view kTitle = "Floating Clerks";
    // Shown when floating clerks are set without a transaction size.
    static std::string transactionSizeError();

    explicit SetupFloatingClerks(ApplicationBlock& app) : app_(app) {}

    std::string text(Field f) const;
    // On leaving a field: false means "Wrong Input!" and the field becomes "0".
    bool acceptsText(Field f, std::string_view text) const;

    enum class Outcome { Stored, WrongInput, NeedsTransactionSize };
    // OK: on NeedsTransactionSize nothing is stored and the dialog stays open
    // with the transaction-size field selected.
    Outcome store(const std::array<std::string, 3>& texts);

private:
    ApplicationBlock& app_;
};

}  // namespace tramond
