// A register transfer from the window: the event loop keeps turning while
// the line waits, every host call reaches the window's thread, and Cancel
// is heard while the register stays silent.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "link/register_ops_support.h"
#include "link/ui/window_thread_bridge.h"

namespace tramond::testing {
namespace {

// Records on which thread each call arrived.
class WindowSideHost : public ScriptedHost {
public:
    int offThread = 0;
    qint64 userBreakAt = -1;
    QElapsedTimer* clock = nullptr;
    void message(MessageKind kind, const std::string& title, const std::string& text) override {
        check();
        if (text == opsmsg::kUserBreakText && clock) userBreakAt = clock->elapsed();
        ScriptedHost::message(kind, title, text);
    }
    bool ask(const Question& q) override {
        check();
        return ScriptedHost::ask(q);
    }
    TargetChoice chooseTarget(bool allowNetwork) override {
        check();
        return ScriptedHost::chooseTarget(allowNetwork);
    }
    void showProgress() override {
        check();
        ScriptedHost::showProgress();
    }
    void progressChanged(const ProgressState& s) override {
        check();
        ScriptedHost::progressChanged(s);
    }

private:
    void check() {
        if (QThread::currentThread() != qApp->thread()) ++offThread;
    }
};

class TransferThreadTest : public RegisterOpsFixture {};

TEST_F(TransferThreadTest, WindowKeepsTurningAndCancelLandsWhileTheRegisterIsSilent) {
    makeProgram("shop.app");
    auto opts = fastSim();
    opts.silent = true;
    startSim(opts);
    WindowSideHost windowHost;
    QElapsedTimer clock;
    clock.start();
    windowHost.clock = &clock;

    QWidget window;
    window.show();
    WindowThreadBridge bridge(windowHost, &window);
    auto cfg = config();
    cfg.timeoutMs = RegisterLink::timeoutFor(true);  // 2 s per read, as unattended
    RegisterOperations o(session, line.pc(), bridge.workerHost(), cfg);

    // The event loop's heartbeat: the longest pause between two ticks.
    qint64 lastTick = clock.elapsed();
    qint64 longestPause = 0;
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const auto now = clock.elapsed();
        longestPause = std::max(longestPause, now - lastTick);
        lastTick = now;
        ++ticks;
    });
    heartbeat.start(10);
    qint64 cancelledAt = -1;
    QTimer::singleShot(700, [&] {
        cancelledAt = clock.elapsed();
        o.cancel();
        bridge.cancel();
    });

    EXPECT_FALSE(bridge.run([&] { return o.clearAndInstallRegister(); }));
    heartbeat.stop();

    EXPECT_EQ(windowHost.offThread, 0) << "every host call on the window's thread";
    EXPECT_EQ(o.linkError(), kUserBreak);
    ASSERT_GE(windowHost.userBreakAt, 0) << "the user break was reported";
    ASSERT_GE(cancelledAt, 0);
    // Within one time-out slice (100 ms); the bound leaves room for a busy machine.
    EXPECT_LT(windowHost.userBreakAt - cancelledAt, 200) << "Cancel heard within one slice";
    EXPECT_GT(ticks, 30);
    EXPECT_LT(longestPause, 100) << "the window repaints while the line waits";
    EXPECT_EQ(sim->memory(1).clears, 0);
}

TEST_F(TransferThreadTest, WorkerFailuresComeBackToTheWindow) {
    WindowSideHost windowHost;
    WindowThreadBridge bridge(windowHost, nullptr);
    EXPECT_THROW(bridge.run([]() -> bool { throw std::runtime_error("disk gone"); }), std::runtime_error);
    EXPECT_TRUE(bridge.run([] { return true; }));
}

}  // namespace
}  // namespace tramond::testing
