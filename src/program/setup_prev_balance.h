#pragma once
// Controllers of the PB setup dialog (TSetupPrevBalance), its track-buffer
// dialog (TSetupPBTrackBuffer) and the track-block fitting.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "program/session.h"
#include "program/sizing.h"

namespace tramond {

// Offsets of the PB header in the application block.
namespace pb {
inline constexpr std::size_t kFunctionCount = 2167;
inline constexpr std::size_t kCount = 2173;
inline constexpr std::size_t kFlags = 2175;  // bits 0..3 random size, 4 extra count, 5 random PLU, 6 invoice, 7 trailer
inline constexpr std::size_t kTextSize = 2176;
inline constexpr std::size_t kAmountSize = 2177;
inline constexpr std::size_t kTrackAmountSize = 2178;
inline constexpr std::size_t kTrackQuantitySize = 2179;
inline constexpr std::size_t kTrackEntriesPerBlock = 2181;
inline constexpr std::size_t kTrackBlocks = 2183;
inline constexpr std::size_t kPluRandomSize = 2234;
inline constexpr std::size_t kPluCount = 2227;
inline constexpr int kMaxTrackBlockSize = 128;
}  // namespace pb

// Length of one track entry: amount + quantity + 3, plus the PLU random-code
// size when random PLUs are kept (bit 5) and PLUs exist.
int trackEntryLength(const ApplicationBlock& app);
// Fits the entries per block so that the block (entries x E + 2) stays within
// 128 bytes, and fills a block of fewer than 10 entries up to 10 where it
// fits. Returns the entries per block after fitting.
int fitTrackBlock(ApplicationBlock& app);

class SetupPrevBalance {
public:
    static constexpr int kRows = 10;
    enum class RowKind { Number, Digits, Toggle, TrackBuffer };
    struct Row {
        std::string_view caption;
        RowKind kind;
        int limit;  // Number and Digits rows
    };
    static const std::array<Row, kRows>& rows();

    explicit SetupPrevBalance(ApplicationBlock& app) : app_(app) {}

    // What the value column shows ("Yes"/"No" for switches, digits for sizes).
    std::string value(int row) const;
    // Number and Digits rows: stores a whole number within the row's limit.
    // False ("Wrong Input!") leaves the block unchanged.
    bool setValue(int row, std::string_view text);
    // Toggle rows, written at once. Rows 7 and 9 keep option 7 of flag 106 on
    // while the invoice number or the extra count is on.
    void toggle(int row);

    // OK: fits the track block when random PLUs are kept in the track buffer.
    void confirm();

private:
    ApplicationBlock& app_;
};

// The PB handler after OK: writes the application file, fills ".pbf",
// ".pbr" and ".pxt" as the settings require, recomputes.
MemoryRequirement finishSetupPrevBalance(ProgramSession& session, bool confirmed);

class SetupPbTrackBuffer {
public:
    enum class Field { Blocks, Records, QuantitySize, AmountSize };
    static constexpr int kMaxBlocks = 5000;

    explicit SetupPbTrackBuffer(ApplicationBlock& app) : app_(app) {}

    std::string text(Field f) const;  // sizes in digits
    bool randomPlu() const;
    // Key check for a field: empty or digits.
    bool acceptsText(Field f, std::string_view text) const;

    struct Result {
        bool wrongInput = false;        // a field was not a number: nothing stored
        bool blockTooLarge = false;     // "Blocksize may not exceed 128 bytes !!"
        std::optional<Field> keptField; // first field that kept its old value
    };
    // OK: stores the random-PLU switch and the blocks, then each of entries,
    // quantity size and amount size only while the block stays within 128
    // bytes; a size that would not fit keeps its old value.
    Result store(std::string_view blocks, std::string_view records, std::string_view qtyDigits,
                 std::string_view amtDigits, bool randomPlu);

private:
    ApplicationBlock& app_;
};

}  // namespace tramond
