#pragma once
// The File menu's register operations as the main window runs them, and
// the unattended command line with the real serial port.

#include <QDialog>
#include <filesystem>
#include <functional>

#include "app/command_line.h"
#include "app/settings_store.h"
#include "app/ui/menu_registry.h"
#include "link/register_ops_host.h"
#include "link/register_ops_target.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tramond {

// mFileLoadRegisterClick, mFileUpdateRegisterClick, mInstallRegisterClick,
// mFileInstallRegisterClick, mClearPluFileinRegisterClick, and the two
// report transfers, which do nothing.
void registerRegisterOperations(MenuRegistry& registry);

// "update", "instal", "clinst" and "read" without a window: the stored link
// settings, the command line's port and baud, the serial adapter; returns
// the exit status. Needs a QCoreApplication, not a display.
int runUnattendedCommand(const CommandLine& commandLine, ProgramSession& session, SettingsStore& settings,
                         const std::filesystem::path& programDir);

// TCommForm.
class TCommForm : public QDialog {
    Q_OBJECT
public:
    TCommForm(TargetSelector& selector, QWidget* parent = nullptr);
    QPushButton* directButton() const { return button1_; }
    QPushButton* allButton() const { return button2_; }
    QPushButton* registerButton() const { return button3_; }
    QLineEdit* registerEdit() const { return edit1_; }
    QLineEdit* sizeEdit() const { return edit2_; }

private:
    void refresh();
    TargetSelector& selector_;
    QPushButton* button1_;
    QPushButton* button2_;
    QPushButton* button3_;
    QLineEdit* edit1_;
    QLineEdit* edit2_;
};

// TShowProgressForm: modeless; Cancel calls onCancel.
class TShowProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TShowProgressForm(QWidget* parent = nullptr);
    void show(const ProgressState& state);
    std::function<void()> onCancel;

private:
    QLabel* headline_;
    QLabel* fileName_;
    QLabel* records_;
    QLabel* note_ = nullptr;
    QLabel* position_;
    QProgressBar* bar_;
};

// The host of the operations in the main window; it answers on the window's
// thread (the operation itself runs on a WindowThreadBridge's worker).
class QtRegisterOpsHost : public RegisterOpsHost {
public:
    QtRegisterOpsHost(AppContext& context);
    ~QtRegisterOpsHost() override;

    void message(MessageKind kind, const std::string& title, const std::string& text) override;
    bool ask(const Question& question) override;
    TargetChoice chooseTarget(bool allowNetwork) override;
    std::optional<std::filesystem::path> chooseLoadTarget(const std::string& title) override;
    void showProgress() override;
    void progressChanged(const ProgressState& state) override;
    void closeProgress() override;
    void programChanged() override;

    std::function<void()> onCancel;

private:
    AppContext& context_;
    TShowProgressForm* progress_ = nullptr;
    ProgressState last_;
};

}  // namespace tramond
