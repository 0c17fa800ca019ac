// Record layouts of the money functions: tender, drawer, correction,
// discount, paid-out/received-on-account and currency.
#include <array>

#include "editors/record_description.h"

namespace tramond {

namespace {

constexpr Caption kWrongInput{-1, "Wrong Input"};

constexpr FieldRow amount(std::string_view name, std::string_view caption, std::size_t offset, std::size_t width,
                          int digits, Caption message = kWrongInput, FieldCheck check = FieldCheck::WholeNumber,
                          bool money = false) {
    return FieldRow{.name = name,
                    .caption = {-1, caption},
                    .control = FieldControl::NumberEdit,
                    .encoding = FieldEncoding::Packed,
                    .offset = offset,
                    .width = width,
                    .maxDigits = digits,
                    .check = check,
                    .checkMessage = message,
                    .money = money};
}

// "NO" and then the drawers; `max` items at most (0: every drawer).
constexpr FieldRow drawerSelector(std::string_view name, std::string_view caption, std::size_t offset, int max = 0) {
    return FieldRow{.name = name,
                    .caption = {-1, caption},
                    .control = FieldControl::ComboBox,
                    .encoding = FieldEncoding::Byte,
                    .offset = offset,
                    .lookup = Lookup{RecordKind::Drawer, true, true, max}};
}

constexpr std::array kOptionWord{OptionWord{.offset = 0, .width = 2, .base = 0, .keep = 0}};

// Tender, 30 bytes. The word starts from 4: amount entry NOT allowed.
constexpr std::array kTenderWords{OptionWord{.offset = 0, .width = 2, .base = 4, .keep = 0}};
constexpr std::array kTenderFields{
    drawerSelector("drawerTotal", "Add in DrawerTotal", 3),
    drawerSelector("changeTip", "Add Change/Tip", 4),
    amount("presetAmount", "Preset Amount", 5, 4, 8, kWrongInput, FieldCheck::None, true),
    optionBox("openDrawer", "&Open Drawer", 0),
    optionBox("amountCompulsory", "Amount &Compulsory", 1),
    optionBox("amountEntryAllowed", "&Amount Entry Allowed", 2, true),
    optionBox("numberCompulsory", "N&umber Compulsory", 3),
    optionBox("changeIsTip", "Change is &Tip", 4),
    optionBox("suppressTax", "&Suppress Tax", 5),
    optionBox("eftTotal", "&EFT Total Function", 6),
    optionBox("cardAmountZero", "Card Amount to &Zero", 8),
    optionBox("cardReader", "Card &Reader", 9),
};
constexpr RecordEditorLayout kTender{
    .className = "TEditTender",
    .menuHandler = "mEditTendFileClick",
    .kind = RecordKind::Tender,
    .title = {-1, "Tender File"},
    .descriptorOffset = 13,
    .descriptorField = 17,
    .printOptions = true,
    .printOptionOffset = 2,
    .listEnterSelects = true,
    .words = kTenderWords,
    .fields = kTenderFields,
};

// Drawer, 20 bytes. The decimal point lives in bits 0 and 2.
constexpr std::array<Caption, 4> kDecimals{{{-1, "0"}, {-1, "1"}, {-1, "2"}, {-1, "3"}}};
constexpr std::array<std::uint32_t, 4> kDecimalBits{1, 5, 0, 4};
constexpr std::array kDrawerFields{
    FieldRow{.name = "decimalPoint",
             .caption = {-1, "Decimal Point"},
             .control = FieldControl::ComboBox,
             .encoding = FieldEncoding::Mapped,
             .offset = 0,
             .width = 2,
             .mask = 5,
             .items = kDecimals,
             .values = kDecimalBits,
             .defaultItem = 2},
    optionBox("openDrawerTotal", "&Open Drawer Total", 1),
    optionBox("suppressDrawerTotal", "&Suppress Drawer Total", 3, false, true),
};
constexpr RecordEditorLayout kDrawer{
    .className = "TEditDrawer",
    .menuHandler = "mEditDrawFileClick",
    .kind = RecordKind::Drawer,
    .title = {-1, "Drawer File"},
    .descriptorOffset = 3,
    .descriptorField = 17,
    .words = kOptionWord,
    .fields = kDrawerFields,
};

// Correction, 20 bytes.
constexpr std::array<Caption, 7> kCorrectionTypes{{{-1, "ART.  VOID"},
                                                   {-1, "CORRECTION"},
                                                   {-1, "REFUND"},
                                                   {-1, "CANCEL 1"},
                                                   {-1, "CANCEL 2"},
                                                   {-1, "TRANS-VOID"},
                                                   {-1, "CANCEL PB"}}};
constexpr std::array kCorrectionFields{
    FieldRow{.name = "type",
             .caption = {-1, "Type"},
             .control = FieldControl::ComboBox,
             .encoding = FieldEncoding::Word,
             .offset = 0,
             .width = 2,
             .items = kCorrectionTypes},
};
constexpr RecordEditorLayout kCorrection{
    .className = "TEditCorrection",
    .menuHandler = "mEditCorrFileClick",
    .kind = RecordKind::Correction,
    .title = {-1, "Correction File"},
    .descriptorOffset = 3,
    .descriptorField = 17,
    .printOptions = true,
    .printOptionOffset = 2,
    .printOptionsAlwaysEnabled = true,
    .fields = kCorrectionFields,
    .wrongNumberText = "Wrong Input!",
    .wrongNumberTextNumber = 681,
};

// Discount, 28 bytes. The tax byte is rebuilt from its eight boxes.
constexpr std::array<Caption, 3> kDiscountTypes{{{-1, "FIXED"}, {-1, "OPEN"}, {-1, "OPEN /FIXED"}}};
constexpr std::array kDiscountWords{OptionWord{.offset = 0, .width = 2, .base = 0, .keep = 0},
                                    OptionWord{.offset = 6, .width = 1, .base = 0, .keep = 0}};
constexpr FieldRow taxBox(std::string_view name, std::string_view caption, int n) {
    auto row = optionBox(name, caption, n - 1, false, false, 6, 1);
    row.countKind = RecordKind::Tax;
    row.countAtLeast = n;
    return row;
}
constexpr std::array kDiscountFields{
    FieldRow{.name = "type",
             .caption = {-1, "Type"},
             .control = FieldControl::ComboBox,
             .encoding = FieldEncoding::BitGroup,
             .offset = 0,
             .width = 2,
             .bit = 0,
             .mask = 3,
             .items = kDiscountTypes},
    amount("fixedDiscount", "Fixed Discount", 3, 3, 6),
    amount("maximumDiscount", "Maximum Discount", 7, 4, 8, kWrongInput, FieldCheck::WholeNumber, true),
    taxBox("tax1", "Tax &1", 1),
    taxBox("tax2", "Tax &2", 2),
    taxBox("tax3", "Tax &3", 3),
    taxBox("tax4", "Tax &4", 4),
    taxBox("tax5", "Tax &5", 5),
    taxBox("tax6", "Tax &6", 6),
    taxBox("tax7", "Tax &7", 7),
    taxBox("tax8", "Tax &8", 8),
    optionBox("amountDiscount", "&Amount Discount", 2),
    optionBox("positive", "P&ositive", 3),
    optionBox("itemDiscount", "&Item Discount", 4),
    optionBox("printSubDiscItem", "Print SUB/&DISCITEM", 5),
    optionBox("itemizer1", "Discount Itemi&zer 1", 6),
    optionBox("itemizer2", "Discount Ite&mizer 2", 7),
};
constexpr RecordEditorLayout kDiscount{
    .className = "TEditDiscount",
    .menuHandler = "mEditDiscFileClick",
    .kind = RecordKind::Discount,
    .title = {-1, "Discount File"},
    .descriptorOffset = 11,
    .descriptorField = 17,
    .emptyDescriptorAsBlank = false,
    .printOptions = true,
    .printOptionOffset = 2,
    .words = kDiscountWords,
    .fields = kDiscountFields,
    .numberDigits = 3,
};

// Paid-out / received-on-account, 22 bytes. The word starts from 2: NOT
// single item. The drawer selector has four bits, so only drawers 1..15 fit.
constexpr std::array<Caption, 2> kPoRaTypes{{{-1, "PAID OUT"}, {-1, "RCVD ON ACC"}}};
constexpr std::array kPoRaWords{OptionWord{.offset = 0, .width = 2, .base = 2, .keep = 0}};
constexpr std::array kPoRaFields{
    FieldRow{.name = "type",
             .caption = {-1, "Type"},
             .control = FieldControl::ComboBox,
             .encoding = FieldEncoding::BitGroup,
             .offset = 0,
             .width = 2,
             .bit = 3,
             .mask = 1,
             .items = kPoRaTypes},
    drawerSelector("drawerTotal", "Add in DrawerTotal", 3, 16),
    optionBox("openDrawer", "&Open Drawer", 0),
    optionBox("singleItem", "&Single Item", 1, true),
    optionBox("pbDeposit", "PB &Deposit", 2),
    optionBox("cashBack", "&Cash Back", 15),
};
constexpr RecordEditorLayout kPoRa{
    .className = "TEditPoRa",
    .menuHandler = "mEditPoRaFileClick",
    .kind = RecordKind::PoRa,
    .title = {-1, "PoRa File"},
    .descriptorOffset = 5,
    .descriptorField = 17,
    .printOptions = true,
    .printOptionOffset = 2,
    .words = kPoRaWords,
    .fields = kPoRaFields,
};

// Currency, 31 bytes. The word starts from 1: NO decimal point.
constexpr std::array kCurrencyWords{OptionWord{.offset = 0, .width = 2, .base = 1, .keep = 0}};
constexpr std::array kCurrencyFields{
    amount("buyingRate", "Buying Rate", 6, 4, 8),
    amount("sellingRate", "Selling Rate", 10, 4, 8),
    drawerSelector("drawerTotal", "Add in DrawerTotal", 2),
    FieldRow{.name = "prefix",
             .caption = {-1, "Prefix"},
             .control = FieldControl::TextEdit,
             .encoding = FieldEncoding::Chars,
             .offset = 3,
             .width = 3,
             .maxDigits = 3},
    optionBox("decimalPoint", "&Decimal Point", 0, true, true),
    optionBox("changeInCurrency", "&Change in Currency", 1, false, true),
    optionBox("rate6Decimals", "&Rate with 6 Decimals", 2, false, true),
    optionBox("divideByRate", "Di&vide by Rate", 3, false, true),
};
constexpr RecordEditorLayout kCurrency{
    .className = "TEditCurrency",
    .menuHandler = "mEditCurrFileClick",
    .kind = RecordKind::Currency,
    .title = {-1, "Currency File"},
    .descriptorOffset = 14,
    .descriptorField = 17,
    .words = kCurrencyWords,
    .fields = kCurrencyFields,
    .numberDigits = 3,
};

}  // namespace

const RecordEditorLayout& tenderEditorLayout() { return kTender; }
const RecordEditorLayout& drawerEditorLayout() { return kDrawer; }
const RecordEditorLayout& correctionEditorLayout() { return kCorrection; }
const RecordEditorLayout& discountEditorLayout() { return kDiscount; }
const RecordEditorLayout& poRaEditorLayout() { return kPoRa; }
const RecordEditorLayout& currencyEditorLayout() { return kCurrency; }

}  // namespace tramond
