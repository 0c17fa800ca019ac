#pragma once
// Controller of the PLU setup dialog (TSetupPlu): the PLU count and the sizes
// of the PLU record's fields, entered in digits and stored in bytes.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "program/session.h"
#include "program/sizing.h"

namespace tramond {

class SetupPlu {
public:
    enum class Field { Count, CaptionSize, RandomSize, PriceSize, PriceLevels, InventorySize, InventoryAmount };
    enum class Switch { CostPrice, LinkedPlu, Condiments, Tare };

    struct FieldInfo {
        Field field;
        std::string_view label;  // the caption the dialog shows
        int limit;
    };
    struct SwitchInfo {
        Switch sw;
        std::string_view label;
    };
    static std::span<const FieldInfo> fields();
    static std::span<const SwitchInfo> switches();
    static const FieldInfo& info(Field f);

    explicit SetupPlu(ApplicationBlock& app) : app_(app) {}

    // The value a field shows, from the block (sizes in digits).
    std::string text(Field f) const;
    // Key check: an empty text or a number within the limit may stay; else
    // "Wrong Input!" and the field is reset to text(f).
    bool acceptsText(Field f, std::string_view text) const;

    bool isOn(Switch s) const;
    // The switches are written into the block at once.
    void toggle(Switch s);

    // OK: stores every field (an empty field counts as 0). Returns the first
    // field holding a text the key check refuses, leaving the block as it
    // was; nullopt when all fields were stored.
    std::optional<Field> store(const std::array<std::string, 7>& texts);

private:
    ApplicationBlock& app_;
};

// The handler after the dialog: writes the application file when confirmed,
// fills ".plu" up to the count, recomputes. Without a loaded program only the
// block changes.
MemoryRequirement finishSetupPlu(ProgramSession& session, bool confirmed);

}  // namespace tramond
