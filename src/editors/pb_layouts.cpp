// Record layouts of the PB functions and the PB info file.
#include <array>

#include "editors/record_description.h"

namespace tramond {

namespace {

// PB function, 20 bytes: the type in bits 0-3 decides what bits 4-9 mean.
constexpr std::array<Caption, 11> kPbTypes{{{-1, "OPN/ADD/SER"},
                                            {-1, "OPEN/ADD"},
                                            {-1, "SERVICE"},
                                            {-1, "CHECKOUT PB"},
                                            {-1, "PRINT +OPEN"},
                                            {-1, "PRINT ONLY"},
                                            {-1, "CANC. CKOUT"},
                                            {-1, "SPLIT BILL"},
                                            {-1, "TRANSFER PB"},
                                            {-1, "TRANS.CLERK"},
                                            {-1, "COVERS"}}};

constexpr Caption kOption1{-1, "Option &1"};
constexpr Caption kOption2{-1, "Option &2"};
constexpr Caption kOption3{-1, "Option &3"};
constexpr Caption kOption4{-1, "Option &4"};
constexpr Caption kHidden{kHiddenCaption, ""};
constexpr Caption kTimeDate{-1, "&Time and Date on Slip"};
constexpr Caption kDisableCompulsion{-1, "&Disable Compulsion"};
constexpr Caption kCompulsoryBill{-1, "Compulsory B&ill"};
constexpr Caption kVariableNumber{-1, "&Variable PB Number Entry"};
constexpr Caption kReopenLast{-1, "&Reopen Last Table"};
constexpr Caption kTrailerInvoice{-1, "Trailer/&Invoice Number"};
constexpr Caption kGroupAmount{-1, "&Group Amount Only"};
constexpr Caption kSortedByGroup{-1, "&Sorted by Group"};
constexpr Caption kSuppressTime{-1, "S&uppress Time Bill"};
constexpr Caption kPrintLast{-1, "Print &Last Tables"};
constexpr Caption kSuppressHeader{-1, "Supress &Header && Trailer"};
constexpr Caption kSplitTransfer{-1, "Split and Trans&fer"};
constexpr Caption kOtherClosed{-1, "Other PB &Closed"};
constexpr Caption kOtherSameClerk{-1, "Other PB Same Cl&erk"};

using Six = std::array<Caption, 6>;
constexpr Six kGeneric{kOption1, kOption2, kOption3, kOption4, kHidden, kHidden};
constexpr std::array<Six, 11> kPbCaptions{{
    {kTimeDate, kDisableCompulsion, kCompulsoryBill, kVariableNumber, kHidden, kHidden},
    {kReopenLast, kDisableCompulsion, kCompulsoryBill, kOption4, kHidden, kHidden},
    {kTimeDate, kOption2, kOption3, kOption4, kHidden, kHidden},
    kGeneric,
    {kTrailerInvoice, kGroupAmount, kSortedByGroup, kSuppressTime, kHidden, kHidden},
    {kTimeDate, kGroupAmount, kSortedByGroup, kSuppressTime, kPrintLast, kSuppressHeader},
    kGeneric,
    {kTrailerInvoice, kSplitTransfer, kOption3, kSuppressTime, kHidden, kHidden},
    {kOtherClosed, kOtherSameClerk, kOption3, kOption4, kHidden, kHidden},
    kGeneric,
    kGeneric,
}};
constexpr std::array<std::span<const Caption>, 11> kPbCaptionSpans{
    kPbCaptions[0], kPbCaptions[1], kPbCaptions[2], kPbCaptions[3], kPbCaptions[4],  kPbCaptions[5],
    kPbCaptions[6], kPbCaptions[7], kPbCaptions[8], kPbCaptions[9], kPbCaptions[10],
};
constexpr std::array<std::string_view, 6> kPbOptionNames{"option1", "option2", "option3",
                                                         "option4", "option5", "option6"};

constexpr std::array kPbWords{OptionWord{.offset = 0, .width = 2, .base = 0, .keep = 0}};
constexpr FieldRow pbOption(int n, Caption caption) {
    auto row = optionBox(kPbOptionNames[static_cast<std::size_t>(n - 1)], caption.english, n + 3);
    row.caption = caption;
    return row;
}
constexpr std::array kPbFields{
    FieldRow{.name = "type",
             .caption = {-1, "Type"},
             .control = FieldControl::ComboBox,
             .encoding = FieldEncoding::BitGroup,
             .offset = 0,
             .width = 2,
             .bit = 0,
             .mask = 0x0F,
             .items = kPbTypes},
    pbOption(1, kOption1),
    pbOption(2, kOption2),
    pbOption(3, kOption3),
    pbOption(4, kOption4),
    pbOption(5, kHidden),
    pbOption(6, kHidden),
};
constexpr std::array kPbButtons{
    EditorButton{.objectName = "Button2", .caption = {656, "P&B Options"}, .handler = "mPBOptionsClick"}};
constexpr RecordEditorLayout kPbFunction{
    .className = "TEditPB",
    .menuHandler = "mEditPBFuncFileClick",
    .kind = RecordKind::PbFunction,
    .title = {-1, "PB Function File"},
    .descriptorOffset = 3,
    .descriptorField = 17,
    .printOptions = true,
    .printOptionOffset = 2,
    .buttons = kPbButtons,
    .recaption = Recaption{.field = "type", .targets = kPbOptionNames, .byValue = kPbCaptionSpans},
    .words = kPbWords,
    .fields = kPbFields,
    .wrongNumberText = "Wrong Input!",
    .wrongNumberTextNumber = 681,
};

// PB info, 32 bytes: a PB number of 2 x (PB random-code size) digits and a
// text. The PB count reaches 5000, so the number edit takes four digits.
constexpr std::array kPbInfoFields{
    FieldRow{.name = "pbNumber",
             .caption = {-1, "Random#"},
             .control = FieldControl::TextEdit,
             .encoding = FieldEncoding::Packed,
             .offset = 0,
             .width = 7,
             .digitsFromAppByte = 2175,
             .check = FieldCheck::DigitsOnKey,
             .checkMessage = {681, "Wrong Input!"}},
};
constexpr RecordEditorLayout kPbInfo{
    .className = "TEditPBInfo",
    .menuHandler = "mEditPBInfoFileClick",
    .kind = RecordKind::PbInfo,
    .title = {-1, "PB Info File"},
    .descriptorOffset = 7,
    .descriptorField = 25,
    .honoursStartRecord = false,
    .fields = kPbInfoFields,
    .numberDigits = 4,
};

}  // namespace

const RecordEditorLayout& pbFunctionEditorLayout() { return kPbFunction; }
const RecordEditorLayout& pbInfoEditorLayout() { return kPbInfo; }

}  // namespace tramond
