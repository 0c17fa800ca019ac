#include "options/general_options.h"

#include <array>
#include <stdexcept>

#include "program/sizing.h"

namespace tramond {

namespace {

constexpr int kRoundingFlag = 64;
constexpr std::uint8_t kRoundingMask = 0xFE;  // bit 0 is amount input masking
constexpr int k0410Flag = 3;
constexpr int k0410Option = 2;
constexpr int kInactiveTimeFlag = 22;
constexpr int kRegisterConnectedFlag = 112;

// v of each list item 0..9 (item 10, 04/10, is v = 0 with flag 3 option 2).
constexpr std::array<std::uint8_t, 10> kRoundingValues{0, 2, 4, 6, 8, 16, 24, 32, 64, 128};

std::vector<ListItem> roundingItems() {
    return {{436, "NON"},          {437, "SWISS TOTAL"},  {438, "SWISS ITEM"},
            {439, "SWISS BOTH"},   {440, "FRENCH TOTAL"}, {441, "FRENCH  ITEM"},
            {442, "FRENCH  BOTH"}, {478, "12/25 TOTAL"},  {479, "24/50 TOTAL"},
            {558, "00/10 TOTAL"},  {587, "04/10 TOTAL"}};
}

std::vector<ListItem> displayTypeItems() {
    return {{-1, "No Display"}, {-1, "ICD 2002"}, {-1, "ICD 2002 + Printer"}, {-1, "VFD - 700"}};
}

std::vector<ListItem> scaleItems() {
    return {{902, "No Scale"},      {-1, "EPELSA"},       {-1, "IPESA"},        {-1, "MOBBA"},
            {-1, "METTLER AS8217"}, {-1, "METTLER GL3R"}, {-1, "STATHMOS 7021"}};
}

ControlRow roundingList() {
    auto c = list("ComboBox1", "31. ", 370, Binding{}).label("Label2").plain().atOnce().notOnOk();
    c.items = roundingItems();
    c.read = [](const OptionDialog& d) { return roundingIndex(d.block()); };
    c.write = [](OptionDialog& d, int index) {
        if (index >= 0) setRounding(d.block(), index);
    };
    return c;
}

ControlRow inactiveTime() {
    auto c = numberBox("Edit1", "30. ", 368, flagValue(kInactiveTimeFlag))
                 .label("Label1")
                 .plain()
                 .maxChars(2)
                 .numberRequired();
    c.read = [](const OptionDialog& d) { return d.block().flag(kInactiveTimeFlag) % 100; };
    return c;
}

ControlRow registerConnected() {
    auto c = list("CmBComReg", "32. ", 944, flagValue(kRegisterConnectedFlag))
                 .label("LblComReg")
                 .gated(Gate::Custom);
    c.fill = [](OptionDialog& d, ControlState& s) {
        const auto& app = d.block();
        s.items.clear();
        s.value = -1;
        if (!registerListAvailable(app)) {
            s.enabled = false;
            return;
        }
        const int size = app.flag(appblock::kFlagNetworkSize);
        for (int n = 1; n <= size; ++n) s.items.push_back(std::to_string(n));
        // A register number of 0 stands for the first register.
        const int stored = std::max<int>(app.flag(kRegisterConnectedFlag), 1);
        if (stored <= size) s.value = stored - 1;
    };
    // The selected register, 0 when the list is empty.
    c.write = [](OptionDialog& d, int index) {
        d.block().setFlag(kRegisterConnectedFlag, static_cast<std::uint8_t>(index + 1));
    };
    return c;
}

ControlRow drawerPrinterPort() {
    auto c = list("CmBPortDrwPrt", "35. ", 694, flagValue(87)).label("Label8").atOnce().notOnOk();
    c.items = portItems();
    return c;
}

OptionDialogTable buildTable() {
    OptionDialogTable d;
    d.name = "TGeneralOptions";
    d.captionText = 654;
    d.caption = "General Options";
    auto& c = d.controls;
    c.push_back(checkBox("CheckBox1", "1. ", 372, flagOption(64, 1)));
    c.push_back(checkBox("CheckBox2", "2. ", 380, flagOption(5, 1)).invert().gated(Gate::Never));
    c.push_back(checkBox("CheckBox3", "3. ", 523, flagOption(25, 8)));
    c.push_back(checkBox("CheckBox4", "4. ", 494, flagOption(5, 2)).invert().gated(Gate::Never));
    c.push_back(checkBox("CheckBox5", "5. ", 537, flagOption(5, 4)));
    c.push_back(checkBox("CheckBox6", "6. ", 555, flagOption(5, 6)));
    c.push_back(checkBox("CheckBox7", "7. ", 584, flagOption(5, 7)));
    c.push_back(checkBox("CheckBox8", "8. ", 585, flagOption(5, 8)).invert());
    c.push_back(checkBox("CheckBox9", "9. ", 594, flagOption(3, 5)));
    c.push_back(checkBox("CheckBox11", "10. ", 636, flagOption(3, 6)).invert());
    c.push_back(checkBox("CBFlag88opt6", "11. ", 957, flagOption(88, 6)));
    c.push_back(checkBox("CheckBox12", "12. ", 788, flagOption(4, 8)).gated(Gate::Never));
    c.push_back(checkBox("CheckBox13", "13. ", 803, flagOption(26, 4)));
    c.push_back(checkBox("CheckBox15", "14. ", 805, flagOption(6, 4)));
    c.push_back(checkBox("CBFlag26opt5", "15. ", 804, flagOption(26, 5)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag83opt5", "16. ", 857, flagOption(83, 5)).gated(Gate::Never));
    c.push_back(checkBox("CBFlag93opt1", "17. ", 865, flagOption(93, 1)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag24opt6", "18. ", 864, flagOption(24, 6)).gated(Gate::Never));
    c.push_back(checkBox("CBFlag93opt7", "19. ", 870, flagOption(93, 7)).gated(Gate::Never));
    c.push_back(checkBox("CBFlag106opt1", "20. ", 881, flagOption(106, 1)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag106opt2", "21. ", 888, flagOption(106, 2)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag106opt8", "22. ", 926, flagOption(106, 8)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag108opt1", "23. ", 896, flagOption(108, 1)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag108opt2", "24. ", 897, flagOption(108, 2)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag100opt4", "25. ", 940, flagOption(100, 4)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag100opt5", "26. ", 942, flagOption(100, 5)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag113opt1", "27. ", 988, flagOption(113, 1)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag119opt1", "28. ", 989, flagOption(119, 1)).gated(Gate::Always));
    c.push_back(checkBox("CBFlag113opt2", "29. ", 1003, flagOption(113, 2)).gated(Gate::Always));
    c.push_back(inactiveTime());
    c.push_back(roundingList());
    c.push_back(registerConnected());
    c.push_back(list("CmBPortExtDspl", "33. ", 693, flagPortDigit(84))
                    .label("Label7")
                    .withItems(portItems()));
    c.push_back(list("ComboBox5", "34. ", 898, flagTensDigit(84))
                    .label("Label4")
                    .gated(Gate::Always)
                    .withItems(displayTypeItems()));
    c.push_back(drawerPrinterPort());
    c.push_back(list("ComboBox6", "36. ", 901, flagValue(102))
                    .label("Label5")
                    .gated(Gate::Always)
                    .withItems(scaleItems())
                    .withHint("Connect scale on cash register port2!"));
    c.push_back(list("CmBPortComp", "", 376, Binding{})
                    .label("Label3")
                    .withItems(portItems())
                    .hide()
                    .notOnOk());

    // The flag-dependent record lengths and the map follow the flags, even
    // when nothing was saved. A change is recomputed before the block is
    // compared with the file, so a flag that moves the map writes and marks
    // the new map with it: recomputed only after the write, the file kept the
    // old map under the new flags and Update sent the register flags that
    // need a Clear & Install. An untouched OK still writes nothing.
    d.beforeSave = [](OptionDialog& dialog) {
        if (dialog.block() != dialog.snapshot()) recomputeSizes(dialog.block());
    };
    d.afterOk = [](OptionDialog& dialog, bool) { recomputeSizes(dialog.block()); };
    return d;
}

}  // namespace

const OptionDialogTable& generalOptionsDialog() {
    static const OptionDialogTable table = buildTable();
    return table;
}

int roundingIndex(const ApplicationBlock& app) {
    const std::uint8_t v = app.flag(kRoundingFlag) & kRoundingMask;
    for (std::size_t i = 1; i < kRoundingValues.size(); ++i)
        if (kRoundingValues[i] == v) return static_cast<int>(i);
    return app.option(k0410Flag, k0410Option) ? kRounding0410 : kRoundingNone;
}

void setRounding(ApplicationBlock& app, int index) {
    if (index < 0 || index >= kRoundingCount) throw std::out_of_range("rounding " + std::to_string(index));
    const std::uint8_t masking = app.flag(kRoundingFlag) & ~kRoundingMask;
    const std::uint8_t v = index == kRounding0410 ? 0 : kRoundingValues[static_cast<std::size_t>(index)];
    app.setFlag(kRoundingFlag, static_cast<std::uint8_t>(masking | v));
    app.setOption(k0410Flag, k0410Option, index == kRounding0410);
}

bool registerListAvailable(const ApplicationBlock& app) {
    return app.flag(appblock::kFlagNetworkSize) != 0 && app.get(appblock::kIndividualPrinters);
}

}  // namespace tramond
