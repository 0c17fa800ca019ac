#include "cli/record_columns.h"

#include <algorithm>
#include <cctype>

#include "editors/customer_editor.h"
#include "editors/packed_field.h"
#include "editors/plu_record.h"
#include "editors/record_description.h"
#include "editors/record_editor.h"
#include "editors/record_file.h"
#include "program/codepage.h"

namespace tramond {

namespace {

using Bytes = std::span<const std::uint8_t>;
using MutableBytes = std::span<std::uint8_t>;

std::uint32_t readLe(Bytes b, std::size_t offset, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width && offset + i < b.size(); ++i)
        v |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
    return v;
}

void writeLe(MutableBytes b, std::size_t offset, std::size_t width, std::uint32_t v) {
    for (std::size_t i = 0; i < width && offset + i < b.size(); ++i)
        b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// An empty cell counts as 0, as an empty edit does in the editors.
std::optional<std::uint64_t> number(std::string_view cell) {
    const auto t = trimmed(cell);
    if (t.empty()) return 0;
    return parseWholeNumber(t);
}

std::string numberError(std::uint64_t limit) {
    return "not a whole number from 0 to " + std::to_string(limit);
}

std::optional<bool> flag(std::string_view cell) {
    std::string t = trimmed(cell);
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
    if (t == "1" || t == "true" || t == "yes") return true;
    if (t == "0" || t == "false" || t == "no" || t.empty()) return false;
    return std::nullopt;
}

// Text that the code page holds exactly; the error otherwise.
std::string oemText(std::string_view text, std::size_t maxChars, std::vector<std::uint8_t>& oem) {
    oem = utf8ToOem(text);
    if (oemToUtf8(oem) != text || std::find(oem.begin(), oem.end(), 0) != oem.end())
        return "has characters the register's code page cannot hold";
    if (oem.size() > maxChars) return "longer than " + std::to_string(maxChars) + " characters";
    return {};
}

RecordColumn numberColumn(std::string name, std::size_t offset, std::size_t width, std::uint32_t limit) {
    return {std::move(name), [=](Bytes r) { return std::to_string(readLe(r, offset, width)); },
            [=](MutableBytes r, std::string_view cell) -> std::string {
                const auto n = number(cell);
                if (!n || *n > limit) return numberError(limit);
                writeLe(r, offset, width, static_cast<std::uint32_t>(*n));
                return {};
            }};
}

RecordColumn bitColumn(std::string name, std::size_t offset, std::size_t width, int bit, bool inverted) {
    return {std::move(name),
            [=](Bytes r) { return (((readLe(r, offset, width) >> bit) & 1u) != 0) != inverted ? "1" : "0"; },
            [=](MutableBytes r, std::string_view cell) -> std::string {
                const auto on = flag(cell);
                if (!on) return "not 0 or 1";
                auto word = readLe(r, offset, width);
                word = (*on != inverted) ? (word | (1u << bit)) : (word & ~(1u << bit));
                writeLe(r, offset, width, word);
                return {};
            }};
}

RecordColumn packedColumn(std::string name, std::size_t offset, std::size_t width, std::size_t maxDigits) {
    return {std::move(name), [=](Bytes r) { return packed_field::show(r.subspan(offset, width)); },
            [=](MutableBytes r, std::string_view cell) -> std::string {
                const auto t = trimmed(cell);
                const auto digits = packed_field::stripZeros(t);
                if (!std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
                    return "not a whole number (digits only, no decimal point)";
                if (digits.size() > maxDigits) return "more than " + std::to_string(maxDigits) + " digits";
                packed_field::store(r.subspan(offset, width), t.empty() ? "0" : t);
                return {};
            }};
}

RecordColumn descriptorColumn(std::size_t offset, std::size_t field, std::size_t maxChars, bool emptyAsBlank) {
    return {"name", [=](Bytes r) { return readDescriptor(r, offset, field); },
            [=](MutableBytes r, std::string_view cell) -> std::string {
                std::string text(cell);
                if (text.empty() && emptyAsBlank) text = " ";
                std::vector<std::uint8_t> oem;
                if (auto e = oemText(text, maxChars, oem); !e.empty()) return e;
                writeDescriptor(r, offset, field, text, maxChars);
                return {};
            }};
}

// A printer or tax set: the numbers 1..8 of its bits, as one word ("135").
RecordColumn bitSetColumn(std::string name, std::size_t offset) {
    return {std::move(name),
            [=](Bytes r) {
                std::string out;
                for (int n = 0; n < 8; ++n)
                    if ((r[offset] >> n) & 1) out.push_back(static_cast<char>('1' + n));
                return out;
            },
            [=](MutableBytes r, std::string_view cell) -> std::string {
                std::uint8_t bits = 0;
                for (char c : cell) {
                    if (c == ' ' || c == ';') continue;
                    if (c < '1' || c > '8') return "not a list of the numbers 1 to 8";
                    bits = static_cast<std::uint8_t>(bits | (1u << (c - '1')));
                }
                r[offset] = bits;
                return {};
            }};
}

RecordColumn layoutColumn(const FieldRow& f) {
    std::string name(f.name);
    switch (f.encoding) {
        case FieldEncoding::Bit:
            return bitColumn(name, f.offset, f.width, f.bit, f.inverted);
        case FieldEncoding::BitGroup: {
            const auto offset = f.offset, width = f.width;
            const auto bit = f.bit;
            const auto mask = f.mask;
            return {name, [=](Bytes r) { return std::to_string((readLe(r, offset, width) >> bit) & mask); },
                    [=](MutableBytes r, std::string_view cell) -> std::string {
                        const auto n = number(cell);
                        if (!n || *n > mask) return numberError(mask);
                        auto word = readLe(r, offset, width) & ~(mask << bit);
                        writeLe(r, offset, width, word | (static_cast<std::uint32_t>(*n) << bit));
                        return {};
                    }};
        }
        case FieldEncoding::Mapped: {
            const auto offset = f.offset, width = f.width;
            const auto mask = f.mask;
            const auto values = f.values;
            const auto fallback = f.defaultItem;
            return {name,
                    [=](Bytes r) {
                        const auto bits = readLe(r, offset, width) & mask;
                        const auto it = std::find(values.begin(), values.end(), bits);
                        return std::to_string(it == values.end() ? fallback : it - values.begin());
                    },
                    [=](MutableBytes r, std::string_view cell) -> std::string {
                        const auto n = number(cell);
                        if (values.empty() || !n || *n >= values.size()) return numberError(values.size() - 1);
                        const auto word = (readLe(r, offset, width) & ~mask) | (values[*n] & mask);
                        writeLe(r, offset, width, word);
                        return {};
                    }};
        }
        case FieldEncoding::Byte:
            return numberColumn(name, f.offset, 1, 0xFF);
        case FieldEncoding::Word:
            return numberColumn(name, f.offset, 2, 0xFFFF);
        case FieldEncoding::EntryLimitation: {
            const auto offset = f.offset;
            return {name, [=](Bytes r) { return std::to_string(decodeEntryLimitation(r[offset])); },
                    [=](MutableBytes r, std::string_view cell) -> std::string {
                        const auto n = number(cell);
                        const auto code = n ? encodeEntryLimitation(*n) : std::nullopt;
                        if (!code) return "not a whole number below 10000000000";
                        r[offset] = *code;
                        return {};
                    }};
        }
        case FieldEncoding::Packed:
            return packedColumn(name, f.offset, f.width,
                                f.maxDigits > 0 ? static_cast<std::size_t>(f.maxDigits) : 2 * f.width);
        case FieldEncoding::Chars: {
            const auto offset = f.offset, width = f.width;
            return {name, [=](Bytes r) { return oemToUtf8(r.subspan(offset, width)); },
                    [=](MutableBytes r, std::string_view cell) -> std::string {
                        std::vector<std::uint8_t> oem;
                        if (auto e = oemText(cell, width, oem); !e.empty()) return e;
                        auto dst = r.subspan(offset, width);
                        std::fill(dst.begin(), dst.end(), std::uint8_t{0});
                        std::copy(oem.begin(), oem.end(), dst.begin());
                        return {};
                    }};
        }
    }
    return {name, [](Bytes) { return std::string(); }, {}};
}

RecordTable pluTable(const ApplicationBlock& app) {
    const auto h = PluHeader::from(app);
    RecordTable t;
    t.kind = RecordKind::Plu;
    t.recordSize = plu::kRecordSize;
    t.count = recordCount(app, RecordKind::Plu);
    const auto codeBytes = static_cast<std::size_t>(h.codeBytes);
    if (h.codeMode()) {
        // The code is the PLU's address on the register: it changes only by
        // creating or deleting the PLU in the editor.
        t.columns.push_back({"code",
                             [=](Bytes r) {
                                 return std::string(packed_field::stripZeros(
                                     packed_field::digits(r.subspan(plu::kCode, codeBytes))));
                             },
                             {}});
        t.inUse = [=](Bytes r) { return !packed_field::isZero(r.subspan(plu::kCode, codeBytes)); };
    }
    t.columns.push_back(descriptorColumn(plu::kDescriptor, plu::kDescriptorField,
                                         static_cast<std::size_t>(h.descriptorLength), false));
    t.columns.push_back(numberColumn("department", plu::kDepartment, 2, 0xFFFF));
    const std::size_t priceDigits = h.priceSize > 0 ? 2 * static_cast<std::size_t>(h.priceSize) : 16;
    for (const auto& e : pluEdits()) {
        auto name = columnNameFromCaption(e.caption.english);
        switch (e.kind) {
            case PluEditKind::Packed: {
                const bool price = e.id == PluEdit::Price1 || e.id == PluEdit::Price2 || e.id == PluEdit::Price3 ||
                                   e.id == PluEdit::Price4 || e.id == PluEdit::CostPrice;
                t.columns.push_back(packedColumn(name, e.offset, e.width, price ? priceDigits : 2 * e.width));
                break;
            }
            case PluEditKind::Byte:
                t.columns.push_back(numberColumn(name, e.offset, 1, 0xFF));
                break;
            case PluEditKind::Linked:
                if (h.codeMode())
                    t.columns.push_back(packedColumn(name, e.offset, e.width, 2 * codeBytes));
                else
                    t.columns.push_back(numberColumn(name, e.offset, 2, 0xFFFF));
                break;
        }
    }
    for (const auto& c : pluChecks())
        t.columns.push_back(bitColumn(std::string(c.name), c.offset, c.width, c.bit, c.inverted));
    t.columns.push_back(bitSetColumn("kitchenPrinters", plu::kKitchenPrinters));
    t.columns.push_back(bitSetColumn("taxable", plu::kTaxable));
    return t;
}

}  // namespace

std::optional<std::size_t> RecordTable::column(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == name) return i;
    return std::nullopt;
}

std::string columnNameFromCaption(std::string_view caption) {
    std::string out;
    bool upper = false;
    for (char c : withoutAccelerator(caption)) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u)) {
            upper = !out.empty();
            continue;
        }
        const bool startOfWord = upper || out.empty();
        char next = static_cast<char>(std::tolower(u));
        if (upper) next = static_cast<char>(std::toupper(u));
        // "PLU" reads as one word: only its first letter keeps a capital.
        if (!startOfWord && std::isupper(u)) next = static_cast<char>(std::tolower(u));
        out.push_back(next);
        upper = false;
    }
    return out;
}

