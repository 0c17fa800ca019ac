#pragma once
// The 137-byte PLU record and the PLU kind header as the PLU editor reads
// them, with the tables that bind the editor's edits and check boxes to the
// record's bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "editors/record_description.h"
#include "program/application_block.h"

namespace tramond {

namespace plu {
inline constexpr std::size_t kRecordSize = 137;
inline constexpr std::size_t kOptionWord = 0;
inline constexpr std::size_t kCode = 2;
inline constexpr std::size_t kCodeField = 7;
inline constexpr std::size_t kDescriptor = 9;
inline constexpr std::size_t kDescriptorField = 25;
inline constexpr std::size_t kDepartment = 34;
inline constexpr std::size_t kPriceSlot = 9;  // a price level's slot; 8 bytes hold the amount
inline constexpr std::size_t kCondimentLink = 81;
inline constexpr std::size_t kLinkedPlu = 82;
inline constexpr std::size_t kPrintByte = 107;
inline constexpr std::size_t kKitchenPrinters = 108;
inline constexpr std::size_t kTaxable = 109;
inline constexpr std::uint32_t kChangeBase = 10001;
inline constexpr int kOptionCondimentBit = 1;
}  // namespace plu

// The PLU kind header (application block 2227..).
struct PluHeader {
    int count = 0;
    std::uint8_t optionFlags = 0;
    int codeBytes = 0;         // 0: number mode
    int descriptorLength = 24;
    int priceLevels = 4;
    int priceSize = 3;
    bool costPrice = false;

    static PluHeader from(const ApplicationBlock& app);
    bool codeMode() const { return codeBytes > 0; }
    bool showsLinkedPlu() const { return optionFlags & 0x01; }
    bool showsTare() const { return optionFlags & 0x02; }
    bool showsCondimentLink() const { return optionFlags & 0x08; }
};

enum class PluEditKind {
    Packed,  // packed amount in `width` bytes
    Byte,    // binary u8
    Linked,  // code mode: packed code (7 bytes); number mode: u16 record number
};

enum class PluEdit { Price1, Price2, Price3, Price4, CostPrice, LinkedPlu, LinkedQuantity, CondimentLink, Tare };
inline constexpr std::size_t kPluEditCount = 9;

struct PluEditRow {
    PluEdit id;
    std::string_view name;   // Edit5 ... in the dialog
    Caption caption;
    PluEditKind kind;
    std::size_t offset;
    std::size_t width;
    bool money = false;  // prices: whole units of the program's smallest unit
};
std::span<const PluEditRow> pluEdits();  // indexed by PluEdit
// The PLU's department as a field of the record-editor layouts: a list of
// the department file, stored as the index from 0, shown as its number.
const FieldRow& pluDepartmentField();

struct PluCheckRow {
    std::string_view name;
    Caption caption;
    std::size_t offset;  // option word (2 bytes) or print and display byte (1 byte)
    std::size_t width;
    int bit;
    bool inverted;       // the box shows the bit cleared
};
// Option word bits, then the print and display bits.
std::span<const PluCheckRow> pluChecks();
// Index of the "PLU is Condiment" box in pluChecks().
std::size_t pluCondimentCheck();

}  // namespace tramond
