// Clear & Install of a program with 300 PLUs into the simulated register on a
// line paced at 38400 baud: on the register's pseudo-terminal directly, and
// through ser2net on the loopback (RFC 2217 and raw TCP), once with the
// set-up the README recommends (tcp(nodelay), chardelay off) and once with
// ser2net's defaults. Reported as the ratio to the direct run; the target
// for the recommended set-up is at most 1.05.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <map>

#include "../tests/integration/network_line.h"
#include "install_program.h"
#include "platform/network_serial_port.h"
#include "platform/serial_port_qt.h"
#include "regsim/channel.h"
#include "regsim/faulty_channel.h"
#include "regsim/simulator.h"

namespace {

using namespace tramond;
namespace fs = std::filesystem;

constexpr int kBaud = 38400;
constexpr int kPlus = 300;

enum Route { kDirect, kRfc2217, kRawTcp };
std::map<Route, double> gDirectSeconds;

void BM_ClearAndInstall(benchmark::State& state) {
    const auto route = static_cast<Route>(state.range(0));
    const bool recommended = state.range(1) != 0;
    if (route != kDirect && testing::ser2netPath().empty()) {
        state.SkipWithError("ser2net is not installed");
        return;
    }
    ProgramSession session;
    const auto path = bench::makeInstallProgram(
        session, fs::temp_directory_path() / ("tramond_bench_link_network_" + std::to_string(::getpid())), kPlus);
    if (path.empty()) {
        state.SkipWithError("program could not be created");
        return;
    }
    for (auto _ : state) {
        regsim::RegisterSimulator sim;
        auto tty = regsim::TtyChannel::openPseudoTerminal();
        regsim::LineFaults pace;
        pace.paceBaud = kBaud;
        regsim::FaultyChannel line(*tty, pace);
        regsim::SimulatorThread thread(sim, line);
        std::unique_ptr<testing::Ser2net> server;
        std::unique_ptr<SerialPort> port;
        RegisterOpsConfig config;
        config.link.baudRate = kBaud;
        if (route == kDirect) {
            port = std::make_unique<platform::QtSerialPort>();
            config.link.port = tty->devicePath();
        } else {
            server = std::make_unique<testing::Ser2net>(
                tty->devicePath(), testing::Ser2netTiming{.charDelay = !recommended, .nagle = !recommended});
            if (!server->started()) {
                state.SkipWithError("ser2net did not start");
                return;
            }
            port = std::make_unique<platform::NetworkSerialPort>();
            config.link.port = route == kRfc2217 ? server->rfc2217Url() : server->rawUrl();
        }
        bench::YesHost host;
        RegisterOperations ops(session, *port, host, config);
        const auto start = std::chrono::steady_clock::now();
        const bool ok = ops.clearAndInstallRegister();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        thread.stop();
        if (!ok) {
            state.SkipWithError(("install failed: " + host.last).c_str());
            return;
        }
        state.SetIterationTime(seconds);
        const double bytes = static_cast<double>(line.bytesToRegister() + line.bytesToPc());
        state.counters["line_minimum_s"] = bytes * 10.0 / kBaud;
        if (route == kDirect) gDirectSeconds[kDirect] = seconds;
        else if (gDirectSeconds.count(kDirect)) state.counters["ratio_to_direct"] = seconds / gDirectSeconds[kDirect];
    }
}
// The direct run first: the others are reported against it.
BENCHMARK(BM_ClearAndInstall)
    ->ArgNames({"route", "recommended"})
    ->Args({kDirect, 1})
    ->Args({kRfc2217, 1})
    ->Args({kRawTcp, 1})
    ->Args({kRfc2217, 0})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // QSerialPort and QTcpSocket want one
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
