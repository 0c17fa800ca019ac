#pragma once
// Record-kind descriptions for the record editors. A description names the
// kind (file extension, record size, count and descriptor length in the
// application block and change-code base all come from the record-kind
// table), where the descriptor lies, the option words and how they are
// rebuilt, and every field with its control, encoding and lookup list. One
// controller and one dialog interpret them; an editor is a table, not code.

#include <cstddef>
#include <cstdint>
#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/language_texts.h"
#include "program/record_kinds.h"

namespace tramond {

// A caption or label: language text `text` when it has a number, else the
// English words. Numbered captions follow the language-pack switches
// (empty: hidden, leading blank: disabled).
struct Caption {
    int text = -1;
    std::string_view english;
};

struct ResolvedCaption {
    std::string label;  // as the table holds it, "&" included
    bool visible = true;
    bool enabled = true;
};
ResolvedCaption resolveCaption(const LanguageTexts& texts, const Caption& caption);
// The label without its first "&" (titles, labels, group boxes).
std::string withoutAccelerator(std::string_view label);

enum class FieldControl { CheckBox, ComboBox, NumberEdit, TextEdit };

enum class FieldEncoding {
    Bit,              // one bit of an option word; `inverted`: the box shows the bit cleared
    BitGroup,         // a small number in `mask` bits of an option word, from bit `bit` on
    Byte,             // binary u8
    Word,             // binary u16, little-endian
    EntryLimitation,  // one byte d*10+e standing for d*10^e
    Packed,           // packed BCD amount filling `width` bytes
    Chars,            // characters as typed, zero-filled, at most `width`
    Mapped,           // combo item i stands for `values[i]` in the `mask` bits of an option word;
                      // a value not in the table shows as item `defaultItem`
};

// A list filled from another record file of the program: its descriptors,
// optionally after a first "NO" item (value 0 = none).
struct Lookup {
    RecordKind kind;
    bool noneFirst = false;
    // "Error opening File !!" when the file cannot be opened (the list then
    // holds only "NO"); otherwise the list stays silently empty.
    bool reportFailure = false;
    int maxItems = 0;  // items offered, "NO" included; 0: all records
};

// How a number edit checks what is typed: on Enter, or on every key released.
// A refused text clears the edit and shows `message`.
enum class FieldCheck {
    None,         // Enter in an empty edit puts "0" in it
    WholeNumber,  // Enter: a non-negative whole number, nothing else (empty included)
    DigitsOnKey,  // every key released: digits only (an emptied edit is left alone)
};

// An option word that storing rebuilds: the bits in `keep` stay as read, the
// rest start from `base`, then the word's fields set or clear their bits.
struct OptionWord {
    std::size_t offset = 0;
    std::size_t width = 2;
    std::uint32_t base = 0;
    std::uint32_t keep = 0;
};

struct FieldRow {
    std::string_view name{};
    Caption caption{};
    FieldControl control = FieldControl::CheckBox;
    FieldEncoding encoding = FieldEncoding::Bit;
    std::size_t offset = 0;  // Bit and BitGroup: the option word's offset
    std::size_t width = 1;   // Bit and BitGroup: the option word's width
    int bit = 0;
    std::uint32_t mask = 0;
    bool inverted = false;
    bool alwaysEnabled = false;  // shown enabled whatever its caption text
    std::optional<Lookup> lookup{};
    std::span<const Caption> items{};  // fixed combo items
    int maxDigits = 0;                 // number edits; 0: no limit
    // When nonzero, the edit takes 2 x (low four bits of this application
    // byte) digits instead (the PB random-code size).
    std::size_t digitsFromAppByte = 0;
    std::span<const std::uint32_t> values{};  // Mapped
    int defaultItem = 0;                      // Mapped
    FieldCheck check = FieldCheck::None;
    Caption checkMessage{-1, "Wrong Input"};
    // Enabled only while the program has at least `countAtLeast` records of
    // this kind (the discount's tax boxes).
    std::optional<RecordKind> countKind{};
    int countAtLeast = 0;
    // An amount of money: whole units of the program's smallest unit (the
    // decimals of system flag 1), as the register keeps it.
    bool money = false;
};

// A button that opens another dialog by its menu handler name; disabled
// while no handler of that name is registered.
struct EditorButton {
    std::string_view objectName{};
    Caption caption{};
    std::string_view handler{};
};

// A field whose value re-captions others: for each value of `field` (a combo
// index), the captions of the `targets` fields in order. A caption with
// text -2 hides its box, which is then stored as 0.
inline constexpr int kHiddenCaption = -2;
struct Recaption {
    std::string_view field{};
    std::span<const std::string_view> targets{};
    std::span<const std::span<const Caption>> byValue{};
};

// An option check box over one bit of a word (the words of a layout are at
// offset 0, two bytes, unless told otherwise).
constexpr FieldRow optionBox(std::string_view name, std::string_view caption, int bit, bool inverted = false,
                             bool alwaysEnabled = false, std::size_t offset = 0, std::size_t width = 2) {
    return FieldRow{.name = name,
                    .caption = {-1, caption},
                    .control = FieldControl::CheckBox,
                    .encoding = FieldEncoding::Bit,
                    .offset = offset,
                    .width = width,
                    .bit = bit,
                    .inverted = inverted,
                    .alwaysEnabled = alwaysEnabled};
}

struct RecordEditorLayout {
    std::string_view className{};    // "TEditDepartment"
    std::string_view menuHandler{};  // "mEditDepartFileClick"
    RecordKind kind{};
    Caption title{};
    std::size_t descriptorOffset = 0;
    std::size_t descriptorField = 25;  // bytes, NUL included
    bool emptyDescriptorAsBlank = true;
    bool storeUnchanged = false;       // every store writes and marks, changed or not
    bool honoursStartRecord = true;
    bool printOptions = false;         // "Print Options" button for the byte below
    std::size_t printOptionOffset = 0;
    bool printOptionsAlwaysEnabled = false;
    std::span<const EditorButton> buttons{};
    bool listEnterSelects = false;  // Enter in the list stores and loads the selected line
    std::optional<Recaption> recaption{};
    std::span<const OptionWord> words{};
    std::span<const FieldRow> fields{};
    std::string_view wrongNumberText = "Wrong Input";  // number jump refused
    int wrongNumberTextNumber = -1;
    int numberDigits = 5;              // digits the record-number edit takes
};

const RecordEditorLayout& departmentEditorLayout();
const RecordEditorLayout& groupEditorLayout();
const RecordEditorLayout& tenderEditorLayout();
const RecordEditorLayout& drawerEditorLayout();
const RecordEditorLayout& correctionEditorLayout();
const RecordEditorLayout& discountEditorLayout();
const RecordEditorLayout& poRaEditorLayout();
const RecordEditorLayout& currencyEditorLayout();
const RecordEditorLayout& taxEditorLayout();
const RecordEditorLayout& clerkEditorLayout();
const RecordEditorLayout& salespersonEditorLayout();
const RecordEditorLayout& modifierEditorLayout();
const RecordEditorLayout& pbFunctionEditorLayout();
const RecordEditorLayout& pbInfoEditorLayout();
// Every description, in Edit-menu order.
std::span<const RecordEditorLayout* const> recordEditorLayouts();
// The description of a kind, or nullptr; lookups use it to find descriptors.
const RecordEditorLayout* editorLayoutFor(RecordKind kind);

// Where the descriptor of a kind's record lies: descriptorPlace() of the
// record-kind table (program/record_kinds.h), shared with the key captions.

// --- the rule of a field -----------------------------------------------------

// What one field may hold in one program, worked out from its row: the
// editor offers exactly this, and the spreadsheet exchange and the program
// comparison read and check values by it. One rule for every path.
struct FieldRule {
    std::uint64_t max = UINT64_MAX;  // largest stored value (a lookup: its count)
    int shownOffset = 0;             // added where the value is shown (1: the 1-based item of a list)
    int digits = 0;                  // packed fields: the digits the program allows (0: the field's room)
    bool locked = false;             // disabled by a count: the stored value stays as it is
    bool money = false;              // an amount in the program's smallest unit
};
// The parts of the rule that depend on the program, not on the record.
FieldRule fieldRule(const FieldRow& row, const ApplicationBlock& app);
// Whether another field's value in this record hides field i (the PB
// function's extra options): a hidden field is stored as 0.
bool fieldHiddenIn(const RecordEditorLayout& layout, std::size_t field, std::span<const std::uint8_t> record);
// The stored value of a Bit, BitGroup, Byte, Word or Mapped field (Mapped: its item).
std::uint32_t storedFieldValue(const FieldRow& row, std::span<const std::uint8_t> record);
// The smallest money unit of a program, as column headers name it: "0.01"
// for two decimals, "1" for none.
std::string moneyUnit(const ApplicationBlock& app);

// Entry limitation code: byte d*10+e for the amount d*10^e.
std::uint64_t decodeEntryLimitation(std::uint8_t code);
// Cuts v to its leading digit; nullopt when v cannot be held (10^10 or more).
std::optional<std::uint8_t> encodeEntryLimitation(std::uint64_t v);

}  // namespace tramond