std::vector<RecordKind> tableKinds() {
    std::vector<RecordKind> out{RecordKind::Plu};
    for (const auto* layout : recordEditorLayouts())
        if (std::find(out.begin(), out.end(), layout->kind) == out.end()) out.push_back(layout->kind);
    return out;
}

namespace {

RecordColumn shown(RecordColumn column) {
    column.write = {};
    return column;
}

}  // namespace

std::vector<RecordColumn> condimentColumns() {
    constexpr std::size_t kOptions = 0, kName = 2, kNameField = 25, kLink = 27, kEntries = 28, kEntrySize = 7;
    std::vector<RecordColumn> out{shown(descriptorColumn(kName, kNameField, kNameField - 1, false)),
                                  shown(bitColumn("multipleChoices", kOptions, 2, 0, false)),
                                  shown(bitColumn("multiply", kOptions, 2, 1, false)),
                                  shown(bitColumn("exitAllowed", kOptions, 2, 2, false)),
                                  shown(bitColumn("macro", kOptions, 2, 4, false)),
                                  shown(numberColumn("link", kLink, 1, 0xFF))};
    // PLU record numbers, or key function codes in a macro table; stored
    // from the first slot on, so the first empty one ends the list.
    out.push_back({"entries", [=](Bytes r) {
                       std::string list;
                       for (std::size_t e = 0; e < 16; ++e) {
                           const auto v = readLe(r, kEntries + e * kEntrySize, 2);
                           if (v == 0) break;
                           list += (list.empty() ? "" : " ") + std::to_string(v);
                       }
                       return list;
                   },
                   {}});
    return out;
}

