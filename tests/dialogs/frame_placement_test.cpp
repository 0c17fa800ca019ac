// Dialog placement under a real X server with a window manager (Xvfb and
// openbox, started and stopped here): the window manager frames a dialog
// only after it is shown, and the frame, not the client area, must stand
// 45 px below the top of the main window's frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <filesystem>

namespace {

struct Started {
    QProcess process;
    ~Started() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(2000)) process.kill();
            process.waitForFinished(2000);
        }
    }
};

bool needed(const char* tool) {
    if (!QStandardPaths::findExecutable(tool).isEmpty()) return true;
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") ADD_FAILURE() << tool << " is needed for this test and is missing";
    return false;
}

TEST(DialogPlacement, FrameStandsBelowTheMainWindowUnderAWindowManager) {
    if (!needed("Xvfb") || !needed("openbox")) GTEST_SKIP() << "Xvfb and openbox are not installed";
    // A display number no other checkout on this machine is using.
    int display = 150 + static_cast<int>(::getpid() % 500);
    while (std::filesystem::exists("/tmp/.X" + std::to_string(display) + "-lock")) ++display;
    const QString name = QString(":%1").arg(display);
    Started x;
    x.process.start("Xvfb", {name, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
    ASSERT_TRUE(x.process.waitForStarted(5000));
    const auto socket = "/tmp/.X11-unix/X" + std::to_string(display);
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) QThread::msleep(50);
    ASSERT_TRUE(std::filesystem::exists(socket)) << "Xvfb did not come up on " << name.toStdString();

    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", name);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("QT_SCALE_FACTOR");
    Started wm;
    wm.process.setProcessEnvironment(env);
    wm.process.start("openbox", {});
    ASSERT_TRUE(wm.process.waitForStarted(5000));
    QThread::msleep(800);  // until it manages the screen

    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(TRAMOND_PLACEMENT_PROBE, {});
    ASSERT_TRUE(probe.waitForFinished(30000));
    const auto out = probe.readAllStandardOutput().toStdString();
    EXPECT_NE(probe.exitCode(), 2) << "the window manager framed nothing: " << out;
    EXPECT_EQ(probe.exitCode(), 0) << "main and dialog frames: " << out
                                   << probe.readAllStandardError().toStdString();
}

}  // namespace
