#include "link/ui/register_ops_menu.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <iostream>

#include "link/link_settings.h"
#include "platform/desktop_choosers.h"
#include "link/register_ops.h"
#include "link/unattended.h"
#include "link/ui/register_port.h"
#include "link/ui/window_thread_bridge.h"

namespace tramond {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon iconFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error: return QMessageBox::Critical;
        case MessageKind::Warning: return QMessageBox::Warning;
        case MessageKind::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

std::filesystem::path executableDir() {
    if (!QCoreApplication::instance()) return std::filesystem::path(".");
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

void placeBelowMainWindow(QWidget* dialog, QWidget* mainWindow) {
    if (mainWindow) dialog->move(mainWindow->frameGeometry().left(), mainWindow->frameGeometry().top() + 45);
}

// One register operation from the menu: settings, port, host, and the run
// on a worker thread while the window stays responsive.
bool runOperation(AppContext& ctx, const std::function<bool(RegisterOperations&)>& op) {
    RegisterOpsConfig config;
    config.link = loadCommsSettings(ctx.settings, executableDir());
    config.recordHistory = true;
    const auto port = makeRegisterPort(config.link.port);
    QtRegisterOpsHost host(ctx);
    WindowThreadBridge bridge(host, ctx.mainWindow);
    RegisterOperations ops(ctx.session, *port, bridge.workerHost(), config);
    host.onCancel = [&ops, &bridge] {
        ops.cancel();
        bridge.cancel();
    };
    QApplication::setOverrideCursor(Qt::BusyCursor);
    bool ok = false;
    try {
        ok = bridge.run([&] { return op(ops); });
    } catch (const std::exception& e) {
        host.message(MessageKind::Error, "Error", e.what());
    }
    QApplication::restoreOverrideCursor();
    if (ctx.refresh) ctx.refresh();
    return ok;
}

}  // namespace

// ---- TCommForm ---------------------------------------------------------------

TCommForm::TCommForm(TargetSelector& selector, QWidget* parent) : QDialog(parent), selector_(selector) {
    setWindowTitle(QString());
    auto* grid = new QGridLayout(this);
    button1_ = new QPushButton("Direct Communication", this);
    button2_ = new QPushButton("All Network Registers", this);
    button3_ = new QPushButton(this);
    auto* label1 = new QLabel("Network Register", this);
    auto* label2 = new QLabel("Network Size", this);
    edit1_ = new QLineEdit(q(selector.registerText()), this);
    edit2_ = new QLineEdit(q(selector.sizeText()), this);
    // Digits only, as the boxes of the register's own dialogs.
    for (auto* e : {edit1_, edit2_}) e->setValidator(new QIntValidator(0, 99, e));
    auto* cancel = new QPushButton("Cancel", this);
    grid->addWidget(button1_, 0, 0, 1, 2);
    grid->addWidget(button3_, 1, 0, 1, 2);
    grid->addWidget(button2_, 2, 0, 1, 2);
    grid->addWidget(label1, 3, 0);
    grid->addWidget(edit1_, 3, 1);
    grid->addWidget(label2, 4, 0);
    grid->addWidget(edit2_, 4, 1);
    grid->addWidget(cancel, 5, 1);
    button2_->setEnabled(selector.networkAllowed());
    label2->setEnabled(selector.networkAllowed());
    edit2_->setEnabled(selector.networkAllowed());

    auto wrong = [this](const std::string& text) { QMessageBox::warning(this, "Error", q(text)); };
    connect(edit1_, &QLineEdit::textEdited, this, [this, wrong](const QString& t) {
        if (auto m = selector_.registerTyped(t.toStdString())) {
            edit1_->clear();
            wrong(*m);
        }
        refresh();
    });
    connect(edit2_, &QLineEdit::textEdited, this, [this, wrong](const QString& t) {
        if (auto m = selector_.sizeTyped(t.toStdString())) {
            edit2_->clear();
            wrong(*m);
        }
    });
    connect(button1_, &QPushButton::clicked, this, [this] {
        selector_.direct();
        accept();
    });
    connect(button3_, &QPushButton::clicked, this, [this] {
        selector_.oneRegister();
        accept();
    });
    connect(button2_, &QPushButton::clicked, this, [this] {
        std::string message;
        selector_.allRegisters(&message);
        if (!message.empty()) QMessageBox::critical(this, "Error", q(message));
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    refresh();
}

void TCommForm::refresh() { button3_->setText(q(selector_.registerButtonCaption())); }

// ---- TShowProgressForm ---------------------------------------------------------

TShowProgressForm::TShowProgressForm(QWidget* parent) : QDialog(parent) {
    setModal(false);
    setProperty("tramondOwnPlace", true);  // centred over the main window
    auto* v = new QVBoxLayout(this);
    headline_ = new QLabel(this);
    v->addWidget(headline_);
    auto* grid = new QGridLayout;
    fileName_ = new QLabel(this);
    records_ = new QLabel(this);
    position_ = new QLabel(this);
    fileName_->setMinimumWidth(260);
    grid->addWidget(new QLabel("File Name:", this), 0, 0);
    grid->addWidget(fileName_, 0, 1);
    grid->addWidget(new QLabel("Number of Records", this), 1, 0);
    grid->addWidget(records_, 1, 1);
    grid->addWidget(new QLabel("Current Position (record):", this), 2, 0);
    grid->addWidget(position_, 2, 1);
    v->addLayout(grid);
    bar_ = new QProgressBar(this);
    v->addWidget(bar_);
    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->setVisible(false);
    v->addWidget(note_);
    auto* cancel = new QPushButton("Cancel", this);
    v->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (onCancel) onCancel();
    });
}

void TShowProgressForm::show(const ProgressState& s) {
    setWindowTitle(q(s.caption));
    headline_->setText(q(s.headline));
    headline_->setVisible(!s.headline.empty());
    // The path shortened in its middle to the label's width.
    fileName_->setText(fileName_->fontMetrics().elidedText(q(s.fileName), Qt::ElideMiddle, fileName_->width()));
    records_->setText(q(s.numberOfRecords));
    position_->setText(q(s.position));
    note_->setText(q(s.note));
    note_->setVisible(!s.note.empty());
    bar_->setMaximum(std::max(1, s.barMaximum));
    bar_->setValue(std::min(s.barPosition, std::max(1, s.barMaximum)));
    if (!isVisible()) QDialog::show();
}

// ---- QtRegisterOpsHost -----------------------------------------------------------

QtRegisterOpsHost::QtRegisterOpsHost(AppContext& context) : context_(context) {}

QtRegisterOpsHost::~QtRegisterOpsHost() { delete progress_; }

void QtRegisterOpsHost::message(MessageKind kind, const std::string& title, const std::string& text) {
    QMessageBox box(iconFor(kind), q(title), q(text), QMessageBox::Ok, context_.mainWindow);
    box.exec();
}

bool QtRegisterOpsHost::ask(const Question& question) {
    const bool yesNo = question.answers == Answers::YesNo;
    QMessageBox box(question.title == "Confirm" ? QMessageBox::Question : iconFor(question.kind), q(question.title),
                    q(question.text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : (QMessageBox::Ok | QMessageBox::Cancel),
                    context_.mainWindow);
    // Enter must not clear a register or overwrite a program by accident.
    box.setDefaultButton(yesNo ? QMessageBox::No : QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == (yesNo ? QMessageBox::Yes : QMessageBox::Ok);
}

TargetChoice QtRegisterOpsHost::chooseTarget(bool allowNetwork) {
    TargetSelector selector(context_.session.app, context_.session.machineNumber, allowNetwork);
    TCommForm form(selector, context_.mainWindow);
    placeBelowMainWindow(&form, context_.mainWindow);
    if (form.exec() != QDialog::Accepted) return {};
    return selector.choice();
}

std::optional<std::filesystem::path> QtRegisterOpsHost::chooseLoadTarget(const std::string& title) {
    // The operation asks its own overwrite question.
    FileDialogRequest request;
    request.title = title;
    request.filter = "Application (*.app)|*.app|All Files (*.*)|*.*";
    request.defaultSuffix = "app";
    return desktopChoosers().saveFile(context_.mainWindow, request);
}

void QtRegisterOpsHost::showProgress() {
    if (!progress_) {
        progress_ = new TShowProgressForm(context_.mainWindow);
        progress_->onCancel = [this] {
            if (onCancel) onCancel();
        };
    }
    progress_->show(last_);
    if (context_.mainWindow) {
        const auto c = context_.mainWindow->geometry().center();
        progress_->move(c.x() - progress_->width() / 2, c.y() - progress_->height() / 2);
    }
}

void QtRegisterOpsHost::progressChanged(const ProgressState& state) {
    last_ = state;
    if (progress_ && progress_->isVisible()) progress_->show(state);
}

void QtRegisterOpsHost::closeProgress() {
    if (progress_) progress_->hide();
}

void QtRegisterOpsHost::programChanged() {
    if (context_.refresh) context_.refresh();
}

// ---- registration ------------------------------------------------------------------

void registerRegisterOperations(MenuRegistry& registry) {
    registry.add("mFileLoadRegisterClick", [](AppContext& ctx) {
        if (runOperation(ctx, [](RegisterOperations& o) { return o.loadFromRegister(); }) && ctx.session.loaded &&
            ctx.programLoaded)
            ctx.programLoaded(ctx.session.programPath);
    });
    registry.add("mFileUpdateRegisterClick",
                 [](AppContext& ctx) { runOperation(ctx, [](RegisterOperations& o) { return o.updateRegister(); }); });
    registry.add("mInstallRegisterClick",
                 [](AppContext& ctx) { runOperation(ctx, [](RegisterOperations& o) { return o.installRegister(); }); });
    registry.add("mFileInstallRegisterClick", [](AppContext& ctx) {
        runOperation(ctx, [](RegisterOperations& o) { return o.clearAndInstallRegister(); });
    });
    registry.add("mClearPluFileinRegisterClick",
                 [](AppContext& ctx) { runOperation(ctx, [](RegisterOperations& o) { return o.clearPluFile(); }); });
    // The register keeps its reports to itself in this program generation.
    registry.add("mReadReportClick", [](AppContext&) {});
    registry.add("mSendReportClick", [](AppContext&) {});
}

int runUnattendedCommand(const CommandLine& commandLine, ProgramSession& session, SettingsStore& settings,
                         const std::filesystem::path& programDir) {
    UnattendedEnvironment env;
    env.err = &std::cerr;
    env.in = &std::cin;
    env.terminal = standardInputIsTerminal();
    env.link = loadCommsSettings(settings, programDir);
    env.makePort = [](const std::string& name) { return makeRegisterPort(name); };
    return runUnattended(commandLine, session, env);
}

}  // namespace tramond
