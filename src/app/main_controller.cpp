#include "app/main_controller.h"

#include <algorithm>
#include <exception>
#include <set>

#include "app/orvalt_registry.h"
#include "history/program_history.h"
#include "program/codepage.h"
#include "program/file_io.h"
#include "program/staged_commit.h"
#include "program/program_ops.h"
#include "program/record_kinds.h"
#include "program/setup_common.h"
#include "program/sizing.h"

namespace tramond {

namespace {

constexpr const char* kLoadFilter = "Applications (*.app)|*.app";
constexpr const char* kSaveFilter = "Application (*.app)|*.app|All Files (*.*)|*.*";
constexpr const char* kDectConnected =
    "DECT module is connected, use \"Tovik Options\" instead \"Handheld Options\"!";
constexpr int kYesText = 402;
constexpr int kNoText = 403;
constexpr int kNetworkSizeText = 687;
constexpr int kDectModuleFlag = 90;
constexpr int kDectModuleValue = 7;

std::string appPath(std::filesystem::path p) {
    std::error_code ec;
    auto abs = std::filesystem::absolute(p, ec);
    return (ec ? p : abs).lexically_normal().string();
}

bool hasAppExtension(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".app";
}

std::filesystem::path withAppExtension(std::filesystem::path p) {
    if (!hasAppExtension(p)) p += ".app";
    return p;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    return samePathText(appPath(a), appPath(b));
}

std::string firstChars(const std::string& utf8, std::size_t chars) {
    std::size_t i = 0;
    while (i < utf8.size() && chars > 0) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
        --chars;
    }
    return utf8.substr(0, i);
}

std::string escapeAccelerators(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

}  // namespace

MainController::MainController(ProgramSession& session, LanguageTexts& texts, SettingsStore& settings,
                               Prompter& prompter, FileHistory& history)
    : session_(session), texts_(texts), settings_(settings), prompter_(prompter), history_(history) {
    for (const auto& def : mainMenu()) items_[std::string(def.name)] = {};
}

ItemState& MainController::state(std::string_view name) {
    auto it = items_.find(name);
    if (it == items_.end()) it = items_.emplace(std::string(name), ItemState{}).first;
    return it->second;
}

const ItemState& MainController::item(std::string_view name) const {
    static const ItemState none{"", false, false, false, false};
    auto it = items_.find(name);
    return it == items_.end() ? none : it->second;
}

void MainController::notify() {
    if (changed) changed();
}

void MainController::start() {
    applyLanguage();
    applyFixedValues(session_.app);
    session_.machineNumber = 0;
    registerType_ = 0;
    refreshSetupCounts();
    refreshUserReports();
    state("IndividualKeyboards1").stateEnabled = session_.app.flag(appblock::kFlagNetworkSize) != 0;
    state("IndividualPrinters1").stateEnabled = session_.app.flag(appblock::kFlagNetworkSize) != 0;
    recompute();
    notify();
}

void MainController::recoverInterruptedLoads() {
    std::set<std::filesystem::path> folders;
    for (const auto& entry : history_.entries()) folders.insert(std::filesystem::path(entry).parent_path());
    if (!history_.current().empty()) folders.insert(std::filesystem::path(history_.current()).parent_path());
    for (const auto& folder : folders) {
        std::error_code ec;
        if (folder.empty() || !std::filesystem::is_directory(folder, ec)) continue;
        for (const auto& problem : recoverStagingFolders(folder))
            prompter_.message(MessageKind::Warning, "Warning", problem);
    }
}

void MainController::applyLanguage() {
    for (const auto& def : mainMenu()) {
        auto& s = state(def.name);
        if (def.kind == ItemKind::Separator) {
            s = {};
        } else if (def.text >= 0) {
            const auto& t = texts_.text(def.text);
            s.caption = t;
            s.visible = !t.empty();
            s.languageEnabled = texts_.enabled(def.text);
            s.stateEnabled = true;
        } else {
            s.caption = std::string(def.fixedCaption);
        }
        if (def.flags & kHiddenAtStart) {
            s.visible = false;
            s.stateEnabled = false;
        }
        if (def.flags & kCopyItem) s.stateEnabled = false;
    }
}

std::string MainController::setupValue(const SetupCountDef& def) const {
    const auto& app = session_.app;
    const auto yesNo = [&](bool on) { return texts_.text(on ? kYesText : kNoText); };
    switch (def.value) {
        case SetupValue::SystemReports: return std::to_string(countActiveTotals(app, 0));
        case SetupValue::RecordCount: return std::to_string(recordCount(app, def.kind));
        case SetupValue::IndividualKeyboards: return yesNo(app.get(appblock::kIndividualKeyboards));
        case SetupValue::IndividualPrinters: return yesNo(app.get(appblock::kIndividualPrinters));
        case SetupValue::FloatingClerks: return std::to_string(app.flag(appblock::kFlagFloatingClerks));
        case SetupValue::GraphicLogo: return yesNo((app.get(appblock::kLogoSetting) & 0x0F) != 0);
    }
    return {};
}

void MainController::refreshSetupCounts() {
    for (const auto& def : setupCounts()) {
        const auto* item = findMenuItem(def.name);
        if (!item) continue;
        state(def.name).caption = texts_.text(item->text) + "\t" + setupValue(def);
    }
}

void MainController::refreshUserReports() {
    for (int i = 0; i < kUserReportCount; ++i) {
        const auto offset = appblock::kUserReports + appblock::kUserReportSize * static_cast<std::size_t>(i) + 2;
        std::string title = oemToUtf8(session_.app.slice(offset, 24));
        title = firstChars(title, 23);
        const bool blank = title.find_first_not_of(' ') == std::string::npos;
        state("mUserReport" + std::to_string(i + 1)).caption =
            blank ? texts_.text(kUserReportText) + std::to_string(i + 1) : escapeAccelerators(title);
    }
}

void MainController::refreshMachine() {
    const bool network = session_.app.flag(appblock::kFlagNetworkSize) != 0;
    state("IndividualKeyboards1").stateEnabled = network;
    state("IndividualPrinters1").stateEnabled = network;
}

void MainController::recompute() { memoryPanel_ = recomputeSizes(session_.app).text(); }

void MainController::refresh() {
    refreshSetupCounts();
    refreshUserReports();
    refreshMachine();
    recompute();
    notify();
}

std::string MainController::caption() const {
    if (!session_.loaded || session_.programPath.empty()) return kAppTitle;
    return std::string(kAppTitle) + " - " + session_.programPath.string();
}

std::string MainController::machinePanel() const {
    return std::string(kMachinePanelText) + " " + std::to_string(session_.machineNumber);
}

bool MainController::menuLocked(std::string_view topMenu) const {
    const auto* def = findMenuItem(topMenu);
    return editMode_ && def && (def->flags & kEditMenuLocked);
}

bool MainController::toolEnabled(std::string_view name) const {
    if (editMode_ && name != "FileExit") return false;
    return item(name).enabled();
}

std::string MainController::toolHint(std::string_view name) const {
    const auto* def = findMenuItem(name);
    return def && def->text >= 0 ? texts_.plain(def->text) : std::string{};
}

void MainController::error(const std::string& text) { prompter_.message(MessageKind::Error, "Error", text); }

bool MainController::mayRun(std::string_view handler) {
    const auto* def = findMenuItemByHandler(handler);
    if (!def) return true;
    if ((def->flags & kRequiresProgram) && !session_.loaded) {
        const bool titledError = def->flags & kProgramTitledError;
        prompter_.message(titledError ? MessageKind::Error : MessageKind::Warning,
                          titledError ? "Error" : "Warning", texts_.text(kNoProgramText));
        return false;
    }
    if (def->handler == "mHandheldOptionsClick" && session_.app.flag(kDectModuleFlag) == kDectModuleValue) {
        prompter_.message(MessageKind::Warning, "Warning", kDectConnected);
        return false;
    }
    if (const auto* guard = findEditGuard(def->handler)) {
        const auto& app = session_.app;
        bool available = recordCount(app, guard->kind) != 0;
        if (guard->requirement == EditRequirement::PbFunctions)
            available = available && app.get(appblock::kPbCount) != 0;
        if (guard->requirement == EditRequirement::PbInfo)
            available = available && ((app.get(appblock::kPbFlags) & 0x0F) != 0 ||
                                      app.get(appblock::kPbTextSize) != 0);
        if (!available) {
            prompter_.message(MessageKind::Error, texts_.text(kApplicationErrorText), texts_.text(kNotAvailableText));
            return false;
        }
        std::error_code ec;
        if (guard->checksFile &&
            !std::filesystem::exists(session_.file(kindInfo(guard->kind).extension), ec)) {
            prompter_.message(MessageKind::Error, texts_.text(kApplicationErrorText),
                              "File not found, create new in SETUP!");
            return false;
        }
    }
    return true;
}

void MainController::loadFromDisk() {
    restoreMachineOneReporting();
    FileDialogRequest request;
    request.title = texts_.plain(10);
    request.directory = TOrvaltRegistry(settings_, kSettingsRoot).ReadString(kLastOpenFilePath);
    request.filter = kLoadFilter;
    request.defaultSuffix = "app";
    const auto chosen = prompter_.openFile(request);
    if (!chosen) return;
    load(*chosen);
}

void MainController::restoreMachineOneReporting() {
    std::vector<std::string> warnings;
    restoreMachineOne(session_, warnings);
    warn(warnings);
}

void MainController::warn(const std::vector<std::string>& warnings) {
    if (warnings.empty()) return;
    std::string text;
    for (const auto& w : warnings) text += (text.empty() ? "" : "\n") + w;
    prompter_.message(MessageKind::Warning, "Warning", text);
}

void MainController::loadSilently(const std::filesystem::path& path) {
    restoreMachineOneReporting();
    load(path);
}

void MainController::keepInHistory(const std::filesystem::path& program) {
    std::error_code ec;
    if (program.empty() || !std::filesystem::exists(program, ec)) return;
    const auto outcome = history::ProgramHistory(program).keepCurrent();
    if (!outcome.warning.empty()) prompter_.message(MessageKind::Warning, "Warning", history::warningText(outcome));
}

void MainController::closeProgram() {
    // A day of dialog edits becomes one version, when the program is closed.
    if (session_.loaded) keepInHistory(session_.programPath);
}

void MainController::load(const std::filesystem::path& chosen) {
    const std::filesystem::path path = appPath(chosen);
    closeProgram();
    LoadResult result;
    try {
        result = loadProgram(session_, path);
    } catch (const std::exception& e) {
        error(e.what());
        return;
    }
    warn(result.warnings);
    switch (result.outcome) {
        case LoadOutcome::FileError: error("File Error!"); return;
        case LoadOutcome::WrongApplication: error("Wrong Application!"); return;
        case LoadOutcome::Unfinished: error(loadOutcomeMessage(result.outcome)); return;
        case LoadOutcome::OpenError:
            TOrvaltRegistry(settings_, kSettingsRoot)
                .WriteString(kLastOpenFilePath, (path.parent_path() / "").string());
            error(texts_.text(kErrorOpeningText));
            refreshMachine();
            memoryPanel_ = result.memory.text();
            notify();
            return;
        case LoadOutcome::Loaded:
            TOrvaltRegistry(settings_, kSettingsRoot)
                .WriteString(kLastOpenFilePath, (path.parent_path() / "").string());
            afterLoad(path);
            memoryPanel_ = result.memory.text();
            notify();
            return;
    }
}

void MainController::adoptLoadedProgram(const std::filesystem::path& path) {
    if (!session_.loaded) return;
    TOrvaltRegistry(settings_, kSettingsRoot).WriteString(kLastOpenFilePath, (path.parent_path() / "").string());
    afterLoad(path);
    recompute();
    notify();
}

void MainController::afterLoad(const std::filesystem::path& path) {
    history_.add(path.string());
    state("mFileCopyTo").stateEnabled = true;
    state("mClearPluFileinRegister").stateEnabled = session_.app.get(appblock::kPluRandomCodeSize) != 0;
    selectRegisterType();
    refreshUserReports();
    auto& handheld = state("mHandheldOptions");
    handheld.stateEnabled = true;
    handheld.visible = texts_.visible(823);
    state("mNetworkSize").caption = texts_.text(kNetworkSizeText);
    refreshSetupCounts();
    refreshMachine();
}

void MainController::selectRegisterType() {
    if (!session_.loaded) return;
    state("Boran1").checked = true;
    auto& handheld = state("mHandheldOptions");
    handheld.stateEnabled = true;
    handheld.visible = texts_.visible(823);
    registerType_ = 3;
    writeApplication();
    notify();
}

bool MainController::writeApplication() {
    try {
        setup::writeApplicationFile(session_);
        return true;
    } catch (const std::exception& e) {
        error(e.what());
        return false;
    }
}

void MainController::createNewProgram() {
    FileDialogRequest request;
    request.title = "Create New Program";
    request.directory = TOrvaltRegistry(settings_, kSettingsRoot).ReadString(kLastOpenFilePath);
    request.filter = kSaveFilter;
    request.defaultSuffix = "app";
    const auto chosen = prompter_.saveFile(request);
    if (!chosen) return;
    // The file checked is the one that will be written.
    const auto target = std::filesystem::path(appPath(withAppExtension(*chosen)));
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && !prompter_.confirm("", "File Exists Overwrite ? ")) return;
    state("mFileCopyTo").stateEnabled = true;
    try {
        restoreMachineOneReporting();
        closeProgram();
        // A program replaced by a new one can still be put back.
        keepInHistory(target);
        const auto result = createProgram(session_, target);
        warn(result.warnings);
        switch (result.outcome) {
            case LoadOutcome::Loaded:
                TOrvaltRegistry(settings_, kSettingsRoot)
                    .WriteString(kLastOpenFilePath, (target.parent_path() / "").string());
                afterLoad(session_.programPath.empty() ? target : session_.programPath);
                break;
            case LoadOutcome::FileError: error("File Error!"); break;
            case LoadOutcome::WrongApplication: error("Wrong Application!"); break;
            case LoadOutcome::OpenError: error(texts_.text(kErrorOpeningText)); break;
            case LoadOutcome::Unfinished: error(loadOutcomeMessage(result.outcome)); break;
        }
    } catch (const std::exception& e) {
        error(e.what());
    }
    refreshMachine();
    recompute();
    notify();
}

