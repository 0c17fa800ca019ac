#include "options/printers.h"

#include <algorithm>

#include "options/machine_settings.h"
#include "program/file_io.h"
#include "program/machine_printer.h"
#include "program/register_config.h"
#include "program/sizing.h"

namespace tramond {

namespace {

constexpr int kNotUsedText = 321;
constexpr int kActiveText = 773;
constexpr int kDectChannelText = 976;
constexpr int kNotAvailableText = 977;
constexpr int kHandheldPortFlag = 90;
constexpr int kDectModulePort = 7;
constexpr std::size_t kHandheldPortInPrinterFile = 55;  // flag 90
constexpr int kSlipTypeFlag = 32;
constexpr int kSlipPortFlag = 33;
constexpr int kReceiptTypeFlag = 65;
constexpr int kReceiptPortFlag = 66;
constexpr int kJournalTypeFlag = 68;
constexpr int kJournalPortFlag = 69;
constexpr int kKpPrinters = 8;

int kpFlag(int k, int byte) { return 35 + 3 * (k - 1) + byte; }

bool sameMachine(int a, int b) { return std::max(a, 1) == std::max(b, 1); }

// Another machine's handheld port: what this dialog holds for it, its file,
// or (no file, or one too short) the block's own value; nothing is created.
int handheldPortOf(const OptionDialog& d, int machine) {
    const auto& s = d.session();
    if (s.app.flag(appblock::kFlagNetworkSize) < 2 || sameMachine(machine, s.machineNumber))
        return s.app.flag(kHandheldPortFlag);
    try {
        return d.machines().valuesOf(machine)[kHandheldPortInPrinterFile];
    } catch (const FileError&) {
        return s.app.flag(kHandheldPortFlag);
    }
}

// --- the machine and port lists of one printer -------------------------------

// The machine chosen in the dialog, or the stored one before any choice.
int selectedMachine(const OptionDialog& d, int portFlag) {
    const int chosen = d.control("ComboBox2").value;
    return chosen >= 0 ? chosen : d.block().flag(portFlag) / 10;
}

void fillPorts(OptionDialog& d, ControlState& s, int portFlag) {
    const auto ports = printerPortList(d, selectedMachine(d, portFlag));
    s.items = ports.items;
    s.value = printerPortIndex(d.block().flag(portFlag) % 10, ports.dect);
}

void addMachineAndPort(std::vector<ControlRow>& c, int portFlag) {
    auto machine = always(list("ComboBox2", "", 718, flagTensDigit(portFlag))).label("Label3").plain();
    machine.fill = [portFlag](OptionDialog& d, ControlState& s) {
        const int size = d.block().flag(appblock::kFlagNetworkSize);
        s.items.clear();
        for (int n = 0; n <= size; ++n) s.items.push_back(std::to_string(n));
        const int stored = d.block().flag(portFlag) / 10;
        s.value = stored <= size ? stored : -1;
    };
    // Another machine may offer other ports; the list follows the choice.
    machine.changed = [](OptionDialog& d) {
        const int m = d.control("ComboBox2").value;
        auto& port = d.control("ComboBox3");
        port.items = printerPortList(d, m).items;
        if (port.value >= static_cast<int>(port.items.size())) port.value = -1;
    };
    c.push_back(std::move(machine));

    auto port = always(list("ComboBox3", "", 315, flagPortDigit(portFlag))).label("Label2").plain();
    port.fill = [portFlag](OptionDialog& d, ControlState& s) { fillPorts(d, s, portFlag); };
    port.write = [portFlag](OptionDialog& d, int index) {
        if (index < 0) return;
        const bool dect = printerPortList(d, selectedMachine(d, portFlag)).dect;
        flagPortDigit(portFlag).write(d.block(), printerPortFromIndex(index, dect));
    };
    c.push_back(std::move(port));
}

// --- slip and kitchen printers ---------------------------------------------

OptionDialogTable buildKp(int printer) {
    static constexpr const char* kCaptions[] = {"Slip", "KP 1", "KP 2", "KP 3", "KP 4", "KP 5", "KP 6", "KP 7", "KP 8"};
    auto d = dialogTable("TSetKPPrinters", 305 + printer, kCaptions[printer]);
    auto& c = d.controls;
    if (printer == 0) {
        c.push_back(always(list("ComboBox1", "", 314, flagValue(kSlipTypeFlag)))
                        .label("Label1")
                        .plain()
                        .withItems(slipTypeItems()));
        addMachineAndPort(c, kSlipPortFlag);
        c.push_back(always(numberBox("Edit1", "", 317, flagValue(7))).label("Label5").plain().maxChars(2).upTo(99));
        c.push_back(always(numberBox("Edit2", "", 318, flagValue(8))).label("Label6").plain().maxChars(2).upTo(99));
        c.push_back(always(numberBox("Edit3", "", 450, flagValue(30))).label("Label7").plain().maxChars(2).upTo(99));
        c.push_back(always(checkBox("CheckBox1", "", 319, flagOption(9, 1))));
        auto date = always(checkBox("CheckBox2", "", -1, flagOption(9, 2))).invert();
        date.literal = "Print &Date :    ";
        c.push_back(std::move(date));
        auto time = always(checkBox("CheckBox3", "", -1, flagOption(9, 3))).invert();
        time.literal = "Print &Time :    ";
        c.push_back(std::move(time));
        c.push_back(always(checkBox("CheckBox4", "", 725, flagOption(9, 4))));
        return d;
    }
    const int type = kpFlag(printer, 0);
    const int options = kpFlag(printer, 2);
    c.push_back(always(list("ComboBox1", "", 314, flagField(type, 0x0F)))
                    .label("Label1")
                    .plain()
                    .withItems(kpTypeItems()));
    addMachineAndPort(c, kpFlag(printer, 1));
    c.push_back(always(list("ComboBox4", "", 316, flagField(options, 0x07)))
                    .label("Label4")
                    .plain()
                    .withItems(numberItems(1, kKpPrinters)));
    c.push_back(always(checkBox("CheckBox1", "", 451, flagOption(type, 8))));
    c.push_back(always(checkBox("CheckBox2", "", 452, flagOption(type, 7))).invert());
    c.push_back(always(checkBox("CheckBox3", "", 508, flagOption(type, 6))));
    c.push_back(always(checkBox("CheckBox4", "", 530, flagOption(type, 5))));
    c.push_back(always(checkBox("CheckBox5", "", 737, flagOption(options, 8))).invert());
    c.push_back(always(checkBox("CheckBox6", "", 970, flagOption(options, 4))));
    // The third byte holds only the alternative KP and these two options.
    d.beforeSave = [options](OptionDialog& dlg) {
        dlg.block().setFlag(options, dlg.block().flag(options) & 0x8F);
    };
    return d;
}

// --- receipt and journal printers ------------------------------------------

OptionDialogTable buildRj(bool journal) {
    auto d = dialogTable("TSetRJPrinters", journal ? 304 : 303, journal ? "Journal" : "Receipt");
    const int portFlag = journal ? kJournalPortFlag : kReceiptPortFlag;
    auto type = always(list("ComboBox1", "", 314, flagValue(journal ? kJournalTypeFlag : kReceiptTypeFlag)))
                    .label("Label1")
                    .plain()
                    .withItems(journal ? journalTypeItems() : receiptTypeItems());
    if (journal) type.values = journalTypeValues();
    d.controls.push_back(std::move(type));
    addMachineAndPort(d.controls, portFlag);
    d.opened = [portFlag](OptionDialog& dlg) {
        if (dlg.block().flag(portFlag) != 0) return;
        dlg.block().setFlag(portFlag, 1);
        dlg.refill();
    };
    if (journal)
        d.afterOk = [](OptionDialog& dlg, bool) { recomputeSizes(dlg.block()); };
    return d;
}

// --- layout and preparation time ---------------------------------------------

OptionDialogTable buildLayout() {
    auto d = dialogTable("TRJTicketLayout", 728, "Receipt/Journal Ticket Lay-Out");
    auto& c = d.controls;
    struct Font {
        const char* name;
        const char* label;
        int text;
        int flag;
    };
    static constexpr Font kFonts[] = {{"ComboBox1", "Label1", 729, 71}, {"ComboBox2", "Label2", 730, 72},
                                      {"ComboBox3", "Label3", 731, 73}, {"ComboBox4", "Label4", 732, 74},
                                      {"ComboBox5", "Label5", 733, 75}, {"ComboBox6", "Label6", 734, 77}};
    for (const auto& f : kFonts)
        c.push_back(always(list(f.name, "", f.text, flagValue(f.flag))).label(f.label).plain().withItems(numberItems(1, 4)));
    c.push_back(always(list("ComboBox7", "", 735, flagValue(86)))
                    .label("Label7")
                    .plain()
                    .withItems({{-1, "No"}, {-1, " 1"}, {-1, " 2"}, {-1, " 3"}, {-1, " 4"}}));
    c.push_back(always(checkBox("CBFlag76opt1", "", 319, flagOption(76, 1))).invert());
    c.push_back(always(checkBox("CBFlag76opt2", "", 724, flagOption(76, 2))));
    c.push_back(always(checkBox("CBFlag76opt3", "", 736, flagOption(76, 3))));
    c.push_back(always(checkBox("CBFlag76opt5", "", 899, flagOption(76, 5))));
    return d;
}

bool prepTimeActive(const OptionDialog& d) { return d.control("CBFlag122opt1").value != 0; }

OptionDialogTable buildPrepTime() {
    auto d = dialogTable("TKPPrepTime", 1011, "KP Preparation Time");
    auto& c = d.controls;
    auto active = always(checkBox("CBFlag122opt1", "", 1012, flagOption(122, 1)));
    active.changed = [](OptionDialog& dlg) {
        for (std::size_t i = 1; i < dlg.size(); ++i) dlg.state(i).enabled = prepTimeActive(dlg);
    };
    c.push_back(std::move(active));
    auto gated = [](ControlRow&& row) {
        auto r = std::move(row).gated(Gate::Custom);
        r.fill = [](OptionDialog& dlg, ControlState& s) { s.enabled = prepTimeActive(dlg); };
        return r;
    };
    static constexpr const char* kNames[] = {"CBFlag121opt1", "CBFlag121opt2", "CBFlag121opt3", "CBFlag121opt4",
                                             "CBFlag121opt5", "CBFlag121opt6", "CBFlag121opt7", "CBFlag121opt8"};
    static constexpr const char* kKps[] = {" 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8"};
    for (int k = 0; k < kKpPrinters; ++k) {
        auto row = checkBox(kNames[k], "", 1013, flagOption(121, k + 1));
        row.suffix = kKps[k];
        c.push_back(gated(std::move(row)));
    }
    c.push_back(gated(checkBox("CBFlag122opt2", "", 1014, flagOption(122, 2))));
    c.push_back(gated(checkBox("CBFlag122opt3", "", 1015, flagOption(122, 3))));
    auto four = checkBox("CBFlag122opt4", "", -1, flagOption(122, 4));
    four.literal = "Option 4";
    c.push_back(gated(std::move(four)));
    auto five = checkBox("CBFlag122opt5", "", -1, flagOption(122, 5));
    five.literal = "Option 5";
    c.push_back(gated(std::move(five)));
    return d;
}

// --- the printers dialog -----------------------------------------------------

void loadCurrentMachine(OptionDialog& d) {
    loadOfferedMachine(d);
    d.refill();
}

OptionDialogTable buildPrinters() {
    auto d = dialogTable("TSetPrinters", 287, "Printers");
    auto& c = d.controls;
    c.push_back(always(checkBox("CheckBox1", "", 724, flagOption(59, 2))).invert());
    c.push_back(always(checkBox("CheckBox2", "", 725, flagOption(59, 3))));
    c.push_back(always(checkBox("CheckBox3", "", 726, flagOption(59, 4))));
    c.push_back(always(checkBox("CheckBox4", "", 727, flagOption(59, 7))));
    c.push_back(always(checkBox("CheckBox7", "", 807, flagOption(6, 6))));
    c.push_back(always(checkBox("CBFlag93opt3", "", 866, flagOption(93, 3))));
    static constexpr const char* kChained[] = {"CBFlag120opt1", "CBFlag120opt2", "CBFlag120opt3",
                                               "CBFlag120opt4", "CBFlag120opt5", "CBFlag120opt6"};
    for (int o = 0; o < 6; ++o) c.push_back(always(checkBox(kChained[o], "", 1005 + o, flagOption(120, o + 1))));
    c.push_back(always(list("ComboBox3", "", 483, flagField(34, 0x0F)))
                    .label("Label4")
                    .plain()
                    .withItems(numberItems(0, 10)));
    d.opened = &loadCurrentMachine;
    // Saved only where opening loaded it: a network of one register never
    // reads a machine printer file, so none is written for it.
    d.beforeSave = &saveOfferedMachine;
    return d;
}

std::string typeName(const OptionDialog& d, const std::vector<ListItem>& items, std::size_t index) {
    const auto& item = index < items.size() ? items[index] : items.front();
    return item.text >= 0 ? d.text(item.text, item.literal) : item.literal;
}

}  // namespace

std::vector<ListItem> kpTypeItems() {
    std::vector<ListItem> items{{kNotUsedText, "Not Used"}};
    static constexpr const char* kNames[] = {"EPSON TM-300",  "EPSON TM-60",     "EPSON TM-80",   "CITIZEN iDP3541F",
                                             "Sarema  Sprint", "CITIZEN CBM-262", "EPSON TM-H5000", "SAMSUNG SRP-100",
                                             "EPSON TM-375",  "AXIOHM APOS",     "AXIOHM 7156",   "EPSON TM-U950",
                                             "CITIZEN CBM-230"};
    for (int i = 0; i < 13; ++i) items.push_back({705 + i, kNames[i]});
    items.push_back({772, "CITIZEN iDP-3210"});
    items.push_back({755, "SAMSUNG SRP-300"});
    return items;
}

std::vector<ListItem> slipTypeItems() {
    return {{kNotUsedText, "Not Used"},  {719, "EPSON CTM-290  "}, {720, "EPSON TM-290II "},
            {721, "EPSON COMPATIBLE"},  {722, "STANDARD PRINTER"}, {723, "CITIZEN CBM-810"},
            {711, "EPSON TM-H5000"},    {713, "EPSON TM-375"},     {715, "AXIOHM 7156"},
            {716, "EPSON TM-U950"},     {997, "SMICE DOUBLE"}};
}

std::vector<ListItem> receiptTypeItems() {
    auto items = kpTypeItems();
    items.push_back({997, "SMICE DOUBLE"});
    return items;
}

std::vector<ListItem> journalTypeItems() {
    auto items = kpTypeItems();
    items.push_back({828, "Electronic Journal"});
    items.push_back({860, "Special journal type"});
    return items;
}

std::vector<int> journalTypeValues() {
    std::vector<int> v;
    for (int i = 0; i < 16; ++i) v.push_back(i);
    v.push_back(98);
    v.push_back(99);
    return v;
}

int printerPortFromIndex(int index, bool dect) { return dect && index == 6 ? 8 : index + 1; }

int printerPortIndex(int port, bool dect) {
    if (dect && port == 8) return 6;
    if (port < 1 || port > (dect ? 6 : 7)) return -1;
    return port - 1;
}

PrinterPortList printerPortList(const OptionDialog& d, int machine) {
    PrinterPortList list;
    list.dect = handheldPortOf(d, machine) == kDectModulePort;
    if (!list.dect) {
        for (int p = 1; p <= 7; ++p) list.items.push_back(std::to_string(p));
        return list;
    }
    for (int p = 1; p <= 3; ++p) list.items.push_back(std::to_string(p));
    DectTable channels{};
    const auto file = RegisterConfigFile::of(d.session().programPath);
    try {
        if (file.exists()) channels = dectTable(file.readPart(machine));
    } catch (const FileError&) {
    }
    for (int n = 1; n <= kDectChannels; ++n) {
        std::string item = d.text(kDectChannelText, "DECT channel") + " " + std::to_string(n);
        if (channels[static_cast<std::size_t>(n - 1)].type != static_cast<std::uint8_t>(DectType::Printer))
            item += " - " + d.text(kNotAvailableText, "not available");
        list.items.push_back(std::move(item));
    }
    return list;
}

const OptionDialogTable& kpPrinterDialog(int printer) {
    static const auto tables = [] {
        std::vector<OptionDialogTable> t;
        for (int p = 0; p <= kKpPrinters; ++p) t.push_back(buildKp(p));
        return t;
    }();
    return tables.at(static_cast<std::size_t>(printer));
}

const OptionDialogTable& receiptPrinterDialog() {
    static const OptionDialogTable t = buildRj(false);
    return t;
}
const OptionDialogTable& journalPrinterDialog() {
    static const OptionDialogTable t = buildRj(true);
    return t;
}
const OptionDialogTable& ticketLayoutDialog() {
    static const OptionDialogTable t = buildLayout();
    return t;
}
const OptionDialogTable& prepTimeDialog() {
    static const OptionDialogTable t = buildPrepTime();
    return t;
}
const OptionDialogTable& printersDialog() {
    static const OptionDialogTable t = buildPrinters();
    return t;
}

std::string printerLine(const OptionDialog& d, int line) {
    const bool active = line == 0 ? d.block().flag(kSlipTypeFlag) != 0 : (d.block().flag(kpFlag(line, 0)) & 0x0F) != 0;
    return d.text(305 + line) + ": " + (active ? d.text(kActiveText, "Active") : d.text(kNotUsedText, "Not Used"));
}

std::string receiptButtonCaption(const OptionDialog& d) {
    return d.text(303, "&Receipt") + ": " + typeName(d, receiptTypeItems(), d.block().flag(kReceiptTypeFlag));
}

std::string journalButtonCaption(const OptionDialog& d) {
    const int stored = d.block().flag(kJournalTypeFlag);
    const auto values = journalTypeValues();
    auto it = std::find(values.begin(), values.end(), stored);
    // A value no item stands for shows the type of its low four bits.
    const std::size_t index = it != values.end() ? static_cast<std::size_t>(it - values.begin())
                                                 : static_cast<std::size_t>(stored & 0x0F);
    return d.text(304, "&Journal") + ": " + typeName(d, journalTypeItems(), index);
}

std::optional<Message> switchPrinterMachine(OptionDialog& printers, int machine) {
    for (std::size_t i = 0; i < printers.size(); ++i)
        if (printers.row(i).writeOnOk) printers.writeControl(i);
    switchOfferedMachine(printers, machine);
    printers.refill();
    std::optional<Message> m;
    if (auto posted = printers.takeMessages(); !posted.empty()) m = posted.front();
    return m;
}

}  // namespace tramond
