#include "printing/register_print_options.h"

namespace tramond {

namespace {

constexpr int kInvoiceFlag = 107;

ControlRow box(std::string_view name, std::string_view prefix, std::string_view caption, Binding b) {
    auto c = checkBox(name, prefix, -1, b).gated(Gate::Always);
    c.literal = caption;
    return c;
}

OptionDialogTable makeReportOptions() {
    OptionDialogTable t;
    t.name = "TReportOptions";
    t.captionText = 658;  // "R&eport Options"
    t.caption = "Report Options";
    t.controls.push_back(box("CheckBox1", "1. ", "Total &# on Report   :    ", flagOption(5, 3)).invert());
    t.controls.push_back(box("CheckBox2", "2. ", "DSC i&n Sales Report :    ", flagOption(5, 5)).invert());
    // Outside the flag region: it travels in block 93, which the engine
    // marks from the bytes that changed.
    t.controls.push_back(box("CheckBox3", "3. ", "Sales Data ex. &VAT  :    ", blockBit(appblock::kSalesExVat.offset, appblock::kSalesExVat.bit)));
    t.controls.push_back(box("CheckBox4", "4. ", "&PLU price on Report", flagOption(13, 4)).invert());
    t.controls.push_back(box("CheckBox5", "5. ", "PLU report sorted by department", flagOption(6, 7)));
    t.controls.push_back(box("CheckBox6", "6. ", "Non Resettled Grand Total", flagOption(93, 6)));
    return t;
}

struct PrintBox {
    int text;  // gating language text, -1 for the boxes always enabled
    std::string_view caption;
    int flag;
    int option;
    bool inverted;
};

constexpr PrintBox kPrintBoxes[] = {
    {356, "&Quantity Itemizer   :    ", 6, 1, false},
    {358, "Print &VAT on Receipt:    ", 14, 1, false},
    {362, "Print &Price On KP   :    ", 59, 1, false},
    {364, "Copy Receipt on &R/J :    ", 17, 1, false},
    {366, "Copy Receipt on &Slip:    ", 17, 2, false},
    {547, "Receipt# on R/&J/S   :    ", 2, 4, true},
    {548, "&Loc#/Reg# on R/J/S  :    ", 2, 5, true},
    {549, "&Clerkname on R/J/S  :    ", 2, 6, true},
    {550, "&Date on R/J         :    ", 2, 7, true},
    {551, "T&ime on R/J         :    ", 2, 8, true},
    {614, "&Header Double Height:    ", 3, 3, false},
    {615, "&Trailer Double Hgth.:    ", 3, 4, false},
    {810, "Pri&nt currency 1 on ticket", 26, 6, false},
    {811, "Print c&urrency 2 on ticket", 26, 7, false},
    {-1, "Unli&mited number of copies", 6, 2, false},
    {-1, "Not print zero inv.articles", 6, 8, false},
    {-1, "Subtotal on Receipt", 93, 4, false},
    {-1, "Subtotal on Journal", 93, 5, false},
    {-1, "Print Header on Journal", 100, 1, false},
    {-1, "Print Tax Status after each PLU", 101, 1, false},
    {-1, "Deactivate Re-routing of Remote printer", 100, 2, false},
    {-1, "Receipt Number at End of Header", 106, 5, false},
};

// Captions are "N. " + text; the table keeps the prefixes alive.
constexpr std::string_view kPrefixes[] = {"1. ",  "2. ",  "3. ",  "4. ",  "5. ",  "6. ",  "7. ",  "8. ",
                                          "9. ",  "10. ", "11. ", "12. ", "13. ", "14. ", "15. ", "16. ",
                                          "17. ", "18. ", "19. ", "20. ", "21. ", "22. ", "23. "};
constexpr std::string_view kNames[] = {"CheckBox1",  "CheckBox2",  "CheckBox3",  "CheckBox4",  "CheckBox5",
                                       "CheckBox6",  "CheckBox7",  "CheckBox8",  "CheckBox9",  "CheckBox10",
                                       "CheckBox11", "CheckBox12", "CheckBox13", "CheckBox14", "CheckBox15",
                                       "CheckBox16", "CheckBox17", "CheckBox18", "CheckBox19", "CheckBox20",
                                       "CheckBox21", "CheckBox22"};

OptionDialogTable makePrintOptions() {
    OptionDialogTable t;
    t.name = "TPrintOptions";
    t.captionText = 653;  // "Pri&nt Options"
    t.caption = "Print Options";
    for (std::size_t i = 0; i < std::size(kPrintBoxes); ++i) {
        const auto& b = kPrintBoxes[i];
        ControlRow c = b.text >= 0 ? checkBox(kNames[i], kPrefixes[i], b.text, flagOption(b.flag, b.option))
                                   : box(kNames[i], kPrefixes[i], b.caption, flagOption(b.flag, b.option));
        c.literal = b.caption;
        c.inverted = b.inverted;
        t.controls.push_back(std::move(c));
    }
    // A stored value no item stands for shows no selection and is kept.
    t.controls.push_back(list("ComboBox1", kPrefixes[22], 891, flagValue(kInvoiceFlag))
                             .label("Label1")
                             .gated(Gate::Always)
                             .withItems({{-1, "Not Active"}, {-1, "Journal"}, {-1, "Receipt"}, {-1, "Slip"}})
                             .withValues({0, 1, 2, 8}));
    return t;
}

}  // namespace

const OptionDialogTable& reportOptionsDialog() {
    static const OptionDialogTable t = makeReportOptions();
    return t;
}

const OptionDialogTable& printOptionsDialog() {
    static const OptionDialogTable t = makePrintOptions();
    return t;
}

}  // namespace tramond
