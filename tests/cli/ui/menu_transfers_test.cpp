// Every register operation reachable from the menu, run as the menu runs it
// (its registered handler, the real dialogs, the real serial adapter) against
// a simulated register that stays silent behind a pseudo-terminal: the
// window keeps turning, the progress window with its Cancel stands while the
// line waits, and Cancel ends the operation within one time-out slice.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "cli/cli_fixture.h"
#include "cli/ui/cli_dialogs.h"
#include "link/link_settings.h"
#include "link/ui/register_ops_menu.h"
#include "regsim/channel.h"
#include "support/fake_choosers.h"

namespace tramond::testing {
namespace {

// What happened on screen during one handler's run.
struct Watch {
    std::vector<std::string> boxes;  // message box texts, in order
    bool progressSeen = false;
    bool untitledProgress = false;  // a progress window without its caption
    qint64 cancelledAt = -1;
    qint64 userBreakAt = -1;
    qint64 longestPause = 0;
};

class MenuTransfers : public CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        regsim::SimOptions o;
        o.silent = true;
        silent = std::make_unique<regsim::RegisterSimulator>(o);
        tty = regsim::TtyChannel::openPseudoTerminal();
        simThread = std::make_unique<regsim::SimulatorThread>(*silent, *tty);
        settings.write(kCommsKey, "Port", tty->devicePath());
        settings.write(kCommsKey, "BaudRate", "38400");
        settings.write(kCommsKey, "HwHandshake", "0");
        // Something for Update Register to send.
        session.updateList().mark(2);
        registerRegisterOperations(registry);
        registerCliDialogs(registry);
        window.show();
        choosers.fake.files.push_back(dir / "read.app");  // Load from Register's save dialog
        app = session.programPath;
    }
    void TearDown() override {
        simThread.reset();
        CliFixture::TearDown();
    }

    Watch run(const std::string& handler) {
        // A Load from Register that did not finish leaves no program loaded.
        EXPECT_TRUE(loadProgram(session, app).ok());
        Watch w;
        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0;
        qint64 progressAt = -1;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const auto now = clock.elapsed();
            w.longestPause = std::max(w.longestPause, now - lastTick);
            lastTick = now;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const auto text = box->text().toStdString();
                if (w.boxes.empty() || w.boxes.back() != text || !box->property("seen").toBool()) {
                    w.boxes.push_back(text);
                    box->setProperty("seen", true);
                }
                if (text == opsmsg::kUserBreakText && w.userBreakAt < 0) w.userBreakAt = now;
                // Questions are answered as a dealer who means it would.
                for (auto b : {QMessageBox::Yes, QMessageBox::Ok})
                    if (auto* button = box->button(b)) {
                        button->click();
                        return;
                    }
            }
            if (auto* form = qobject_cast<TCommForm*>(QApplication::activeModalWidget())) {
                form->directButton()->click();
                return;
            }
            for (auto* top : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<TShowProgressForm*>(top);
                if (!progress || !progress->isVisible()) continue;
                w.progressSeen = true;
                if (progress->windowTitle().isEmpty()) w.untitledProgress = true;
                if (progressAt < 0) progressAt = now;
                if (w.cancelledAt < 0 && now - progressAt > 300)
                    for (auto* b : progress->findChildren<QPushButton*>())
                        if (b->text() == "Cancel") {
                            w.cancelledAt = clock.elapsed();
                            b->click();
                        }
            }
        });
        poll.start(10);
        (*registry.find(handler))(context);
        poll.stop();
        return w;
    }

    fs::path app;
    MemorySettingsStore settings;
    MenuRegistry registry;
    QWidget window;
    AppContext context{session, LanguageTexts::builtIn(), settings, &window, {}};
    UsingFakeChoosers choosers;
    std::unique_ptr<regsim::RegisterSimulator> silent;
    std::unique_ptr<regsim::TtyChannel> tty;
    std::unique_ptr<regsim::SimulatorThread> simThread;
};

TEST_F(MenuTransfers, EveryOperationRepaintsAndHearsCancelWhileTheRegisterIsSilent) {
    for (const std::string handler : {"mFileLoadRegisterClick", "mFileUpdateRegisterClick", "mInstallRegisterClick",
                                      "mFileInstallRegisterClick", "mClearPluFileinRegisterClick",
                                      "mVerifyRegisterClick"}) {
        SCOPED_TRACE(handler);
        const auto w = run(handler);
        EXPECT_TRUE(w.progressSeen) << "a Cancel to press while the line waits; shown: "
                                    << ::testing::PrintToString(w.boxes);
        EXPECT_FALSE(w.untitledProgress) << "the progress window says what it does from the start";
        ASSERT_GE(w.cancelledAt, 0);
        ASSERT_GE(w.userBreakAt, 0) << ::testing::PrintToString(w.boxes);
        // Within one time-out slice (100 ms); the bound leaves room for a busy machine.
        EXPECT_LT(w.userBreakAt - w.cancelledAt, 200);
        EXPECT_LT(w.longestPause, 100) << "the window repaints while the line waits";
    }
}

TEST_F(MenuTransfers, ClearPluFileAsksFirstAndNoIsTheDefault) {
    QStringList asked;
    bool noIsDefault = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        asked << box->text();
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        box->button(QMessageBox::No)->click();
    });
    poll.start(10);
    (*registry.find("mClearPluFileinRegisterClick"))(context);
    poll.stop();
    EXPECT_EQ(asked, QStringList{opsmsg::kAreYouSure});
    EXPECT_TRUE(noIsDefault) << "a stray Enter must not wipe the register's PLUs";
}

}  // namespace
}  // namespace tramond::testing
