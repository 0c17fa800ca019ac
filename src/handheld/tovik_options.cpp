#include "handheld/tovik_options.h"

#include <algorithm>
#include <fstream>

#include "program/codepage.h"
#include "program/file_io.h"
#include "program/machine_printer.h"
#include "program/program_changes.h"
#include "program/record_kinds.h"
#include "program/setup_common.h"

namespace tramond {

namespace {
constexpr int kTextErrorOpeningFile = 398;
constexpr int kTextDectChannel = 976;
constexpr int kTextNotUsed = 321;
constexpr std::size_t kClerkRecordSize = 78;
constexpr std::size_t kClerkDescriptor = 4;
constexpr std::size_t kLayoutByte = 55;
const char* const kInvalidTimer = "Invalid Entry   Possible values 0 - 250.";
const char* const kTooBig = "Entered value too big!";

std::uint8_t channelState(const ConfigPart& part, int k) {
    return part[kDectEntrySize * static_cast<std::size_t>(k) + 13];
}
std::size_t recordAt(int k) { return tovik::kHandheldRecords + tovik::kHandheldRecordSize * static_cast<std::size_t>(k); }
}  // namespace

namespace tovik {

const std::vector<std::string>& printerTypes() {
    static const std::vector<std::string> types = {
        "Not Used",        "EPSON TM-300",    "EPSON TM-60",      "EPSON TM-80",
        "CITIZEN iDP3541F", "Sarema  Sprint", "CITIZEN CBM-262",  "EPSON TM-H5000",
        "SAMSUNG SRP-100", "EPSON TM-375",    "AXIOHM APOS",      "AXIOHM 7156",
        "EPSON TM-U950",   "CITIZEN CBM-230", "CITIZEN iDP-3210", "SAMSUNG SRP-300"};
    return types;
}

std::vector<std::string> portItems(int layout, const ConfigPart& part, const std::string& dectChannel) {
    std::vector<std::string> items;
    if (layout != kDectLayout) {
        for (int i = 1; i <= 7; ++i) items.push_back(std::to_string(i));
        return items;
    }
    for (int i = 1; i <= 3; ++i) items.push_back(std::to_string(i));
    for (int k = 0; k < kDectChannels; ++k)
        items.push_back(dectChannel + " " + std::to_string(k + 1) +
                        (channelState(part, k) == kChannelAvailable ? "" : " - not available"));
    return items;
}

int portCode(int layout, int index) {
    if (index < 0) return 0;
    return layout == kDectLayout && index == 6 ? 8 : index + 1;
}

int portIndex(int layout, int code) {
    if (layout == kDectLayout) {
        if (code == 8) return 6;
        return code >= 1 && code <= 6 ? code - 1 : -1;
    }
    return code >= 1 && code <= 7 ? code - 1 : -1;
}

}  // namespace tovik

TovikOptionsController::TovikOptionsController(ProgramSession& session, const LanguageTexts& texts)
    : session_(session),
      texts_(texts),
      chk_(RegisterConfigFile::forEditing(session)),
      snapshot_(session.app),
      machines_(session) {}

std::string TovikOptionsController::fileError() const {
    const std::string& t = texts_.text(kTextErrorOpeningFile);
    return t.empty() ? "Error opening File !!" : t;
}

std::optional<std::string> TovikOptionsController::open() {
    std::optional<std::string> error;
    clerks_.clear();
    const std::uint32_t count = recordCount(session_.app, RecordKind::Clerk);
    const std::size_t length = std::min<std::size_t>(descriptorLength(session_.app, RecordKind::Clerk),
                                                     kClerkRecordSize - kClerkDescriptor);
    std::ifstream clk(session_.file(".clk"), std::ios::binary);
    if (!clk) {
        error = fileError();
    } else {
        std::vector<std::uint8_t> record(kClerkRecordSize);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!clk.read(reinterpret_cast<char*>(record.data()), kClerkRecordSize)) break;
            auto first = record.begin() + kClerkDescriptor;
            auto last = std::find(first, first + static_cast<long>(length), 0);
            clerks_.push_back(oemToUtf8(std::span<const std::uint8_t>(&*first, static_cast<std::size_t>(last - first))));
        }
    }
    try {
        if (!chk_.exists()) chk_.ensure();
        readConfig();
    } catch (const FileError&) {
        error = fileError();
    }
    controls.timer = std::to_string(common_[tovik::kTimer]);
    controls.standBy = std::to_string(common_[tovik::kStandBy]);
    controls.light = std::to_string(common_[tovik::kLight]);
    controls.doubleClick = std::to_string(common_[tovik::kDoubleClick]);
    for (int b = 0; b < 8; ++b) controls.options[static_cast<std::size_t>(b)] = (common_[tovik::kOptionBits] >> b) & 1;
    showGeneral();
    return error;
}

