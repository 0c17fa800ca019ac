#pragma once
// TTovikOptions, without the widgets: the settings of the DECT handhelds of
// one register, kept in the register configuration file (".chk"): the
// common timing values and option bits, and for each of the register's four
// handhelds the linked clerk and the receipt printer (type, port, terminal).
// The general options live in system flag 23 of the application block.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "program/machine_printer.h"
#include "program/register_config.h"
#include "program/session.h"

namespace tramond {

namespace tovik {
// Where the values sit in the common part and in a register's part.
inline constexpr std::size_t kTimer = 28;
inline constexpr std::size_t kStandBy = 29;
inline constexpr std::size_t kLight = 30;
inline constexpr std::size_t kDoubleClick = 31;
inline constexpr std::size_t kOptionBits = 32;
inline constexpr std::size_t kHandheldRecords = 56;
inline constexpr std::size_t kHandheldRecordSize = 14;
inline constexpr int kHandhelds = 4;
inline constexpr int kGeneralFlag = 23;
inline constexpr int kHandheldPortFlag = 90;  // the register port of the handheld base
inline constexpr int kDectLayout = 7;          // flag 90: the DECT module on port 7
// A port record's byte 13.
inline constexpr std::uint8_t kHandheldPresent = 1;
inline constexpr std::uint8_t kChannelAvailable = 2;

const std::vector<std::string>& printerTypes();
// The port list for a port layout, with the channel states of a register's
// part; and the conversions between list index and stored port code.
std::vector<std::string> portItems(int layout, const ConfigPart& part, const std::string& dectChannel);
int portCode(int layout, int index);
int portIndex(int layout, int code);
}  // namespace tovik

// What the dialog shows and the user edits.
struct TovikControls {
    std::string timer, standBy, light, doubleClick;
    std::array<bool, 8> options{};
    std::array<bool, 3> general{};  // options 1..3 of flag 23
    int clerk = -1;                 // index in the clerk list; -1 none
    int type = 0;
    int port = -1;
    int terminal = 0;
};

struct TovikOkResult {
    bool saved = false;              // the ".chk" parts were written
    bool appWritten = false;         // block 2 marked and ".app" written
    std::optional<std::string> error;  // shown titled "Error"; nothing more is saved
};

class TovikOptionsController {
public:
    TovikOptionsController(ProgramSession& session, const LanguageTexts& texts);

    // Steps of opening; an error is shown ("Error opening File !!") and the
    // dialog goes on.
    std::optional<std::string> open();

    TovikControls controls;

    bool registerListEnabled() const;
    std::vector<std::string> registerItems() const;
    int registerIndex() const;  // the current machine's item
    const std::vector<std::string>& clerkItems() const { return clerks_; }
    std::vector<std::string> terminalItems() const;
    const std::vector<std::string>& portItems() const { return ports_; }
    std::vector<std::string> handheldItems() const;
    int shownHandheld() const { return shown_; }  // 0..3
    bool handheldControlsEnabled() const;

    // The port layout of a terminal (0: the first register): flag 90 in a
    // single-register network, else byte 55 of its machine printer file;
    // a missing or short file counts as flag 90, and nothing is created.
    int portLayout(int terminal) const;

    void changeHandheld(int index);
    void changeTerminal(int terminal);
    // The register left keeps what the dialog shows for it (its handhelds,
    // its general options and printer values) until OK; the one chosen is
    // shown with its own. Nothing is written.
    std::optional<std::string> changeRegister(int machine);

    // Leaving the number boxes: a refusal is the message to show, and the
    // focus returns to the box.
    std::optional<std::string> leaveTimer() const;
    std::optional<std::string> leaveValue(const std::string& text) const;

    // Writes the handheld settings of every register the dialog showed.
    std::optional<std::string> saveHandheldSettings();
    TovikOkResult ok();
    // Cancel or the close box: the block, the current machine and every file
    // are as they were when the dialog opened.
    void cancel();

    const ConfigCommon& common() const { return common_; }
    const ConfigPart& part() const { return part_; }

private:
    void readConfig();
    void showRecord();
    void storeRecord();
    // Parses the number boxes into the common part; a refusal is the message.
    std::optional<std::string> storeCommon();
    std::string fileError() const;

    void showGeneral();

    ProgramSession& session_;
    const LanguageTexts& texts_;
    RegisterConfigFile chk_;
    ConfigCommon common_{}, commonRead_{};
    ConfigPart part_{};
    std::map<int, ConfigPart> parts_;  // every register shown: its part as edited
    ApplicationBlock snapshot_;
    MachineEdits machines_;
    std::vector<std::string> clerks_;
    std::vector<std::string> ports_;
    int shown_ = 0;
    TovikControls shownControls_;
    bool registerChanged_ = false;
};

}  // namespace tramond
