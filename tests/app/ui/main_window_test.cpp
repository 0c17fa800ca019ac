#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QStatusBar>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <fstream>

#include "app/app_test_support.h"
#include "app/help_index.h"
#include "app/language_pack.h"
#include "app/ui/language_form.h"
#include "app/ui/tramond_window.h"
#include "platform/settings_qt.h"
#include "program/program_ops.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

struct FakeShell : Shell {
    bool openDocument(const std::string& address) override {
        opened.push_back(address);
        return succeed;
    }
    bool hasBrowser() const override { return browser; }
    std::vector<std::string> opened;
    bool succeed = true;
    bool browser = true;
};

fs::path makeProgram(const fs::path& dir, const std::string& name) {
    ProgramSession s;
    const auto path = dir / (name + ".app");
    EXPECT_TRUE(createProgram(s, path).ok());
    return path;
}

std::vector<std::string> lines(const fs::path& p) {
    std::ifstream in(p);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

struct MainWindow : ::testing::Test {
    TempDir home;
    TempDir work;
    MemorySettingsStore settings;
    FakePrompter prompter;
    FakeShell shell;
    ProgramSession session;
    LanguageTexts texts = LanguageTexts::builtIn();
    MenuRegistry registry;
    std::map<std::string, int> calls;
    std::unique_ptr<TTramond> window;

    void registerCounting(std::string handler) {
        registry.add(handler, [this, handler](AppContext&) { ++calls[handler]; });
    }
    TTramond& open() {
        prepareLanguage(texts, settings, home.path(), false);
        window = std::make_unique<TTramond>(session, texts, AppServices{settings, prompter, shell, home.path()},
                                            registry);
        return *window;
    }
    QAction* act(std::string_view name) { return window->action(name); }
};

TEST_F(MainWindow, CustomPackHidesAndGreysItems) {
    // Line N sets entry N-1: line 13 empties Update Register (12), line 12
    // greys Load from Register (11); line 2 greys the Setup menu title.
    std::ofstream(home.path() / "Tramond.mwt", std::ios::binary)
        << "  13,\r\n  12, Load from &Register\r\n   2, &Setup\r\n 656,\r\n";
    registerCounting("mFileLoadRegisterClick");
    registerCounting("mFileUpdateRegisterClick");
    registerCounting("mClerkOptionsClick");
    open();
    EXPECT_FALSE(act("mFileUpdateRegister")->isVisible());
    EXPECT_FALSE(window->toolAction("mFileUpdateRegister")->isVisible());
    EXPECT_TRUE(act("mFileLoadRegister")->isVisible());
    EXPECT_FALSE(act("mFileLoadRegister")->isEnabled());
    EXPECT_FALSE(window->toolAction("mFileLoadRegister")->isEnabled());
    EXPECT_EQ(act("mFileLoadRegister")->text(), " Load from &Register");
    EXPECT_FALSE(act("mSetup")->isEnabled());
    EXPECT_FALSE(act("mClerkOptions")->isVisible());
    // An item whose dialog this build lacks stays disabled; the window's own work.
    EXPECT_TRUE(act("mPrint")->isVisible());
    EXPECT_FALSE(act("mPrint")->isEnabled());
    EXPECT_TRUE(act("mFileLoadDisk")->isEnabled());
    EXPECT_TRUE(act("mFileCreateProgram")->isEnabled());
    EXPECT_FALSE(act("mFileCopyTo")->isEnabled());
    EXPECT_FALSE(act("mEuroConversion")->isVisible());
    // Tool-bar hints carry no accelerator marks.
    EXPECT_EQ(window->toolAction("mFileInstallRegister")->toolTip(), "Clear & Install Register");
    EXPECT_EQ(window->toolAction("mFileLoadDisk")->toolTip(), "Load from Disk");
}

TEST_F(MainWindow, HistoryOrderAfterLoadingABCAndSavingOnExit) {
    const auto a = makeProgram(work.path(), "A");
    const auto b = makeProgram(work.path(), "B");
    const auto c = makeProgram(work.path(), "C");
    open();
    EXPECT_TRUE(fs::exists(home.path() / "History.txt"));
    EXPECT_TRUE(window->historyActions().empty());
    for (const auto& p : {a, b, c}) window->controller().loadSilently(p);
    const auto hist = window->historyActions();
    ASSERT_EQ(hist.size(), 3u);
    EXPECT_EQ(hist[0]->text().toStdString(), "&1 " + b.string());
    EXPECT_EQ(hist[1]->text().toStdString(), "&2 " + a.string());
    EXPECT_TRUE(hist[2]->isSeparator());
    // Between the separator before Exit and Exit.
    const auto items = window->findChild<QMenu*>("mFile")->actions();
    const auto at = [&](QAction* x) { return items.indexOf(x); };
    EXPECT_EQ(at(hist[0]), at(act("N3")) + 1);
    EXPECT_EQ(at(act("FileExit")), at(hist[2]) + 1);
    EXPECT_EQ(window->windowTitle().toStdString(), "Tramond - " + c.string());

    // Choosing an entry loads it without a dialog and moves it to the top.
    hist[1]->trigger();
    EXPECT_TRUE(prompter.requests.empty());
    EXPECT_EQ(session.programPath, a);
    EXPECT_EQ(window->historyActions()[0]->text().toStdString(), "&1 " + c.string());

    window->close();
    EXPECT_EQ(lines(home.path() / "History.txt"), (std::vector<std::string>{a.string(), c.string(), b.string()}));
}

TEST_F(MainWindow, EditGuardsShowTheirMessagesAndTitles) {
    for (auto h : {"mEditDepartFileClick", "mEditSalPerFileClick", "mEditGroupFileClick", "mSharedPbInfoFileClick"})
        registerCounting(h);
    open();
    act("mEditDepartFile")->trigger();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "No Program Loaded !");
    EXPECT_EQ(prompter.messages[0].title, "Warning");
    act("mSharedPbInfoFile")->trigger();
    EXPECT_EQ(prompter.messages.back().title, "Error");
    EXPECT_EQ(prompter.messages.back().text, "No Program Loaded !");

    const auto app = makeProgram(work.path(), "shop");
    window->controller().loadSilently(app);
    fs::remove(session.file(".grp"));
    prompter.messages.clear();
    act("mEditSalPerFile")->trigger();
    act("mEditGroupFile")->trigger();
    act("mEditDepartFile")->trigger();
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].text, "Not Available with this Application !!");
    EXPECT_EQ(prompter.messages[0].title, "Application Error");
    EXPECT_EQ(prompter.messages[1].text, "File not found, create new in SETUP!");
    EXPECT_EQ(prompter.messages[1].title, "Application Error");
    EXPECT_EQ(calls["mEditDepartFileClick"], 1);
    EXPECT_EQ(calls["mEditSalPerFileClick"], 0);
    EXPECT_EQ(calls["mEditGroupFileClick"], 0);
}

