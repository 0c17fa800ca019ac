// Record layouts of tax, clerk, salesperson and modifier records.
#include <array>

#include "editors/record_description.h"

namespace tramond {

namespace {

// These editors' boxes are enabled whatever the language pack says.
constexpr FieldRow box(std::string_view name, std::string_view caption, int bitNo, bool inverted = false,
                       bool always = true) {
    return optionBox(name, caption, bitNo, inverted, always);
}

constexpr Caption kWrongInputBang{681, "Wrong Input!"};

// Tax, 25 bytes. Every store writes and marks, changed or not.
constexpr std::array<Caption, 2> kTaxTypes{{{-1, "ADD ON"}, {-1, "VAT"}}};
constexpr std::array kTaxWords{OptionWord{.offset = 0, .width = 2, .base = 0, .keep = 0}};
constexpr FieldRow taxAmount(std::string_view name, std::string_view caption, std::size_t offset, bool money) {
    return FieldRow{.name = name,
                    .caption = {-1, caption},
                    .control = FieldControl::NumberEdit,
                    .encoding = FieldEncoding::Packed,
                    .offset = offset,
                    .width = 3,
                    .maxDigits = 6,
                    .check = FieldCheck::WholeNumber,
                    .checkMessage = kWrongInputBang,
                    .money = money};
}
constexpr std::array kTaxFields{
    FieldRow{.name = "type",
             .caption = {-1, "Tax Type"},
             .control = FieldControl::ComboBox,
             .encoding = FieldEncoding::BitGroup,
             .offset = 0,
             .width = 2,
             .bit = 0,
             .mask = 1,
             .items = kTaxTypes},
    taxAmount("rate", "Tax Rate", 19, false),
    taxAmount("exempt", "Exempt Amount", 22, true),
    box("printTax", "Print &Tax", 1, false, false),
    box("printZeroTax", "Print &Zero Tax", 2, false, false),
    box("calculationOnGst", "Calculation on &GST", 3, false, false),
    box("printNet", "Print Net (T&axable)", 4, false, false),
    box("rate4Decimals", "Rate with &4 Decimals", 6, false, false),
    box("bonusItemizer", "&Bonus Itemizer", 7, false, false),
};
constexpr RecordEditorLayout kTax{
    .className = "TEditTax",
    .menuHandler = "mEditTaxFileClick",
    .kind = RecordKind::Tax,
    .title = {-1, "Tax File"},
    .descriptorOffset = 2,
    .descriptorField = 17,
    .storeUnchanged = true,
    .words = kTaxWords,
    .fields = kTaxFields,
    .wrongNumberText = "Wrong Input!",
    .wrongNumberTextNumber = 681,
    .numberDigits = 3,
};

// Clerk, 78 bytes. The word starts from 14: nothing allowed; an "allowed"
// box clears its bit.
constexpr std::array kClerkWords{OptionWord{.offset = 0, .width = 2, .base = 14, .keep = 0}};
constexpr std::array kClerkFields{
    box("training", "&Training Clerk", 0),
    box("allReports", "&All Reports Allowed", 1, true),
    box("zReports", "&Z - Reports Allowed", 2, true),
    box("programming", "&Programming Allowed", 3, true),
    box("drawer1", "Open Drawer &1", 4),
    box("drawer2", "Open Drawer &2", 5),
    box("drawer3", "Open Drawer &3", 10),
    box("master", "&Master Clerk", 6),
    box("restrictedCorrections", "&Restricted Access to Corrections", 8),
};
constexpr std::array kClerkButtons{
    EditorButton{.objectName = "Button2", .caption = {655, "&Clerk Options"}, .handler = "mClerkOptionsClick"}};
constexpr RecordEditorLayout kClerk{
    .className = "TEditClerk",
    .menuHandler = "mEditClerkFileClick",
    .kind = RecordKind::Clerk,
    .title = {-1, "Clerk File"},
    .descriptorOffset = 4,
    .descriptorField = 17,
    .buttons = kClerkButtons,
    .words = kClerkWords,
    .fields = kClerkFields,
};

// Salesperson, 27 bytes.
constexpr std::array kSalespersonWords{OptionWord{.offset = 0, .width = 2, .base = 0, .keep = 0}};
constexpr std::array kSalespersonFields{box("doubleHeight", "&Double Height on Receipt/Journal", 0)};
constexpr RecordEditorLayout kSalesperson{
    .className = "TEditSalPer",
    .menuHandler = "mEditSalPerFileClick",
    .kind = RecordKind::Salesperson,
    .title = {-1, "Salesperson File"},
    .descriptorOffset = 2,
    .descriptorField = 25,
    .words = kSalespersonWords,
    .fields = kSalespersonFields,
};

// Modifier, 28 bytes. Only bits 0 and 1 are the editor's; the rest stay.
constexpr std::array kModifierFields{
    box("suppressPrinting", "&Suppress Printing on R/J/S", 0),
    box("kitchenMessage", "Modifier as Message to &Kitchen Printer", 1),
};
constexpr RecordEditorLayout kModifier{
    .className = "TEditModifier",
    .menuHandler = "mEditModFileClick",
    .kind = RecordKind::Modifier,
    .title = {-1, "Modifier File"},
    .descriptorOffset = 3,
    .descriptorField = 25,
    .fields = kModifierFields,
};

}  // namespace

const RecordEditorLayout& taxEditorLayout() { return kTax; }
const RecordEditorLayout& clerkEditorLayout() { return kClerk; }
const RecordEditorLayout& salespersonEditorLayout() { return kSalesperson; }
const RecordEditorLayout& modifierEditorLayout() { return kModifier; }

}  // namespace tramond
