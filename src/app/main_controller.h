#pragma once
// The behaviour of the main window without its widgets: which menu items
// are shown, enabled and how they are captioned; the guards before a
// handler runs; Load from Disk, Create New Program, Copy Program to and
// Delete a Program; the caption and the status-bar panels. The view maps
// this state onto its actions after every change.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/file_history.h"
#include "app/language_texts.h"
#include "app/main_menu.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "program/session.h"

namespace tramond {

inline constexpr const char* kAppTitle = "Tramond";
inline constexpr const char* kMachinePanelText = "Settings for machine : ";
inline constexpr int kNoProgramText = 392;        // "No Program Loaded !"
inline constexpr int kErrorOpeningText = 398;     // "Error opening File !!"
inline constexpr int kNotAvailableText = 400;     // "Not Available with this Application !!"
inline constexpr int kApplicationErrorText = 682;  // "Application Error"

struct ItemState {
    std::string caption;
    bool visible = true;
    bool languageEnabled = true;  // the text does not begin with a blank
    bool stateEnabled = true;     // what the program state allows
    bool checked = false;
    bool enabled() const { return visible && languageEnabled && stateEnabled; }
};

class MainController {
public:
    MainController(ProgramSession& session, LanguageTexts& texts, SettingsStore& settings,
                   Prompter& prompter, FileHistory& history);

    // Start-up steps 5 and 6: the language table applied to every item, the
    // items hidden at start, the fixed values, machine 0, the counts.
    void start();
    // After the history is read: a Load from Register that was cut off while
    // putting its files in place is finished in each remembered program's
    // folder, and staging folders nobody owns any more are removed.
    void recoverInterruptedLoads();

    const ItemState& item(std::string_view name) const;
    // A tool-bar button's state (its menu twin's, less the "emode" lock).
    bool toolEnabled(std::string_view name) const;
    std::string toolHint(std::string_view name) const;
    bool menuLocked(std::string_view topMenu) const;  // File and Setup in "emode"

    std::string caption() const;
    const std::string& memoryPanel() const { return memoryPanel_; }
    std::string machinePanel() const;
    int registerType() const { return registerType_; }

    // The loaded-program check and the Edit-menu guards; shows the message
    // and returns false when the handler must not run.
    bool mayRun(std::string_view handler);

    // The main window's own handlers.
    void loadFromDisk();                                // the open dialog
    void loadSilently(const std::filesystem::path& path);  // history, command line
    // A program already loaded into the session by another way (Load from
    // Register) ends as a load from disk does.
    void adoptLoadedProgram(const std::filesystem::path& path);
    void createNewProgram();
    void copyProgramTo();
    void deleteProgram();
    void selectRegisterType();  // Boran1Click
    // Closing: the machine-switch restore, then the history is saved.
    void close();

    // The command line, evaluated once: loads argument 1 and locks the File
    // and Setup menus in "emode". The transfer modes are not handled here.
    void applyCommandLine(const CommandLine& commandLine);

    // After a dialog changed the blocks: counts, sizes, panels.
    void refresh();

    ProgramSession& session() { return session_; }
    const LanguageTexts& texts() const { return texts_; }
    FileHistory& history() { return history_; }

    // Called after every change of the state above.
    std::function<void()> changed;

private:
    ItemState& state(std::string_view name);
    void notify();
    void applyLanguage();
    void refreshSetupCounts();
    void refreshUserReports();
    void refreshMachine();
    void recompute();
    void load(const std::filesystem::path& path);
    void afterLoad(const std::filesystem::path& path);
    void error(const std::string& text);
    void warn(const std::vector<std::string>& warnings);
    void restoreMachineOneReporting();
    // Records the program's files as a version when they changed since the
    // last one; a failure is a warning.
    void keepInHistory(const std::filesystem::path& program);
    void closeProgram();
    std::string setupValue(const SetupCountDef& def) const;
    bool writeApplication();

    ProgramSession& session_;
    LanguageTexts& texts_;
    SettingsStore& settings_;
    Prompter& prompter_;
    FileHistory& history_;
    std::map<std::string, ItemState, std::less<>> items_;
    std::string memoryPanel_;
    bool editMode_ = false;
    bool commandLineDone_ = false;
    int registerType_ = 0;
};

}  // namespace tramond