void TovikOptionsController::showGeneral() {
    for (int k = 0; k < 3; ++k)
        controls.general[static_cast<std::size_t>(k)] = session_.app.option(tovik::kGeneralFlag, k + 1);
}

void TovikOptionsController::readConfig() {
    common_ = commonRead_ = chk_.readCommon();
    const int machine = std::max(session_.machineNumber, 1);
    const auto it = parts_.find(machine);
    part_ = it != parts_.end() ? it->second : chk_.readPart(session_.machineNumber);
    shown_ = 0;
    showRecord();
}

bool TovikOptionsController::registerListEnabled() const {
    return session_.app.flag(appblock::kFlagNetworkSize) >= 2;
}

std::vector<std::string> TovikOptionsController::registerItems() const {
    std::vector<std::string> items;
    for (int i = 1; i <= session_.app.flag(appblock::kFlagNetworkSize); ++i) items.push_back(std::to_string(i));
    return items;
}

int TovikOptionsController::registerIndex() const { return std::max(session_.machineNumber, 1) - 1; }

std::vector<std::string> TovikOptionsController::terminalItems() const {
    std::vector<std::string> items;
    for (int i = 0; i <= session_.app.flag(appblock::kFlagNetworkSize); ++i) items.push_back(std::to_string(i));
    return items;
}

std::vector<std::string> TovikOptionsController::handheldItems() const {
    std::vector<std::string> items;
    for (int k = 0; k < tovik::kHandhelds; ++k)
        items.push_back(channelState(part_, k) == tovik::kHandheldPresent ? "Tovik " + std::to_string(k + 1)
                                                                            : texts_.text(kTextNotUsed));
    return items;
}

bool TovikOptionsController::handheldControlsEnabled() const {
    if (channelState(part_, shown_) != tovik::kHandheldPresent) return false;
    return !registerChanged_ || session_.app.flag(tovik::kHandheldPortFlag) == tovik::kDectLayout;
}

int TovikOptionsController::portLayout(int terminal) const {
    const int flag90 = session_.app.flag(tovik::kHandheldPortFlag);
    if (session_.app.flag(appblock::kFlagNetworkSize) < 2) return flag90;
    try {
        return machines_.valuesOf(terminal)[kLayoutByte];
    } catch (const FileError&) {
        return flag90;
    }
}

void TovikOptionsController::showRecord() {
    const std::size_t at = recordAt(shown_);
    controls.type = part_[at] < tovik::printerTypes().size() ? part_[at] : -1;
    controls.terminal = part_[at + 1] / 10;
    const int layout = portLayout(controls.terminal);
    ports_ = tovik::portItems(layout, part_, texts_.text(kTextDectChannel).empty() ? "DECT channel"
                                                                                   : texts_.text(kTextDectChannel));
    controls.port = tovik::portIndex(layout, part_[at + 1] % 10);
    const int clerk = part_[at + 2] | (part_[at + 3] << 8);
    controls.clerk = clerk >= 1 && clerk <= static_cast<int>(clerks_.size()) ? clerk - 1 : -1;
    shownControls_ = controls;
}

void TovikOptionsController::storeRecord() {
    // Only what the user changed is written: a value the lists cannot show
    // stays as it was.
    const std::size_t at = recordAt(shown_);
    if (controls.type != shownControls_.type && controls.type >= 0) part_[at] = static_cast<std::uint8_t>(controls.type);
    if (controls.port != shownControls_.port || controls.terminal != shownControls_.terminal) {
        const int code = controls.port >= 0 ? tovik::portCode(portLayout(controls.terminal), controls.port)
                                            : part_[at + 1] % 10;
        part_[at + 1] = static_cast<std::uint8_t>(code + 10 * controls.terminal);
    }
    if (controls.clerk != shownControls_.clerk) {
        const int clerk = controls.clerk + 1;
        part_[at + 2] = static_cast<std::uint8_t>(clerk & 0xFF);
        part_[at + 3] = static_cast<std::uint8_t>(clerk >> 8);
    }
    shownControls_ = controls;
}

