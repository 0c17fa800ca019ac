#include <QApplication>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>

#include "app/command_line.h"
#include "app/language_texts.h"
#include "app/program_dir.h"
#include "app/ui/qt_prompter.h"
#include "app/ui/tramond_window.h"
#include "platform/qt_messages.h"
#include "platform/settings_qt.h"
#include "platform/shell_qt.h"
#include "link/ui/register_ops_menu.h"
#include "register_all.h"

namespace {

std::filesystem::path findProgramDir(const QString& applicationDir) {
    std::optional<std::filesystem::path> home;
    if (const char* h = std::getenv("TRAMOND_HOME"); h && *h) home = std::filesystem::path(h);
    return tramond::programDirectory(
        home, applicationDir.toStdString(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
}

// The transfer modes run from scheduled jobs, often on machines without a
// display: no window, messages and progress on stderr, the exit status tells
// the script whether the register got the program.
int runWithoutWindow(int argc, char** argv, const tramond::CommandLine& commandLine) {
    tramond::platform::keepQtDiagnosticsQuiet();
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Orvalt");
    QCoreApplication::setApplicationName("Tramond");
    const auto programDir = findProgramDir(QCoreApplication::applicationDirPath());
    tramond::QtSettingsStore settings;
    tramond::LanguageTexts texts = tramond::LanguageTexts::builtIn();
    tramond::prepareLanguage(texts, settings, programDir, false,
                             tramond::resourceDirectories(QCoreApplication::applicationDirPath().toStdString()));
    tramond::ProgramSession session;
    session.unattended = true;
    return tramond::runUnattendedCommand(commandLine, session, settings, programDir);
}

constexpr const char* kVersion = "0.1";

bool haveDisplay() {
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// A verb runs before (and instead of) any window; drawing verbs get a GUI
// application on the offscreen platform when there is no display.
int runVerb(int argc, char** argv, const tramond::Verb& verb, std::vector<std::string> args) {
    args.erase(args.begin());
    tramond::platform::keepQtDiagnosticsQuiet();
    const auto withApplication = [&](const std::function<int()>& run) -> int {
        switch (verb.needs) {
            case tramond::VerbNeeds::Nothing:
                return run();
            case tramond::VerbNeeds::CoreApplication: {
                QCoreApplication app(argc, argv);
                QCoreApplication::setOrganizationName("Orvalt");
                QCoreApplication::setApplicationName("Tramond");
                return run();
            }
            case tramond::VerbNeeds::GuiApplication: {
                if (!haveDisplay()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
                QGuiApplication app(argc, argv);
                QGuiApplication::setOrganizationName("Orvalt");
                QGuiApplication::setApplicationName("Tramond");
                return run();
            }
        }
        return tramond::kVerbUsage;
    };
    return tramond::runVerbCommand(verb, std::move(args), std::cout, std::cerr, withApplication);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);

    tramond::VerbRegistry verbs;
    tramond::registerAllVerbs(verbs);
    const auto entry = tramond::classifyArguments(args, verbs, [](const std::string& p) {
        std::error_code ec;
        return std::filesystem::exists(p, ec);
    });
    switch (entry.kind) {
        case tramond::EntryKind::Help:
            std::cout << tramond::usageText(verbs);
            return tramond::kVerbOk;
        case tramond::EntryKind::Version:
            std::cout << "tramond " << kVersion << "\n";
            return tramond::kVerbOk;
        case tramond::EntryKind::BadUsage: {
            // A script that asked for JSON gets its object, with the problem.
            const auto commandLine = tramond::parseCommandLine(args);
            if (commandLine.json && !tramond::commandLineProblem(commandLine).empty())
                return runWithoutWindow(argc, argv, commandLine);
            std::cerr << "tramond: " << entry.problem << "\n\n" << tramond::usageText(verbs);
            return tramond::kVerbUsage;
        }
        case tramond::EntryKind::Manual:
            std::cout << tramond::verbManualSection(verbs);
            return tramond::kVerbOk;
        case tramond::EntryKind::Verb:
            return runVerb(argc, argv, *entry.verb, args);
        case tramond::EntryKind::Window:
            break;
    }

    const tramond::CommandLine commandLine = tramond::parseCommandLine(args);
    if (commandLine.unattended()) return runWithoutWindow(argc, argv, commandLine);

    if (!haveDisplay()) {
        std::cerr << "tramond: no display to open the window on (DISPLAY is not set); "
                     "see \"tramond --help\" for what runs without one\n";
        return 3;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orvalt");
    QApplication::setApplicationName("Tramond");
    QApplication::setApplicationVersion(kVersion);

    const auto programDir = findProgramDir(QApplication::applicationDirPath());
    const auto resourceDirs = tramond::resourceDirectories(QApplication::applicationDirPath().toStdString());

    tramond::QtSettingsStore settings;
    tramond::LanguageTexts texts = tramond::LanguageTexts::builtIn();
    // Without a display (the unattended modes) nobody can answer the chooser.
    const QString platform = QGuiApplication::platformName();
    const bool display = platform != "offscreen" && platform != "minimal";
    tramond::prepareLanguage(texts, settings, programDir, display && !commandLine.unattended(), resourceDirs);

    tramond::ProgramSession session;
    tramond::MenuRegistry registry;
    tramond::registerAllDialogs(registry);
    tramond::QtPrompter prompter;
    tramond::QtShell shell;
    tramond::TTramond window(session, texts, {settings, prompter, shell, programDir, resourceDirs}, registry);
    prompter.setParent(&window);
    window.setCommandLine(commandLine);
    window.show();
    // Once the event loop runs, whether or not the desktop activates us.
    QTimer::singleShot(0, &window, [&window] { window.evaluateCommandLine(); });
    return app.exec();
}
