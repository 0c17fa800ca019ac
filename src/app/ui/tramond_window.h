#pragma once
// The main window TTramond: menus and tool bar built from the menu table,
// the status bar, the logo, and the dispatch of every item to its handler.
// Behaviour lives in MainController; this class maps it onto widgets.

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/file_history.h"
#include "app/main_controller.h"
#include "app/ui/menu_registry.h"

namespace tramond {

class DialogConventions;

struct AppServices {
    SettingsStore& settings;
    Prompter& prompter;
    Shell& shell;
    std::filesystem::path programDir;
    // Where the shipped help and window logo are found when the program's
    // own directory has none (resourceDirectories()).
    std::vector<std::filesystem::path> resourceDirs = {};
};

class TTramond : public QMainWindow {
    Q_OBJECT
public:
    TTramond(ProgramSession& session, LanguageTexts& texts, AppServices services, const MenuRegistry& registry,
             QWidget* parent = nullptr);
    ~TTramond() override;

    // Evaluated at the first activation of the window.
    void setCommandLine(CommandLine commandLine) { commandLine_ = std::move(commandLine); }
    // Runs the command line now (the first activation does it otherwise).
    void evaluateCommandLine();

    MainController& controller() { return *controller_; }
    AppContext& context() { return context_; }
    FileHistory& history() { return history_; }

    // The menu action of an item ("mFileLoadDisk"), its tool-bar twin, and
    // the history entries as the File menu shows them.
    QAction* action(std::string_view name) const;
    QAction* toolAction(std::string_view name) const;
    std::vector<QAction*> historyActions() const { return historyActions_; }
    QLabel* statusPanel(int index) const { return panels_.at(static_cast<std::size_t>(index)); }

    // Runs an item as a click does: the guards, then its handler.
    void runHandler(std::string_view handler);

    // Shows help for a context (0: the contents).
    void showHelp(int context);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildLogo();
    void sync();
    void rebuildHistory();
    bool hasHandler(const MenuItemDef& def) const;
    void runOwn(std::string_view handler);
    void openHomePage();
    void openWithBrowser(const std::string& address);
    void showAbout();

    ProgramSession& session_;
    LanguageTexts& texts_;
    AppServices services_;
    const MenuRegistry& registry_;
    FileHistory history_;
    std::unique_ptr<MainController> controller_;
    AppContext context_;
    std::map<std::string, QAction*, std::less<>> actions_;
    std::map<std::string, QAction*, std::less<>> toolActions_;
    std::vector<QAction*> historyActions_;
    std::vector<QLabel*> panels_;
    std::optional<CommandLine> commandLine_;
    bool closed_ = false;
    std::unique_ptr<DialogConventions> conventions_;
};

// Start-up steps 1 to 4 before the main window exists: the installation
// check, the language chooser when the pack is missing (not in the
// unattended modes, nor without a display), and the pack loaded into texts.
void prepareLanguage(LanguageTexts& texts, SettingsStore& settings, const std::filesystem::path& programDir,
                     bool askForLanguage, const std::vector<std::filesystem::path>& resourceDirs = {});

}  // namespace tramond
