#include "editors/record_description.h"

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
