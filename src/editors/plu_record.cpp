#include "editors/plu_record.h"

#include <algorithm>
#include <array>

namespace tramond {

PluHeader PluHeader::from(const ApplicationBlock& app) {
    PluHeader h;
    h.count = app.u16(2227);
    h.optionFlags = app.u8(2231);
    h.codeBytes = std::min<int>(app.u8(2234), 7);
    // 0 leaves the name unlimited but for its field: storing must not cut
    // the names of such a program to nothing.
    h.descriptorLength = app.u8(2235) == 0 ? 24 : std::min<int>(app.u8(2235), 24);
    h.priceLevels = std::min<int>(app.u8(2236), 4);
    h.priceSize = std::min<int>(app.u8(2237), 8);
    h.costPrice = app.u8(2238) != 0;
    return h;
}

namespace {

constexpr std::array kEdits{
    PluEditRow{PluEdit::Price1, "Edit5", {-1, "Price 1"}, PluEditKind::Packed, 37, 8, true},
    PluEditRow{PluEdit::Price2, "Edit6", {-1, "Price 2"}, PluEditKind::Packed, 46, 8, true},
    PluEditRow{PluEdit::Price3, "Edit7", {-1, "Price 3"}, PluEditKind::Packed, 55, 8, true},
    PluEditRow{PluEdit::Price4, "Edit8", {-1, "Price 4"}, PluEditKind::Packed, 64, 8, true},
    PluEditRow{PluEdit::CostPrice, "Edit9", {-1, "Cost Price"}, PluEditKind::Packed, 73, 8, true},
    PluEditRow{PluEdit::LinkedPlu, "Edit10", {-1, "Linked PL&U  :    "}, PluEditKind::Linked, 82, 7},
    PluEditRow{PluEdit::LinkedQuantity, "Edit11", {-1, "Quantity of Linked Plu"}, PluEditKind::Packed, 90, 8},
    PluEditRow{PluEdit::CondimentLink, "Edit4", {-1, "Condiment Table Link"}, PluEditKind::Byte, 81, 1},
    PluEditRow{PluEdit::Tare, "Edit12", {-1, "Tare"}, PluEditKind::Packed, 99, 8},
};

constexpr std::array kChecks{
    PluCheckRow{"negative", {-1, "&Negative PLU"}, 0, 2, 0, false},
    PluCheckRow{"condiment", {-1, "PLU is &Condiment"}, 0, 2, 1, false},
    PluCheckRow{"singleTickets", {-1, "Single &Tickets"}, 0, 2, 2, false},
    PluCheckRow{"doubleTickets", {-1, "&Double Tickets"}, 0, 2, 3, false},
    PluCheckRow{"menu", {-1, "&Menu PLU"}, 0, 2, 4, false},
    PluCheckRow{"singleItem", {-1, "Single &Item"}, 0, 2, 5, false},
    PluCheckRow{"scale", {-1, "&Scale Compulsion"}, 0, 2, 8, false},
    PluCheckRow{"liters", {-1, "Quantity in &Liters"}, 0, 2, 9, false},
    PluCheckRow{"zeroPrice", {-1, "&Zero Price Allowed"}, 0, 2, 11, true},
    PluCheckRow{"levelZeroText", {-1, "Always Level Zero &Text"}, 0, 2, 12, false},
    PluCheckRow{"itemizer1", {-1, "Add to Itemizer &1"}, 0, 2, 13, false},
    PluCheckRow{"itemizer2", {-1, "Add to Itemizer &2"}, 0, 2, 14, false},
    PluCheckRow{"open", {-1, "&Open PLU"}, 0, 2, 15, false},
    PluCheckRow{"journal", {-1, "Print on &Journal :"}, 107, 1, 0, false},
    PluCheckRow{"receipt", {-1, "Print on &Receipt :"}, 107, 1, 1, false},
    PluCheckRow{"doubleHeight", {-1, "&Double Height R/J:    "}, 107, 1, 2, false},
    PluCheckRow{"slip", {-1, "Print on &Slip    :"}, 107, 1, 3, false},
    PluCheckRow{"compulsorySlip", {-1, "&Compulsory Slip  :    "}, 107, 1, 4, false},
    PluCheckRow{"noOperatorDisplay", {-1, "No Operator Display"}, 107, 1, 5, false},
    PluCheckRow{"noCustomerDisplay", {-1, "No Customer Display"}, 107, 1, 6, false},
};

}  // namespace

constexpr FieldRow kDepartmentField{.name = "department",
                                    .caption = {-1, "Add in Department"},
                                    .control = FieldControl::ComboBox,
                                    .encoding = FieldEncoding::Word,
                                    .offset = plu::kDepartment,
                                    .width = 2,
                                    .lookup = Lookup{RecordKind::Department}};

std::span<const PluEditRow> pluEdits() { return kEdits; }
const FieldRow& pluDepartmentField() { return kDepartmentField; }
std::span<const PluCheckRow> pluChecks() { return kChecks; }
std::size_t pluCondimentCheck() { return 1; }

}  // namespace tramond
