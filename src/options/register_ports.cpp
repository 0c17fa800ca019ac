#include "options/register_ports.h"

#include <algorithm>

#include "options/machine_settings.h"
#include "program/file_io.h"
#include "program/program_changes.h"
#include "program/system_blocks.h"

namespace tramond {

namespace {

constexpr int kComputerPortFlag = 21;
constexpr int kHandheldPortFlag = 90;
constexpr int kDectModulePort = 7;
constexpr int kDectChannel4Port = 8;
constexpr int kComputerDectItem = 7;  // with the DECT module: DECT channel 4
constexpr int kVariablePbNumbersFlag = 19;
constexpr int kVariablePbNumbersOption = 3;
constexpr int kConflictTitle = 677;

constexpr std::array<int, 6> kRates = {1200, 2400, 4800, 9600, 19200, 38400};

bool isDectChannelItem(int index) { return index >= 4 && index <= kComputerDectItem; }

}  // namespace

std::vector<std::string> baudItems(const LanguageTexts& texts) {
    static constexpr const char* kFallback[] = {"1200", "2400", "4800", "9600", "19200", "38400"};
    std::vector<std::string> items;
    for (int i = 0; i < 6; ++i) {
        const auto& t = texts.text(335 + i);
        items.push_back(t.empty() ? kFallback[i] : t);
    }
    return items;
}

std::vector<std::string> wordFormatItems(const LanguageTexts& texts) {
    static constexpr const char* kFallback[] = {"OFF  ", "8,N,1", "8,N,2", "8,E,1", "8,E,2", "8,O,1", "8,O,2",
                                                "7,N,1", "7,N,2", "7,E,1", "7,E,2", "7,O,1", "7,O,2"};
    std::vector<std::string> items;
    for (int i = 0; i < 13; ++i) {
        const auto& t = texts.text(343 + i);
        items.push_back(t.empty() ? kFallback[i] : t);
    }
    return items;
}

int portSettingFlag(int port) {
    if (port < 1 || port > kRegisterPorts) throw std::out_of_range("port " + std::to_string(port));
    return port <= 3 ? 26 + port : 92 + port;
}

int baudIndexOfRate(int rate) {
    auto it = std::find(kRates.begin(), kRates.end(), rate);
    return it == kRates.end() ? -1 : static_cast<int>(it - kRates.begin());
}

bool PortStatusReport::anyConflict() const {
    return std::any_of(ports.begin(), ports.end(), [](const PortStatus& p) { return p.conflict; });
}

PortStatusReport portStatus(const ApplicationBlock& app, int pcBaudRate) {
    PortStatusReport r;
    const auto flag = [&](int n) { return static_cast<int>(app.flag(n)); };
    for (int p = 1; p <= kRegisterPorts; ++p) {
        std::vector<std::string> devices;
        bool used = false;
        bool exclusive = false;
        bool conflict = false;
        std::string baudNote;
        // The devices as the other dialogs store them; the machine digit of
        // a machine and port byte is not looked at.
        if (flag(kComputerPortFlag) == p) {
            devices.push_back("Computer");
            used = exclusive = true;
            if (flag(portSettingFlag(p)) % 10 != baudIndexOfRate(pcBaudRate)) {
                baudNote = "- Check baud rate!";
                conflict = true;
                r.baudConflict = true;
            }
        }
        const auto printer = [&](const char* name) {
            devices.push_back(name);
            if (exclusive) conflict = true;
            else used = true;
        };
        // Any receipt type counts, also 16 ("SMICE DOUBLE"), whose low four
        // bits are 0.
        if (flag(66) % 10 == p && flag(65) != 0) printer("Receipt Printer");
        if (flag(69) % 10 == p && flag(68) >= 1 && flag(68) <= 15) printer("Journal Printer");
        if (flag(33) % 10 == p && flag(32) != 0) devices.push_back("Slip Printer");
        bool kitchen = false;
        for (int k = 0; k < 8; ++k)
            kitchen = kitchen || (flag(36 + 3 * k) % 10 == p && (flag(35 + 3 * k) & 0x0F) != 0);
        if (kitchen) {
            // A kitchen printer shares its port with nothing: a receipt or
            // journal printer already there is a clash as well.
            devices.push_back("Kitchen Printer");
            if (used) conflict = true;
            else used = exclusive = true;
        }
        const bool display = flag(84) % 10 == p;
        if (display) {
            devices.push_back("External Display");
            const bool withPrinter = flag(84) / 10 == 2;
            if (withPrinter ? exclusive : used) conflict = true;
            else used = true;
        }
        if ((flag(31) & 0x07) == p) devices.push_back("Barcode Reader");
        if (p == 2 && flag(102) != 0) devices.push_back("Scale");
        if (flag(111) % 10 == p) devices.push_back("EFT");
        if (flag(91) % 10 == p) devices.push_back("Card Reader");
        if (flag(87) == p) {
            devices.push_back("Drawer Printer");
            if (!exclusive && !display) used = true;
            else conflict = true;
        }
        auto& status = r.ports[static_cast<std::size_t>(p - 1)];
        if (devices.empty()) {
            status.text = "Not in use";
        } else {
            for (std::size_t i = 0; i < devices.size(); ++i) status.text += (i ? ", " : "") + devices[i];
            if (!baudNote.empty()) status.text += " " + baudNote;
        }
        status.conflict = conflict;
    }
    return r;
}

// --- the dialog --------------------------------------------------------------

RegisterPortsDialog::RegisterPortsDialog(ProgramSession& session, const LanguageTexts& texts, int pcBaudRate)
    : session_(session), texts_(texts), pcBaudRate_(pcBaudRate), snapshot_(session.app), machines_(session) {
    try {
        if (machineChoice()) machines_.open();
    } catch (const FileError&) {
        post(fileError());
    }
    loadFromBlock();
    loadChannels();
    if (status_.baudConflict)
        post({Message::Kind::Error, text(kConflictTitle, "Error"),
              "Conflict in baud rate settings for ports used in \n computer - cash register communication!", {}});
}

std::string RegisterPortsDialog::text(int n, std::string_view fallback) const {
    const auto& t = texts_.text(n);
    return t.empty() ? std::string(fallback) : t;
}

Message RegisterPortsDialog::fileError() const {
    return {Message::Kind::Error, text(677, "Error"), text(398, "Error opening File !!"), {}};
}

void RegisterPortsDialog::loadFromBlock() {
    for (int p = 1; p <= kRegisterPorts; ++p) {
        const int b = session_.app.flag(portSettingFlag(p));
        baud_[static_cast<std::size_t>(p - 1)] = b % 10;
        word_[static_cast<std::size_t>(p - 1)] = b / 10;
    }
    dectModule_ = session_.app.flag(kHandheldPortFlag) == kDectModulePort;
    const int port = session_.app.flag(kComputerPortFlag);
    if (dectModule_ && port == kDectChannel4Port) computerIndex_ = kComputerDectItem;
    else computerIndex_ = port <= 7 ? port : -1;
    recompute();
}

void RegisterPortsDialog::loadChannels() {
    const auto file = RegisterConfigFile::forEditing(session_);
    try {
        file.ensure();
        const auto pending = pendingParts_.find(std::max(session_.machineNumber, 1));
        part_ = pending != pendingParts_.end() ? pending->second : file.readPart(session_.machineNumber);
        channelsRead_ = dectTable(file.readPart(session_.machineNumber));
    } catch (const FileError&) {
        part_ = {};
        channelsRead_ = {};
        post(fileError());
    }
    channels_ = dectTable(part_);
}

int RegisterPortsDialog::baud(int port) const {
    const int b = baud_.at(static_cast<std::size_t>(port - 1));
    return b < 6 ? b : -1;
}

int RegisterPortsDialog::wordFormat(int port) const {
    const int w = word_.at(static_cast<std::size_t>(port - 1));
    return w < 13 ? w : -1;
}

void RegisterPortsDialog::setBaud(int port, int index) {
    if (index < 0 || index >= 6) return;
    baud_.at(static_cast<std::size_t>(port - 1)) = index;
    storePorts();
    recompute();
}

void RegisterPortsDialog::setWordFormat(int port, int index) {
    if (index < 0 || index >= 13) return;
    word_.at(static_cast<std::size_t>(port - 1)) = index;
    storePorts();
    recompute();
}

void RegisterPortsDialog::recompute() {
    // The computer port and the DECT module reach the block only on OK or a
    // machine change; the statuses already show them as chosen.
    ApplicationBlock shown = session_.app;
    storeDevices(shown);
    status_ = portStatus(shown, pcBaudRate_);
}

bool RegisterPortsDialog::machineChoice() const { return machineChoiceOffered(session_.app); }

std::vector<std::string> RegisterPortsDialog::machineItems() const {
    std::vector<std::string> items;
    if (!machineChoice()) return items;
    for (int n = 1; n <= session_.app.flag(appblock::kFlagNetworkSize); ++n) items.push_back(std::to_string(n));
    return items;
}

int RegisterPortsDialog::machineIndex() const { return machineChoice() ? shownMachine(session_) - 1 : -1; }

void RegisterPortsDialog::chooseMachine(int index) {
    if (!machineChoice() || index < 0 || index >= static_cast<int>(machineItems().size())) return;
    storeIntoBlock();
    // The machine left keeps its channels until OK (or Cancel drops them).
    setDectTable(part_, channels_);
    pendingParts_[std::max(session_.machineNumber, 1)] = part_;
    try {
        machines_.switchTo(index + 1);
    } catch (const FileError&) {
        post(fileError());
    }
    loadFromBlock();
    loadChannels();
}

void RegisterPortsDialog::setDectModule(bool on) {
    dectModule_ = on;
    recompute();
    checkComputerPort();
}

bool RegisterPortsDialog::setDectId(int channel, const std::string& id) {
    if (id.size() > kDectIdDigits || !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    channels_.at(static_cast<std::size_t>(channel - 1)).id = id;
    return true;
}

void RegisterPortsDialog::setDectType(int channel, int type) {
    if (type < 0 || type > 3) return;
    channels_.at(static_cast<std::size_t>(channel - 1)).type = static_cast<std::uint8_t>(type);
    checkComputerPort();
}

std::vector<std::string> RegisterPortsDialog::dectTypeItems(const LanguageTexts& texts) {
    const auto pick = [&](int n, const char* fallback) {
        return texts.text(n).empty() ? std::string(fallback) : texts.text(n);
    };
    return {pick(436, "NON"), pick(973, "Tovik"), pick(974, "Printer"), pick(975, "PC")};
}

std::vector<std::string> RegisterPortsDialog::computerPortItems() const {
    std::vector<std::string> items{text(321, "Not Used")};
    const int cable = dectModule_ ? 3 : 7;
    for (int p = 1; p <= cable; ++p) items.push_back(std::to_string(p));
    if (!dectModule_) return items;
    for (int n = 1; n <= kDectChannels; ++n) {
        std::string item = text(976, "DECT channel") + " " + std::to_string(n);
        if (channels_[static_cast<std::size_t>(n - 1)].type != static_cast<std::uint8_t>(DectType::Pc))
            item += " - " + text(977, "not available");
        items.push_back(std::move(item));
    }
    return items;
}

void RegisterPortsDialog::setComputerPort(int index) {
    if (index < 0 || index >= static_cast<int>(computerPortItems().size())) return;
    computerIndex_ = index;
    recompute();
}

void RegisterPortsDialog::checkComputerPort() {
    if (!dectModule_ || !isDectChannelItem(computerIndex_)) return;
    if (channels_[static_cast<std::size_t>(computerIndex_ - 4)].type == static_cast<std::uint8_t>(DectType::Pc))
        return;
    post({Message::Kind::Warning, "Warning",
          "Defined computer port is not available anymore, please chose other port!", {}});
}

void RegisterPortsDialog::storePorts() {
    for (int p = 1; p <= kRegisterPorts; ++p) {
        const auto i = static_cast<std::size_t>(p - 1);
        session_.app.setFlag(portSettingFlag(p), static_cast<std::uint8_t>(10 * word_[i] + baud_[i]));
    }
}

void RegisterPortsDialog::storeDevices(ApplicationBlock& app) const {
    app.setFlag(kHandheldPortFlag, dectModule_ ? kDectModulePort : 0);
    if (computerIndex_ >= 0)
        app.setFlag(kComputerPortFlag, static_cast<std::uint8_t>(dectModule_ && computerIndex_ == kComputerDectItem
                                                                    ? kDectChannel4Port
                                                                    : computerIndex_));
}

void RegisterPortsDialog::storeIntoBlock() {
    storePorts();
    storeDevices(session_.app);
}

bool RegisterPortsDialog::saveChannels() {
    setDectTable(part_, channels_);
    pendingParts_[std::max(session_.machineNumber, 1)] = part_;
    try {
        // Each write marks block 111 when it changes the file.
        const auto file = RegisterConfigFile::forEditing(session_);
        for (const auto& [machine, part] : pendingParts_)
            if (file.readPart(machine) != part) file.writePart(machine, part);
    } catch (const FileError&) {
        post(fileError());
        return false;
    }
    pendingParts_.clear();
    channelsRead_ = channels_;
    return true;
}

void RegisterPortsDialog::cancel() {
    pendingParts_.clear();
    machines_.cancel();
    session_.app = snapshot_;
}

bool RegisterPortsDialog::resetTovikChannels() {
    const auto& app = session_.app;
    const bool randomPb = app.pbRandomCodeSize() != 0;
    const bool variablePb = app.option(kVariablePbNumbersFlag, kVariablePbNumbersOption);
    if (!randomPb && !variablePb) return true;
    const auto file = RegisterConfigFile::forEditing(session_);
    const int machines = std::max<int>(app.flag(appblock::kFlagNetworkSize), 1);
    bool found = false;
    try {
        for (int m = 1; m <= machines; ++m) {
            auto part = file.readPart(m);
            auto table = dectTable(part);
            bool changed = false;
            for (auto& e : table)
                if (e.type == static_cast<std::uint8_t>(DectType::Tovik)) {
                    e.type = static_cast<std::uint8_t>(DectType::None);
                    changed = true;
                }
            if (!changed) continue;
            found = true;
            setDectTable(part, table);
            file.writePart(m, part);
        }
    } catch (const FileError&) {
        post(fileError());
        return false;
    }
    if (!found) return true;
    std::string warning = text(978, "DECT Channels set for Tovik ignored") + ", " + text(979, "to use Tovik:") + "\n";
    const std::string change = " - " + text(981, "change value in") + " \"";
    if (randomPb)
        warning += "- " + text(983, "PB Random Number must be zero") + change + text(982, "Setup|Prev.Balances") + "\"\n";
    if (variablePb) {
        std::string option = withoutAccelerators(text(371, "Variable PB Numbers"));
        while (!option.empty() && (option.back() == ' ' || option.back() == ':')) option.pop_back();
        warning += "- " + text(984, "flag") + " \"" + option + "\" " + text(985, "must be OFF") + change +
                   text(986, "General|PB Options") + "\"\n";
    }
    post({Message::Kind::Warning, "Warning", warning, {}});
    for (auto& e : channels_)
        if (e.type == static_cast<std::uint8_t>(DectType::Tovik)) e.type = static_cast<std::uint8_t>(DectType::None);
    channelsRead_ = channels_;
    return true;
}

OkResult RegisterPortsDialog::ok() {
    OkResult r;
    for (int k = 1; k <= kDectChannels; ++k) {
        const auto& id = channels_[static_cast<std::size_t>(k - 1)].id;
        if (!id.empty() && id.size() != kDectIdDigits) {
            r.message = Message{Message::Kind::Error, text(677, "Error"), "ID number has to be 12 digits long!",
                                "EdtDPort" + std::to_string(k) + "Id"};
            return r;
        }
    }
    storeIntoBlock();
    r.changed = session_.app != snapshot_;
    bool saved = false;
    try {
        if (machineChoice() || machines_.switched()) machines_.save();
        saved = saveApplication(session_, r);
    } catch (const std::exception&) {
    }
    if (!saved) {
        r.message = fileError();
        return r;
    }
    if (!saveChannels()) return r;
    resetTovikChannels();
    r.close = true;
    return r;
}

}  // namespace tramond
