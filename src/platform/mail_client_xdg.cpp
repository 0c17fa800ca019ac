#include "platform/mail_client_xdg.h"

#include <QEventLoop>
#include <QProcess>
#include <vector>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

namespace tramond {

namespace {
// xdg-email's exit code when no mail program (or helper) can be found.
constexpr int kXdgToolNotFound = 3;
}  // namespace

QStringList XdgEmailClient::arguments(const MailMessage& message) {
    QStringList args{"--utf8"};
    if (!message.subject.empty()) args << "--subject" << QString::fromStdString(message.subject);
    if (!message.body.empty()) args << "--body" << QString::fromStdString(message.body);
    for (const auto& file : message.attachments) args << "--attach" << QString::fromStdString(file.string());
    // xdg-email takes no "--"; the addresses were checked never to begin
    // with "-".
    for (const auto& address : message.recipients) args << QString::fromStdString(address);
    return args;
}

namespace {

// Mail programs still composing a message we handed over. They are kept
// here, not destroyed (that would kill the composer with the dealer's
// message), and each leaves the list when it ends.
std::vector<QProcess*>& composersStillOpen() {
    // Never destroyed: a composer may outlive every other object of ours.
    static auto* open = new std::vector<QProcess*>;
    return *open;
}

}  // namespace

MailHandOver XdgEmailClient::send(const MailMessage& message) {
    const QString program = QStandardPaths::findExecutable("xdg-email");
    if (program.isEmpty()) return MailHandOver::NoClient;
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments(message));
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(process.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process.get(), &QProcess::errorOccurred, &loop, [&loop, p = process.get()](QProcess::ProcessError) {
        if (p->state() == QProcess::NotRunning) loop.quit();
    });
    QTimer::singleShot(handOverWaitMs_, &loop, &QEventLoop::quit);
    process->start();
    if (process->state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process->state() != QProcess::NotRunning) {
        // Destroying it would kill the mail program with the dealer's message.
        QProcess* waiting = process.release();
        composersStillOpen().push_back(waiting);
        QObject::connect(waiting, &QProcess::finished, waiting, [waiting] {
            std::erase(composersStillOpen(), waiting);
            waiting->deleteLater();
        });
        return MailHandOver::Handed;
    }
    if (process->error() == QProcess::FailedToStart) return MailHandOver::NoClient;
    if (process->exitStatus() != QProcess::NormalExit) return MailHandOver::Failed;
    if (process->exitCode() == 0) return MailHandOver::Handed;
    return process->exitCode() == kXdgToolNotFound ? MailHandOver::NoClient : MailHandOver::Failed;
}

}  // namespace tramond
