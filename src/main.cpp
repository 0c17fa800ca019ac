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
#include "register_all.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orvalt");
    QApplication::setApplicationName("Tramond");
    QApplication::setApplicationVersion("0.1");

    std::vector<std::string> args;
    for (const QString& a : QApplication::arguments().mid(1)) args.push_back(a.toStdString());
    const tramond::CommandLine commandLine = tramond::parseCommandLine(args);

    std::optional<std::filesystem::path> home;
    if (const char* h = std::getenv("TRAMOND_HOME"); h && *h) home = std::filesystem::path(h);
    const auto programDir = tramond::programDirectory(
        home, QApplication::applicationDirPath().toStdString(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());

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
