#include "options/flag_options.h"

#include <string>

#include "options/machine_settings.h"
#include "program/carried_files.h"
#include "program/file_io.h"
#include "program/setup_counts.h"

namespace tramond {

namespace {

constexpr int kNotUsedText = 321;

// --- Clerk options ---------------------------------------------------------

OptionDialogTable buildClerk() {
    auto d = dialogTable("TClerkOptions", 655, "Clerk Options");
    auto& c = d.controls;
    c.push_back(checkBox("CheckBox1", "1. ", 374, flagOption(10, 1)));
    c.push_back(checkBox("CheckBox2", "2. ", 453, flagOption(10, 5)));
    c.push_back(checkBox("CheckBox3", "3. ", 377, flagOption(10, 3)).invert());
    c.push_back(checkBox("CheckBox4", "4. ", 381, flagOption(10, 4)));
    auto secret = checkBox("CheckBox5", "5. ", 543, flagOption(10, 6));
    secret.suffix = "/";
    secret.suffixText = 691;
    c.push_back(std::move(secret));
    c.push_back(checkBox("CheckBox6", "6. ", 544, flagOption(10, 7)));
    // The form names these after flag 109; the bits are in flag 123.
    c.push_back(always(checkBox("CBFlag109opt1", "7. ", 1042, flagOption(123, 1))));
    c.push_back(always(checkBox("CBFlag109opt2", "8. ", 1043, flagOption(123, 2))));
    c.push_back(always(checkBox("CBFlag109opt3", "9. ", 1044, flagOption(123, 3))));
    return d;
}

// --- PB options ------------------------------------------------------------

constexpr int kReopenLastTableFlag = 88;
constexpr int kReopenLastTableOption = 2;
constexpr int kPrintableTablesFlag = 63;

bool reopenLastTable(const OptionDialog& d) { return d.control("CBFlag88opt2").value != 0; }

int pbCount(const OptionDialog& d) {
    return static_cast<int>(d.block().get(appblock::kPbCount));
}

std::optional<Message> checkPrintableTables(OptionDialog& d) {
    auto& s = d.control("EdtFlag63");
    if (printableTablesAllowed(numberValue(s.text), pbCount(d))) return std::nullopt;
    s.text = "0";
    auto m = d.wrongInput();
    m.focus = "EdtFlag63";
    return m;
}

ControlRow printableTables() {
    auto c = numberBox("EdtFlag63", "26. ", 936, flagValue(kPrintableTablesFlag))
                 .label("Label2")
                 .gated(Gate::Custom);
    c.fill = [](OptionDialog& d, ControlState& s) {
        s.enabled = reopenLastTable(d);
        if (!s.enabled) s.text = "0";
    };
    c.validate = [](OptionDialog& d, std::size_t) { return checkPrintableTables(d); };
    return c;
}

ControlRow reopenLastTableBox() {
    auto c = always(checkBox("CBFlag88opt2", "22. ", 935, flagOption(kReopenLastTableFlag, kReopenLastTableOption)));
    c.changed = [](OptionDialog& d) {
        auto& s = d.control("EdtFlag63");
        s.enabled = reopenLastTable(d);
        if (!s.enabled) s.text = "0";
    };
    return c;
}

OptionDialogTable buildPb() {
    auto d = dialogTable("TPBOptions", 656, "PB Options");
    auto& c = d.controls;
    c.push_back(checkBox("CheckBox1", "1. ", 507, flagOption(19, 5)).invert());
    c.push_back(checkBox("CheckBox2", "2. ", 538, flagOption(20, 4)).invert());
    c.push_back(checkBox("CheckBox3", "3. ", 363, flagOption(19, 1)));
    c.push_back(checkBox("CheckBox4", "4. ", 365, flagOption(19, 4)).invert());
    c.push_back(checkBox("CheckBox5", "5. ", 367, flagOption(19, 2)));
    c.push_back(checkBox("CheckBox6", "6. ", 369, flagOption(20, 2)));
    c.push_back(checkBox("CheckBox7", "7. ", 371, flagOption(19, 3)));
    c.push_back(checkBox("CheckBox8", "8. ", 373, flagOption(20, 1)));
    c.push_back(checkBox("CheckBox9", "9. ", 375, flagOption(20, 3)));
    c.push_back(checkBox("CheckBox10", "10. ", 379, flagOption(10, 2)));
    c.push_back(checkBox("CheckBox11", "11. ", 637, flagOption(20, 8)));
    c.push_back(checkBox("CBFlag20opt6", "12. ", 638, flagOption(20, 6)));
    c.push_back(checkBox("CheckBox13", "13. ", 639, flagOption(20, 7)));
    c.push_back(checkBox("CheckBox14", "14. ", 640, flagOption(20, 5)));
    c.push_back(checkBox("CheckBox15", "15. ", 688, flagOption(79, 1)));
    c.push_back(checkBox("CheckBox16", "16. ", 697, flagOption(83, 1)));
    c.push_back(checkBox("CheckBox17", "17. ", 698, flagOption(83, 2)));
    c.push_back(checkBox("CheckBox18", "18. ", 699, flagOption(83, 3)));
    c.push_back(always(checkBox("CBFlag88opt1", "19. ", 859, flagOption(88, 1))));
    c.push_back(always(checkBox("CBFlag101opt3", "20. ", 903, flagOption(101, 3))));
    c.push_back(always(checkBox("CBFlag106opt6", "21. ", 916, flagOption(106, 6))));
    c.push_back(reopenLastTableBox());
    c.push_back(always(checkBox("CBFlag88opt3", "23. ", 952, flagOption(88, 3))));
    c.push_back(always(checkBox("CBFlag88opt4", "24. ", 954, flagOption(88, 4))));
    c.push_back(always(checkBox("CBFlag88opt5", "25. ", 955, flagOption(88, 5))));
    c.push_back(printableTables());
    // Gated on its own caption text: the text the form tests does not exist
    // in the language table.
    c.push_back(list("ComboBox1", "27. ", 606, flagField(19, 0x60))
                    .label("Label1")
                    .plain()
                    .atOnce()
                    .withItems({{-1, " No"}, {607, "Minutes"}, {608, "Hours "}, {609, "Days  "}}));
    d.validateOk = [](OptionDialog& dlg) -> std::optional<Message> {
        if (!reopenLastTable(dlg)) return std::nullopt;
        return checkPrintableTables(dlg);
    };
    // Boxes 7, 11 and 16 decide whether the PB info records go to the
    // register; Setup made their file only when they were wanted then. Now
    // that they go, the file is made (marked like any write), or Update and
    // Clear & Install would fail on it.
    d.afterOk = [](OptionDialog& dlg, bool) {
        if (dlg.mode() != OptionDialog::Mode::Standalone || !pbInfoFileOnSend(dlg.block()) ||
            pbInfoCount(dlg.block()) == 0)
            return;
        try {
            setup::extendRecordFile(dlg.session(), RecordKind::PbInfo);
        } catch (const std::exception&) {
            dlg.post(dlg.fileError());
        }
    };
    return d;
}

// --- PLU options -----------------------------------------------------------

bool costPriceInRecord(const ApplicationBlock& app) { return app.get(appblock::kPluCostPrice) != 0; }

ControlRow costIsMixMatch() {
    auto c = checkBox("CheckBox1", "1. ", 495, flagOption(24, 3));
    c.fill = [](OptionDialog& d, ControlState& s) {
        if (!costPriceInRecord(d.block())) s.hint = "To use this option activate Plu Cost Price in Setup|PLU";
    };
    c.click = [](OptionDialog& d) {
        if (costPriceInRecord(d.block())) return true;
        d.post({Message::Kind::Information, "", "To use this option you need to enable Cost Price in PLU Setup!", {}});
        return false;
    };
    const Binding bit = flagOption(24, 3);
    c.write = [bit](OptionDialog& d, int checked) {
        if (costPriceInRecord(d.block())) bit.write(d.block(), checked);
    };
    return c;
}

ControlRow condimentAmount() {
    // Shown from the block, but always stored cleared.
    auto c = always(checkBox("CBFlag102opt1", "5. ", 873, flagOption(101, 2)));
    const Binding bit = flagOption(101, 2);
    c.write = [bit](OptionDialog& d, int) { bit.write(d.block(), 0); };
    return c;
}

ControlRow pluPrint() {
    auto c = list("ComboBox1", "9. ", 357, flagField(25, 0x0F))
                 .label("Label1")
                 .plain()
                 .withItems({{419, "PLU NAME"},
                             {420, "PLU NUMBER"},
                             {422, "PLU# + NAME"},
                             {423, "DEPART NAME"},
                             {424, "PLU#+DEPART"}});
    const Binding field = c.binding;
    c.read = [field](const OptionDialog& d) { return pluPrintIndex(field.read(d.block())); };
    c.write = [field](OptionDialog& d, int index) {
        if (index >= 0) field.write(d.block(), pluPrintValue(index));
    };
    return c;
}

std::vector<ListItem> levelItems() {
    return {{416, "STAY ACTIVE"}, {417, "ACTIVE ART."}, {418, "ACTIVE SALE"}};
}

ControlRow shiftArticleLevel(int n) {
    static constexpr const char* kNames[] = {"Edit1", "Edit2", "Edit3", "Edit4"};
    static constexpr const char* kLabels[] = {"Label4", "Label5", "Label6", "Label7"};
    static constexpr const char* kPrefixes[] = {"12. ", "13. ", "14. ", "15. "};
    auto c = always(numberBox(kNames[n], kPrefixes[n], 938, blockByte(2647 + static_cast<std::size_t>(n))))
                 .label(kLabels[n])
                 .maxChars(3);
    c.suffix = "   ";
    c.suffixText = 939;
    return c;
}

OptionDialogTable buildPlu() {
    auto d = dialogTable("TPluOptions", 676, "PLU Options");
    auto& c = d.controls;
    c.push_back(costIsMixMatch());
    c.push_back(checkBox("CheckBox2", "2. ", 529, flagOption(24, 5)));
    c.push_back(checkBox("CheckBox3", "3. ", 514, flagOption(59, 6)));
    c.push_back(checkBox("CheckBox4", "4. ", 625, blockBit(2569, 2)));
    c.push_back(condimentAmount());
    c.push_back(always(checkBox("CBFlag106opt4", "6. ", 893, flagOption(106, 4))));
    c.push_back(always(checkBox("CBFlag13opt5", "7. ", 918, flagOption(13, 5))));
    c.push_back(always(checkBox("CBFlag24opt8", "8. ", 919, flagOption(24, 8))));
    c.push_back(pluPrint());
    c.push_back(list("ComboBox2", "10. ", 359, flagField(13, 0x03)).label("Label2").plain().withItems(levelItems()));
    c.push_back(list("ComboBox3", "11. ", 361, flagField(24, 0x03)).label("Label3").plain().withItems(levelItems()));
    for (int n = 0; n < 4; ++n) c.push_back(shiftArticleLevel(n));
    return d;
}

// --- Barcode options -------------------------------------------------------

OptionDialogTable buildBarcode() {
    auto d = dialogTable("TBarcodeOptions", 657, "Barcode Options");
    auto& c = d.controls;
    c.push_back(checkBox("CheckBox1", "1. ", 506, flagOption(24, 4)));
    c.push_back(checkBox("CheckBox2", "2. ", 541, flagOption(31, 4)).invert());
    c.push_back(checkBox("CheckBox3", "3. ", 553, flagOption(31, 5)));
    c.push_back(checkBox("CheckBox4", "4. ", 610, flagOption(31, 6)).invert());
    c.push_back(checkBox("CheckBox5", "5. ", 611, flagOption(31, 7)));
    c.push_back(checkBox("CheckBox9", "6. ", 612, flagOption(31, 8)));
    c.push_back(checkBox("CheckBox10", "7. ", 806, flagOption(6, 5)));
    c.push_back(always(checkBox("CBFlag106opt3", "8. ", 889, flagOption(106, 3))));
    c.push_back(list("ComboBox1", "9. ", 378, flagField(31, 0x07)).label("Label1").plain().withItems(portItems()));
    return d;
}

// --- Card options ----------------------------------------------------------

OptionDialogTable buildCard() {
    auto d = dialogTable("TCardOptions", 923, "Card Options");
    auto& c = d.controls;
    // The name carries flag 93; the bit is in flag 92.
    c.push_back(always(checkBox("CBFlag93opt7", "5. ", 934, flagOption(92, 7))));
    c.push_back(always(numberBox("Edit1", "1. ", 595, flagValue(61))).label("Label1").plain().maxChars(3));
    c.push_back(always(list("ComboBox1", "2. ", 922, flagPortDigit(111))).label("Label2").withItems(portItems()));
    c.push_back(always(list("ComboBox3", "3. ", 920, flagValue(110)))
                    .label("Label3")
                    .withItems({{kNotUsedText, "Not Used"}, {-1, "Cardinal"}, {-1, "Evis"}}));
    c.push_back(always(list("ComboBox2", "4. ", 921, flagPortDigit(91))).label("Label4").withItems(portItems()));
    return d;
}

// --- Handheld options ------------------------------------------------------

constexpr int kHandheldPortFlag = 90;
constexpr int kDectModulePort = 7;

ControlRow machineChooser() {
    auto c = list("ComboBox2", "", 821, Binding{}).label("Label2").gated(Gate::Custom).notOnOk();
    c.fill = [](OptionDialog& d, ControlState& s) {
        s.items.clear();
        s.value = -1;
        s.enabled = machineChoiceOffered(d.block());
        if (!s.enabled) return;
        const int size = d.block().flag(appblock::kFlagNetworkSize);
        for (int n = 1; n <= size; ++n) s.items.push_back(std::to_string(n));
        const int shown = shownMachine(d.session());
        s.value = shown <= size ? shown - 1 : -1;
    };
    c.changed = [](OptionDialog& d) {
        switchOfferedMachine(d, d.control("ComboBox2").value + 1);
        d.refill();
        if (d.sessionChanged) d.sessionChanged();
    };
    return c;
}

OptionDialogTable buildHandheld() {
    auto d = dialogTable("THandheldOptions", 823, "Handheld Options");
    auto& c = d.controls;
    c.push_back(always(list("ComboBox1", "", 822, flagValue(kHandheldPortFlag)))
                    .label("Label1")
                    .atOnce()
                    .withItems(portItems(6)));
    c.push_back(machineChooser());
    d.opened = [](OptionDialog& dlg) {
        loadOfferedMachine(dlg);
        dlg.refill();
    };
    // Marked like every option dialog: a handheld port the register never
    // gets would be a change reported as done.
    d.beforeSave = &saveOfferedMachine;
    return d;
}

// --- Logo options ----------------------------------------------------------

OptionDialogTable buildLogo() {
    struct LogoList {
        const char* name;
        const char* label;
        int text;
        int flag;
        std::uint8_t mask;
    };
    static constexpr LogoList kLists[] = {
        {"CmbBRcpHdr", "Label1", 382, 114, 0x0F}, {"CmbBRcpTrl", "Label2", 383, 114, 0xF0},
        {"CmbBKp1", "Label3", 306, 115, 0x0F},    {"CmbBKp2", "Label4", 307, 115, 0xF0},
        {"CmbBKp3", "Label5", 308, 116, 0x0F},    {"CmbBKp4", "Label6", 309, 116, 0xF0},
        {"CmbBKp5", "Label7", 310, 117, 0x0F},    {"CmbBKp6", "Label8", 311, 117, 0xF0},
        {"CmbBKp7", "Label9", 312, 118, 0x0F},    {"CmbBKp8", "Label10", 313, 118, 0xF0},
    };
    auto d = dialogTable("TLogoOptions", 987, "Logo Options");
    for (const auto& l : kLists)
        d.controls.push_back(always(list(l.name, "", l.text, flagField(l.flag, l.mask)))
                                 .label(l.label)
                                 .plain()
                                 .withItems(portItems(15)));
    return d;
}

}  // namespace

int pluPrintIndex(int stored) { return stored <= 1 ? stored : stored - 1; }
int pluPrintValue(int index) { return index > 1 ? index + 1 : index; }

bool printableTablesAllowed(int tables, int pbCount) {
    return pbCount == 0 || 2L * tables < pbCount;
}

bool dectModuleConnected(const ApplicationBlock& app) {
    return app.flag(kHandheldPortFlag) == kDectModulePort;
}

// Each table is built once, on first use.
template <OptionDialogTable (*Build)()>
const OptionDialogTable& built() {
    static const OptionDialogTable table = Build();
    return table;
}

const OptionDialogTable& clerkOptionsDialog() { return built<buildClerk>(); }
const OptionDialogTable& pbOptionsDialog() { return built<buildPb>(); }
const OptionDialogTable& pluOptionsDialog() { return built<buildPlu>(); }
const OptionDialogTable& barcodeOptionsDialog() { return built<buildBarcode>(); }
const OptionDialogTable& cardOptionsDialog() { return built<buildCard>(); }
const OptionDialogTable& handheldOptionsDialog() { return built<buildHandheld>(); }
const OptionDialogTable& logoOptionsDialog() { return built<buildLogo>(); }

}  // namespace tramond