TEST_F(MainWindow, LoadRefusesA2846ByteFileAndKeepsTheLoadedProgram) {
    const auto good = makeProgram(work.path(), "good");
    open();
    window->controller().loadSilently(good);
    const auto before = session.app;
    const auto bad = work.path() / "bad.app";
    std::ofstream(bad, std::ios::binary) << std::string(2846, 'x');
    prompter.answers.push_back(bad);
    act("mFileLoadDisk")->trigger();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Wrong Application!");
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(session.app, before);
    EXPECT_EQ(session.programPath, good);
    EXPECT_EQ(window->windowTitle().toStdString(), "Tramond - " + good.string());
    EXPECT_TRUE(window->historyActions().empty());
    EXPECT_EQ(fs::file_size(bad), 2846u);
}

TEST_F(MainWindow, DeletingTheLoadedProgramReturnsEveryProgramItemToNoProgramLoaded) {
    std::vector<std::string> programItems;
    for (const auto& def : mainMenu())
        if ((def.flags & kRequiresProgram) && !(def.flags & kHiddenAtStart)) {
            registerCounting(std::string(def.handler));
            programItems.emplace_back(def.name);
        }
    const auto app = makeProgram(work.path(), "shop");
    open();
    window->controller().loadSilently(app);
    prompter.answers.push_back(app);
    act("mFileDelProgram")->trigger();
    EXPECT_EQ(prompter.confirmations.back().text, "Are You Sure ?");
    EXPECT_FALSE(fs::exists(app));
    EXPECT_EQ(window->windowTitle(), "Tramond");
    prompter.messages.clear();
    for (const auto& name : programItems) {
        ASSERT_TRUE(act(name)->isEnabled()) << name;
        act(name)->trigger();
    }
    ASSERT_EQ(prompter.messages.size(), programItems.size());
    for (const auto& m : prompter.messages) EXPECT_EQ(m.text, "No Program Loaded !");
    for (const auto& [handler, n] : calls) EXPECT_EQ(n, 0) << handler;
}