std::vector<RecordColumn> customerColumns() {
    using namespace customer;
    std::vector<RecordColumn> out{shown(numberColumn("number", kNumber, 2, 0xFFFF)),
                                  shown(numberColumn("discount", kDiscount, 1, 0xFF)),
                                  shown(bitColumn("tax2", kChoices, 1, 0, false)),
                                  shown(bitColumn("restaurantTicket", kChoices, 1, 1, false))};
    for (std::size_t l = 0; l < kLines; ++l) {
        const auto at = kText + l * kLineChars;
        out.push_back({"line" + std::to_string(l + 1), [=](Bytes r) {
                           auto text = oemToUtf8(r.subspan(at, kLineChars));
                           while (!text.empty() && text.back() == ' ') text.pop_back();
                           return text;
                       },
                       {}});
    }
    return out;
}

std::optional<RecordTable> recordTable(RecordKind kind, const ApplicationBlock& app) {
    if (kind == RecordKind::Plu) return pluTable(app);
    const auto* layout = editorLayoutFor(kind);
    if (!layout) return std::nullopt;
    RecordTable t;
    t.kind = kind;
    t.recordSize = kindInfo(kind).recordSize;
    t.count = recordCount(app, kind);
    if (layout->descriptorField > 0) {
        // As the editor limits it: the header's length, the field's when 0.
        const auto fieldMax = layout->descriptorField - 1;
        const std::size_t headerMax = descriptorLength(app, kind);
        t.columns.push_back(descriptorColumn(layout->descriptorOffset, layout->descriptorField,
                                             headerMax == 0 ? fieldMax : std::min(headerMax, fieldMax),
                                             layout->emptyDescriptorAsBlank));
    }
    for (const auto& f : layout->fields) t.columns.push_back(layoutColumn(f));
    return t;
}

}  // namespace tramond
