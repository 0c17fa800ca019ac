#pragma once
// The register operations end to end: the command-line runner and the
// operations, through the real port adapters (serial over a pseudo-terminal,
// or a network port), to the simulated register.

#include <gtest/gtest.h>

#include <sstream>

#include "app/command_line.h"
#include "editors/plu_list.h"
#include "link/register_ops.h"
#include "link/register_ops_support.h"
#include "link/unattended.h"
#include "link/ui/register_port.h"
#include "platform/serial_port_qt.h"
#include "program/file_set.h"
#include "program/keyboard_header.h"
#include "program/program_ops.h"
#include "program/sizing.h"
#include "regsim/channel.h"
#include "regsim/simulator.h"

namespace tramond::testing {

using regsim::SimOptions;
constexpr int kPcTimeoutMs = 100;

inline SimOptions fast(SimOptions o = {}) {
    o.replyTimeoutMs = kPcTimeoutMs;
    o.retryQuietMs = kPcTimeoutMs + 30;
    o.drainQuietMs = 40;
    return o;
}

// A simulated register behind a pseudo-terminal, its line tapped.
struct PtyRegister {
    regsim::RegisterSimulator sim;
    std::unique_ptr<regsim::TtyChannel> tty = regsim::TtyChannel::openPseudoTerminal();
    PayloadTap tap;
    regsim::SimulatorThread thread;
    explicit PtyRegister(SimOptions o) : sim(o), tap(*tty), thread(sim, tap) {}
    std::string path() const { return tty->devicePath(); }
};

inline bool transferredAppByte(std::size_t i) {
    if (i >= 831 && i <= 958) return false;
    if (i >= 1611 && i <= 2116) return false;
    if (i >= 2651) return false;
    if (i >= 703 + 64 && i < 703 + 68) return false;
    return true;
}

class RegisterOpsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tramond_e2e_" + std::to_string(::getpid()) + "_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        reg.reset();
        fs::remove_all(dir);
    }

    void start(SimOptions o = fast()) {
        reg.reset();
        reg = std::make_unique<PtyRegister>(o);
    }

    // A program with default records, changed enough to tell it apart.
    fs::path makeProgram(const std::string& name, std::uint8_t mark) {
        ProgramSession s;
        const auto path = dir / name;
        fs::create_directories(path.parent_path());
        EXPECT_TRUE(createProgram(s, path).ok());
        s.app.setFlag(7, mark);
        writeBytes(path, {s.app.bytes().begin(), s.app.bytes().end()});
        auto txt = fileBytes(fs::path(path).replace_extension(".txt"));
        txt[200] = mark;
        writeBytes(fs::path(path).replace_extension(".txt"), txt);
        auto dpt = fileBytes(fs::path(path).replace_extension(".dpt"));
        dpt[9] = mark;
        writeBytes(fs::path(path).replace_extension(".dpt"), dpt);
        return path;
    }

    int run(const std::vector<std::string>& args) {
        err.str("");
        UnattendedEnvironment env;
        env.err = &err;
        env.in = nullptr;
        env.terminal = false;
        env.link.port = "COM1";
        env.identificationRetryDelay = std::chrono::milliseconds(20);
        env.timeoutMs = timeoutMs;
        env.makePort = [](const std::string& name) { return makeRegisterPort(name); };
        ProgramSession session;
        return runUnattended(parseCommandLine(args), session, env);
    }

    // The program as the register sees it: transferred application and
    // text bytes, and the records within each kind's count.
    void expectSameProgram(const fs::path& a, const fs::path& b) {
        const auto x = fileBytes(a);
        const auto y = fileBytes(b);
        ASSERT_EQ(x.size(), ApplicationBlock::kSize);
        ASSERT_EQ(y.size(), ApplicationBlock::kSize);
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (!transferredAppByte(i)) continue;
            ASSERT_EQ(x[i], y[i]) << "application byte " << i;
        }
        const auto tx = fileBytes(fs::path(a).replace_extension(".txt"));
        const auto ty = fileBytes(fs::path(b).replace_extension(".txt"));
        ASSERT_GE(tx.size(), 8499u);
        ASSERT_GE(ty.size(), 8499u);
        EXPECT_TRUE(std::equal(tx.begin(), tx.begin() + 8499, ty.begin()));
        ApplicationBlock app;
        std::copy(x.begin(), x.end(), app.bytes().begin());
        for (const auto& kind : kindBlocks()) {
            const std::size_t n = kindCount(app, kind) * kind.recordSize;
            if (n == 0 || kind.base == 60000) continue;
            const auto rx = fileBytes(fs::path(a).replace_extension(std::string(kind.extension)));
            const auto ry = fileBytes(fs::path(b).replace_extension(std::string(kind.extension)));
            ASSERT_GE(rx.size(), n) << kind.extension;
            ASSERT_GE(ry.size(), n) << kind.extension;
            EXPECT_TRUE(std::equal(rx.begin(), rx.begin() + static_cast<std::ptrdiff_t>(n), ry.begin()))
                << kind.extension;
        }
    }

    std::string port() const { return reg->path(); }
    // The PC's read time-out of run().
    int timeoutMs = kPcTimeoutMs;

    fs::path dir;
    std::unique_ptr<PtyRegister> reg;
    std::ostringstream err;
};

}  // namespace tramond::testing