TEST_F(MainWindow, SingleArgumentStartLoadsSilentlyAndPutsItOnTop) {
    const auto app = makeProgram(work.path(), "shop");
    std::ofstream(home.path() / "History.txt") << "/old/one.app\r\n";
    open();
    window->setCommandLine(parseCommandLine({app.string()}));
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    window->evaluateCommandLine();  // no-op when the activation already did it
    EXPECT_TRUE(session.loaded);
    EXPECT_TRUE(prompter.requests.empty());
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(window->windowTitle().toStdString(), "Tramond - " + app.string());
    window->close();
    EXPECT_EQ(lines(home.path() / "History.txt"), (std::vector<std::string>{app.string(), "/old/one.app"}));
}

TEST_F(MainWindow, EditModeLocksFileSetupAndTheToolBarButExit) {
    const auto app = makeProgram(work.path(), "shop");
    registerCounting("mFileLoadRegisterClick");
    open();
    window->setCommandLine(parseCommandLine({app.string(), "EMODE"}));
    window->evaluateCommandLine();
    EXPECT_TRUE(session.loaded);
    EXPECT_FALSE(act("mFile")->isEnabled());
    EXPECT_FALSE(act("mSetup")->isEnabled());
    EXPECT_TRUE(act("mEdit")->isEnabled());
    for (auto name : toolBarItems())
        EXPECT_EQ(window->toolAction(name)->isEnabled(), name == "FileExit") << name;
}

TEST_F(MainWindow, StatusBarPanelsAndSetupCounts) {
    open();
    EXPECT_NE(window->statusPanel(0)->text().indexOf("Memory Required"), -1);
    EXPECT_TRUE(window->statusPanel(1)->text().isEmpty());
    EXPECT_EQ(window->statusPanel(2)->text(), "Settings for machine :  0");
    window->show();
    for (const int width : {900, 300}) {
        window->resize(width, 300);
        QApplication::processEvents();
        SCOPED_TRACE(window->width());
        if (width == 900) {
            EXPECT_GE(window->statusPanel(0)->width(), 230);
            EXPECT_GE(window->statusPanel(1)->width(), 140);
        }
        // A narrow window cuts the panels' texts, never lays one over another.
        const QRect bar = window->statusBar()->rect();
        for (int i = 0; i < 3; ++i) {
            const QRect a = window->statusPanel(i)->geometry();
            EXPECT_TRUE(bar.contains(a)) << i;
            for (int k = i + 1; k < 3; ++k) EXPECT_FALSE(a.intersects(window->statusPanel(k)->geometry())) << i << k;
        }
    }
    // The pack written from the table cut the count line at its colon.
    EXPECT_EQ(act("Departments1")->text().toStdString(), texts.text(44) + "\t20");
    EXPECT_EQ(texts.text(44).find(':'), std::string::npos);
}