void MainController::copyProgramTo() {
    if (!session_.loaded) {
        prompter_.message(MessageKind::Warning, "Warning", texts_.text(kNoProgramText));
        return;
    }
    FileDialogRequest request;
    request.title = texts_.plain(15);
    request.directory = session_.programPath.parent_path();
    request.filter = kSaveFilter;
    request.defaultSuffix = "app";
    const auto chosen = prompter_.saveFile(request);
    if (!chosen) return;
    const auto target = std::filesystem::path(appPath(withAppExtension(*chosen)));
    // Copying a program onto itself would only risk its files.
    if (sameFile(target, session_.programPath)) return;
    std::error_code ec;
    if (std::filesystem::exists(target, ec) &&
        !prompter_.confirm("Message Box", "Application Exists Overwrite ? "))
        return;
    try {
        copyProgram(session_, target);
    } catch (const std::exception& e) {
        error(e.what());
    }
}

void MainController::deleteProgram() {
    FileDialogRequest request;
    request.title = texts_.plain(16);
    request.directory = TOrvaltRegistry(settings_, kSettingsRoot).ReadString(kLastOpenFilePath);
    request.filter = kLoadFilter;
    request.defaultSuffix = "app";
    request.acceptLabel = "&Delete";
    const auto chosen = prompter_.openFile(request);
    if (!chosen) return;
    std::error_code ec;
    if (!std::filesystem::exists(*chosen, ec)) return;
    if (!prompter_.confirm("Warning", "Are You Sure ?")) return;
    const auto target = std::filesystem::path(appPath(*chosen));
    // The history stays beside the programs: a deleted program can be put back.
    keepInHistory(target);
    try {
        tramond::deleteProgram(session_, target);
    } catch (const std::exception& e) {
        error(e.what());
    }
    // A deleted program in the history would only lead to "File Error!".
    auto asApp = target;
    asApp.replace_extension(".app");
    history_.remove(target.string());
    history_.remove(asApp.string());
    if (!session_.loaded) state("Boran1").checked = false;
    notify();
}

void MainController::close() {
    restoreMachineOneReporting();
    closeProgram();
    if (!history_.saveOnExit()) prompter_.message(MessageKind::Error, "Error", "Could not save history file");
}

void MainController::applyCommandLine(const CommandLine& commandLine) {
    // Evaluated once: a second activation of the window must not load again.
    if (commandLineDone_) return;
    commandLineDone_ = true;
    if (commandLine.arguments.empty()) return;
    if (commandLine.singleProgram()) {
        loadSilently(commandLine.programPath);
        return;
    }
    if (commandLine.mode == CommandMode::Edit) {
        editMode_ = true;
        loadSilently(commandLine.programPath);
        notify();
    }
}

}  // namespace tramond
