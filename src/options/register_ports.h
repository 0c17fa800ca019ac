#pragma once
// The register's serial ports (`TSetRegisterPort`): baud rate and word format
// of the seven ports, what the other dialogs put on each port and where they
// clash, the port of the cable to the PC, the DECT module and the DECT
// channel table of each machine in the register configuration file.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "options/option_dialog.h"
#include "program/register_config.h"
#include "program/machine_printer.h"
#include "program/session.h"

namespace tramond {

inline constexpr int kRegisterPorts = 7;
// Baud indexes 0..5 and word-format indexes 0..12; a port byte is
// 10 x word format + baud.
std::vector<std::string> baudItems(const LanguageTexts& texts);
std::vector<std::string> wordFormatItems(const LanguageTexts& texts);
// The flag holding port p's settings (ports 1-3: flags 27-29, 4-7: 96-99).
int portSettingFlag(int port);
// The baud index of a PC link rate (1200 .. 38400), -1 for another.
int baudIndexOfRate(int rate);

struct PortStatus {
    std::string text;  // devices on the port, "Not in use" for none
    bool conflict = false;
};
struct PortStatusReport {
    std::array<PortStatus, kRegisterPorts> ports;
    bool baudConflict = false;  // the computer port's baud differs from the PC's
    bool anyConflict() const;
};
// Which devices the block puts on each port and where they clash; the
// computer port's baud rate is checked against the PC link's.
PortStatusReport portStatus(const ApplicationBlock& app, int pcBaudRate);

// The controller of the dialog. Every change is made here; the view shows
// the state and the messages it posts.
class RegisterPortsDialog {
public:
    RegisterPortsDialog(ProgramSession& session, const LanguageTexts& texts, int pcBaudRate);

    // Port lists (p = 1..7).
    int baud(int port) const;
    int wordFormat(int port) const;
    void setBaud(int port, int index);
    void setWordFormat(int port, int index);
    const PortStatusReport& status() const { return status_; }

    // Machine list: offered with individual printers in a network above 1.
    bool machineChoice() const;
    std::vector<std::string> machineItems() const;
    int machineIndex() const;
    void chooseMachine(int index);

    // DECT module on port 7 and its four channels.
    bool dectModule() const { return dectModule_; }
    void setDectModule(bool on);
    const DectTable& dectChannels() const { return channels_; }
    // Digits only, at most 12; anything else is refused.
    bool setDectId(int channel, const std::string& id);
    void setDectType(int channel, int type);
    static std::vector<std::string> dectTypeItems(const LanguageTexts& texts);

    // Computer port list (flag 21).
    std::vector<std::string> computerPortItems() const;
    int computerPortIndex() const { return computerIndex_; }
    void setComputerPort(int index);

    // OK: the dialog closes when the result says so; messages are posted.
    OkResult ok();
    // Cancel or the close box: the block, the current machine and the files
    // are as they were when the dialog opened.
    void cancel();

    std::vector<Message> takeMessages() { return std::exchange(messages_, {}); }
    const ProgramSession& session() const { return session_; }
    const LanguageTexts& texts() const { return texts_; }

private:
    void loadFromBlock();
    void loadChannels();
    void storePorts();
    void storeDevices(ApplicationBlock& app) const;
    void storeIntoBlock();
    bool saveChannels();
    bool resetTovikChannels();
    void recompute();
    void checkComputerPort();
    std::string text(int n, std::string_view fallback) const;
    void post(Message m) { messages_.push_back(std::move(m)); }
    Message fileError() const;

    ProgramSession& session_;
    const LanguageTexts& texts_;
    int pcBaudRate_;
    ApplicationBlock snapshot_;
    std::array<int, kRegisterPorts> baud_{};
    std::array<int, kRegisterPorts> word_{};
    bool dectModule_ = false;
    int computerIndex_ = 0;
    DectTable channels_{};
    DectTable channelsRead_{};
    ConfigPart part_{};
    // The channel tables of machines left by a machine change, written on OK.
    std::map<int, ConfigPart> pendingParts_;
    MachineEdits machines_;
    PortStatusReport status_;
    std::vector<Message> messages_;
};

}  // namespace tramond
