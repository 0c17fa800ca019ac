#include "editors/record_description.h"

#include <algorithm>
#include <array>

namespace tramond {

ResolvedCaption resolveCaption(const LanguageTexts& texts, const Caption& caption) {
    if (caption.text < 0) return {std::string(caption.english), true, true};
    return {texts.text(caption.text), texts.visible(caption.text), texts.enabled(caption.text)};
}

std::string withoutAccelerator(std::string_view label) {
    std::string out(label);
    if (auto pos = out.find('&'); pos != std::string::npos) out.erase(pos, 1);
    return out;
}

namespace {

std::uint32_t readLe(std::span<const std::uint8_t> b, std::size_t offset, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width && offset + i < b.size(); ++i) v |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
    return v;
}

constexpr int kDecimalsFlag = 1;

}  // namespace

FieldRule fieldRule(const FieldRow& row, const ApplicationBlock& app) {
    FieldRule r;
    r.money = row.money;
    switch (row.encoding) {
        case FieldEncoding::Byte: r.max = 0xFF; break;
        case FieldEncoding::Word: r.max = 0xFFFF; break;
        case FieldEncoding::BitGroup: r.max = row.mask; break;
        case FieldEncoding::Mapped: r.max = row.values.empty() ? 0 : row.values.size() - 1; break;
        case FieldEncoding::Bit: r.max = 1; break;
        default: break;
    }
    if (row.control == FieldControl::ComboBox && row.lookup) {
        // A list of another file's records: "NO" and drawer n (stored n), or
        // record n stored as its index n - 1 and shown as n.
        const auto count = recordCount(app, row.lookup->kind);
        if (row.lookup->noneFirst) {
            r.max = count;
            if (row.lookup->maxItems > 0) r.max = std::min<std::uint64_t>(r.max, row.lookup->maxItems - 1);
        } else {
            r.max = count == 0 ? 0 : count - 1;
            r.shownOffset = 1;
        }
    } else if (row.control == FieldControl::ComboBox && !row.items.empty() && row.encoding != FieldEncoding::Mapped) {
        r.max = std::min<std::uint64_t>(r.max, row.items.size() - 1);
    }
    if (row.encoding == FieldEncoding::Packed) r.digits = row.maxDigits > 0 ? row.maxDigits : static_cast<int>(2 * row.width);
    if (row.digitsFromAppByte != 0) r.digits = 2 * (app.u8(row.digitsFromAppByte) & 0x0F);
    if (row.countKind) r.locked = recordCount(app, *row.countKind) < static_cast<std::uint32_t>(std::max(row.countAtLeast, 0));
    return r;
}

std::uint32_t storedFieldValue(const FieldRow& f, std::span<const std::uint8_t> record) {
    switch (f.encoding) {
        case FieldEncoding::Bit: return ((readLe(record, f.offset, f.width) >> f.bit) & 1u);
        case FieldEncoding::BitGroup: return (readLe(record, f.offset, f.width) >> f.bit) & f.mask;
        case FieldEncoding::Byte: return readLe(record, f.offset, 1);
        case FieldEncoding::Word: return readLe(record, f.offset, 2);
        case FieldEncoding::Mapped: {
            const auto bits = readLe(record, f.offset, f.width) & f.mask;
            const auto it = std::find(f.values.begin(), f.values.end(), bits);
            return static_cast<std::uint32_t>(it == f.values.end() ? f.defaultItem : it - f.values.begin());
        }
        default: return 0;
    }
}

bool fieldHiddenIn(const RecordEditorLayout& layout, std::size_t field, std::span<const std::uint8_t> record) {
    if (!layout.recaption || field >= layout.fields.size()) return false;
    const auto& r = *layout.recaption;
    const auto t = std::find(r.targets.begin(), r.targets.end(), layout.fields[field].name);
    if (t == r.targets.end()) return false;
    const auto by = std::find_if(layout.fields.begin(), layout.fields.end(),
                                 [&](const FieldRow& f) { return f.name == r.field; });
    if (by == layout.fields.end()) return false;
    const auto value = storedFieldValue(*by, record);
    if (value >= r.byValue.size()) return false;
    const auto& captions = r.byValue[value];
    const auto pos = static_cast<std::size_t>(t - r.targets.begin());
    return pos < captions.size() && captions[pos].text == kHiddenCaption;
}

