#include <QApplication>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>
#include <optional>

#include "app/command_line.h"
#include "app/language_texts.h"
#include "app/program_dir.h"
#include "app/ui/qt_prompter.h"
#include "app/ui/tramond_window.h"
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
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Orvalt");
    QCoreApplication::setApplicationName("Tramond");
    const auto programDir = findProgramDir(QCoreApplication::applicationDirPath());
    tramond::QtSettingsStore settings;
    tramond::LanguageTexts texts = tramond::LanguageTexts::builtIn();
    tramond::prepareLanguage(texts, settings, programDir, false);
    tramond::ProgramSession session;
    session.unattended = true;
    return tramond::runUnattendedCommand(commandLine, session, settings, programDir);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    const tramond::CommandLine commandLine = tramond::parseCommandLine(args);
    if (commandLine.unattended()) return runWithoutWindow(argc, argv, commandLine);

    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orvalt");
    QApplication::setApplicationName("Tramond");
    QApplication::setApplicationVersion("0.1");

    const auto programDir = findProgramDir(QApplication::applicationDirPath());

    tramond::QtSettingsStore settings;
    tramond::LanguageTexts texts = tramond::LanguageTexts::builtIn();
    // Without a display (the unattended modes) nobody can answer the chooser.
    const QString platform = QGuiApplication::platformName();
    const bool display = platform != "offscreen" && platform != "minimal";
    tramond::prepareLanguage(texts, settings, programDir, display && !commandLine.unattended());

    tramond::ProgramSession session;
    tramond::MenuRegistry registry;
    tramond::registerAllDialogs(registry);
    tramond::QtPrompter prompter;
    tramond::QtShell shell;
    tramond::TTramond window(session, texts, {settings, prompter, shell, programDir}, registry);
    prompter.setParent(&window);
    window.setCommandLine(commandLine);
    window.show();
    // Once the event loop runs, whether or not the desktop activates us.
    QTimer::singleShot(0, &window, [&window] { window.evaluateCommandLine(); });
    return app.exec();
}