TEST_F(MainWindow, HomePageAndHelpGoThroughTheShell) {
    fs::create_directories(home.path() / "Help" / "english");
    fs::copy_file(fs::path(TRAMOND_SOURCE_DIR) / "resources" / "Help" / "english" / "Tramond.html",
                  home.path() / "Help" / "english" / "Tramond.html");
    fs::copy_file(fs::path(TRAMOND_SOURCE_DIR) / "resources" / "Help" / "english" / "Tramond.cnt",
                  home.path() / "Help" / "english" / "Tramond.cnt");
    open();
    act("mDistributorHomePage")->trigger();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], texts.text(908));
    act("Contents")->trigger();
    EXPECT_EQ(shell.opened.back(), (home.path() / "Help" / "english" / "Tramond.html").string());
    window->showHelp(60);
    EXPECT_EQ(shell.opened.back(), (home.path() / "Help" / "english" / "Tramond.html").string() + "#register-keyboard");
    shell.succeed = false;
    act("mDistributorHomePage")->trigger();
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back().text, "Could not create process");

    // Without a browser the help says so, and where the help file is.
    shell.browser = false;
    const auto before = shell.opened.size();
    window->showHelp(60);
    EXPECT_EQ(shell.opened.size(), before);
    EXPECT_EQ(prompter.messages.back().text,
              noBrowserMessage((home.path() / "Help" / "english" / "Tramond.html").string() + "#register-keyboard"));
    EXPECT_TRUE(prompter.messages.back().text.ends_with("Tramond.html")) << "no anchor";
}

TEST(LanguageForm, EnglishCopiesTheShippedPackRecreateCopiesNothing) {
    TempDir dir;
    fs::copy(fs::path(TRAMOND_SOURCE_DIR) / "resources", dir.path(), fs::copy_options::recursive);
    {
        TLanguageForm form(dir.path());
        form.setQuiet(true);
        form.setChoice(7);
        form.BitBtn1Click();
        EXPECT_FALSE(fs::exists(dir.path() / "Tramond.mwt"));
    }
    TLanguageForm form(dir.path());
    form.setQuiet(true);
    EXPECT_EQ(form.windowTitle(), "Select your language");
    // Only English ships here: every other pack says so before it is chosen.
    QStringList shown;
    for (auto* r : form.findChildren<QRadioButton*>()) shown << r->text();
    EXPECT_TRUE(shown.contains("English"));
    EXPECT_TRUE(shown.contains(QString("Dutch") + kNotInstalledMark));
    form.setChoice(0);
    form.BitBtn1Click();
    EXPECT_TRUE(form.failures().empty());
    EXPECT_TRUE(fs::exists(dir.path() / "Tramond.mwt"));
    EXPECT_TRUE(fs::exists(dir.path() / "Tramond.html"));
    EXPECT_TRUE(fs::exists(dir.path() / "Tramond.cnt"));
}

TEST(QtSettings, KeyPathsAreGroupsAndMissingValuesAreCreatedEmpty) {
    QTemporaryDir dir;
    const QString file = dir.filePath("tramond.ini");
    {
        QtSettingsStore store(file);
        EXPECT_EQ(store.read("Software\\Orvalt\\Tramond\\CommsProperties", "Port"), "");
        EXPECT_TRUE(store.contains("Software\\Orvalt\\Tramond\\CommsProperties", "Port"));
        store.write("Software\\Orvalt\\Tramond", "LastOpenFilePath", "/progs/");
    }
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value("Software/Orvalt/Tramond/LastOpenFilePath").toString(), "/progs/");
    EXPECT_TRUE(raw.contains("Software/Orvalt/Tramond/CommsProperties/Port"));
    QtSettingsStore again(file);
    EXPECT_EQ(again.read("Software\\Orvalt\\Tramond", "LastOpenFilePath"), "/progs/");
}

}  // namespace
}  // namespace tramond