std::string moneyUnit(const ApplicationBlock& app) {
    const int decimals = std::min<int>(app.flag(kDecimalsFlag), 6);
    return decimals == 0 ? "1" : "0." + std::string(static_cast<std::size_t>(decimals - 1), '0') + "1";
}

namespace {

// Department record, 39 bytes.
constexpr std::array kDepartmentWords{OptionWord{.offset = 0, .width = 2, .base = 0, .keep = 0}};
constexpr std::array kDepartmentFields{
    FieldRow{.name = "group",
              .caption = {-1, "Add in Group Total"},
              .control = FieldControl::ComboBox,
              .encoding = FieldEncoding::Word,
              .offset = 2,
              .width = 2,
              .lookup = Lookup{RecordKind::Group}},
    FieldRow{.name = "entryLimitation",
              .caption = {-1, "Entry Limitation"},
              .control = FieldControl::NumberEdit,
              .encoding = FieldEncoding::EntryLimitation,
              .offset = 29,
              .maxDigits = 10},
    FieldRow{.name = "printExtraLine",
              .caption = {-1, "Print &Extra Line   :    "},
              .encoding = FieldEncoding::Bit,
              .offset = 0,
              .width = 2,
              .bit = 0},
    FieldRow{.name = "noTaxShift",
              .caption = {-1, "No Tax Shift"},
              .encoding = FieldEncoding::Bit,
              .offset = 0,
              .width = 2,
              .bit = 1},
};

constexpr RecordEditorLayout kDepartment{
    .className = "TEditDepartment",
    .menuHandler = "mEditDepartFileClick",
    .kind = RecordKind::Department,
    .title = {-1, "&Department File"},
    .descriptorOffset = 4,
    .descriptorField = 25,
    .honoursStartRecord = true,
    .words = kDepartmentWords,
    .fields = kDepartmentFields,
};

// Group record, 29 bytes: only the descriptor is edited.
constexpr RecordEditorLayout kGroup{
    .className = "TEditGroup",
    .menuHandler = "mEditGroupFileClick",
    .kind = RecordKind::Group,
    .title = {-1, "&Group File"},
    .descriptorOffset = 4,
    .descriptorField = 25,
    .honoursStartRecord = false,
};

}  // namespace

const RecordEditorLayout& departmentEditorLayout() { return kDepartment; }
const RecordEditorLayout& groupEditorLayout() { return kGroup; }

std::span<const RecordEditorLayout* const> recordEditorLayouts() {
    static const std::array kLayouts{
        &correctionEditorLayout(), &discountEditorLayout(),   &drawerEditorLayout(), &poRaEditorLayout(),
        &tenderEditorLayout(),     &currencyEditorLayout(),   &taxEditorLayout(),    &pbFunctionEditorLayout(),
        &pbInfoEditorLayout(),     &groupEditorLayout(),      &departmentEditorLayout(), &clerkEditorLayout(),
        &modifierEditorLayout(),   &salespersonEditorLayout(),
    };
    return kLayouts;
}

const RecordEditorLayout* editorLayoutFor(RecordKind kind) {
    for (const auto* s : recordEditorLayouts())
        if (s->kind == kind) return s;
    return nullptr;
}

std::uint64_t decodeEntryLimitation(std::uint8_t code) {
    std::uint64_t v = code / 10;
    for (int e = code % 10; e > 0; --e) v *= 10;
    return v;
}

std::optional<std::uint8_t> encodeEntryLimitation(std::uint64_t v) {
    if (v < 10) return static_cast<std::uint8_t>(v * 10);
    int e = 0;
    std::uint64_t d = v;
    while (d >= 10) {
        d /= 10;
        ++e;
    }
    if (e > 9) return std::nullopt;  // the exponent has one decimal digit
    return static_cast<std::uint8_t>(d * 10 + e);
}

}  // namespace tramond