std::optional<std::string> TovikOptionsController::storeCommon() {
    const auto timer = setup::parseNumberOrZero(controls.timer, 250);
    if (!timer || controls.timer.empty()) return std::string(kInvalidTimer);
    const std::string* values[] = {&controls.standBy, &controls.light, &controls.doubleClick};
    std::array<long, 3> parsed{};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto v = setup::parseNumberOrZero(*values[i], 100);
        if (!v) return std::string(kTooBig);
        parsed[i] = *v;
    }
    common_[tovik::kTimer] = static_cast<std::uint8_t>(*timer);
    common_[tovik::kStandBy] = static_cast<std::uint8_t>(parsed[0]);
    common_[tovik::kLight] = static_cast<std::uint8_t>(parsed[1]);
    common_[tovik::kDoubleClick] = static_cast<std::uint8_t>(parsed[2]);
    std::uint8_t bits = 0;
    for (int b = 0; b < 8; ++b)
        if (controls.options[static_cast<std::size_t>(b)]) bits |= static_cast<std::uint8_t>(1 << b);
    common_[tovik::kOptionBits] = bits;
    return std::nullopt;
}

void TovikOptionsController::changeHandheld(int index) {
    if (index < 0 || index >= tovik::kHandhelds || index == shown_) return;
    storeRecord();
    shown_ = index;
    showRecord();
}

void TovikOptionsController::changeTerminal(int terminal) {
    controls.terminal = terminal;
    const int layout = portLayout(terminal);
    ports_ = tovik::portItems(layout, part_, texts_.text(kTextDectChannel).empty() ? "DECT channel"
                                                                                   : texts_.text(kTextDectChannel));
    if (controls.port >= static_cast<int>(ports_.size())) controls.port = -1;
}

std::optional<std::string> TovikOptionsController::leaveTimer() const {
    if (controls.timer.empty() || !setup::parseNumber(controls.timer, 250)) return std::string(kInvalidTimer);
    return std::nullopt;
}

std::optional<std::string> TovikOptionsController::leaveValue(const std::string& text) const {
    if (!text.empty() && !setup::parseNumber(text, 100)) return std::string(kTooBig);
    return std::nullopt;
}

std::optional<std::string> TovikOptionsController::saveHandheldSettings() {
    if (!chk_.exists()) {
        try {
            chk_.ensure();
        } catch (const FileError&) {
        }
        return fileError();
    }
    if (auto refused = storeCommon()) return refused;
    storeRecord();
    parts_[std::max(session_.machineNumber, 1)] = part_;
    try {
        // Each write marks block 111 when it changes the file's bytes.
        if (chk_.readCommon() != common_) chk_.writeCommon(common_);
        for (const auto& [machine, part] : parts_)
            if (chk_.readPart(machine) != part) chk_.writePart(machine, part);
    } catch (const FileError&) {
        return fileError();
    }
    commonRead_ = common_;
    return std::nullopt;
}

std::optional<std::string> TovikOptionsController::changeRegister(int machine) {
    // The register left: its general options and its handhelds as shown.
    for (int k = 0; k < 3; ++k)
        session_.app.setOption(tovik::kGeneralFlag, k + 1, controls.general[static_cast<std::size_t>(k)]);
    storeRecord();
    parts_[std::max(session_.machineNumber, 1)] = part_;
    std::optional<std::string> error;
    try {
        machines_.switchTo(machine);
        const ConfigCommon shownCommon = common_;
        readConfig();
        common_ = shownCommon;  // the common values are the same for every register
    } catch (const FileError&) {
        error = fileError();
    }
    showGeneral();
    registerChanged_ = true;
    return error;
}

void TovikOptionsController::cancel() {
    parts_.clear();
    machines_.cancel();
    session_.app = snapshot_;
}

TovikOkResult TovikOptionsController::ok() {
    TovikOkResult result;
    // A value that cannot be stored keeps the dialog open with nothing saved.
    const ConfigCommon before = common_;
    if (auto refused = storeCommon()) {
        result.error = refused;
        return result;
    }
    common_ = before;
    for (int k = 0; k < 3; ++k)
        session_.app.setOption(tovik::kGeneralFlag, k + 1, controls.general[static_cast<std::size_t>(k)]);
    try {
        // With individual printers the block holds this machine's printer
        // settings; its file must carry the new flag 23, or the next install
        // loads the old one over it. Every register shown is written.
        if ((session_.app.get(appblock::kIndividualPrinters) && session_.app.flag(appblock::kFlagNetworkSize) > 1) ||
            machines_.switched())
            machines_.save();
        result.appWritten = writeApplication(session_).written;
    } catch (const std::exception&) {
        result.error = fileError();
        return result;
    }
    const auto chkBytes = [this] {
        try {
            return chk_.exists() ? readFile(chk_.path()) : std::vector<std::uint8_t>{};
        } catch (const FileError&) {
            return std::vector<std::uint8_t>{};
        }
    };
    const auto chkBefore = chkBytes();
    if (auto error = saveHandheldSettings()) {
        result.error = error;
        return result;
    }
    result.saved = chkBytes() != chkBefore;
    return result;
}

}  // namespace tramond
