// 1,000 PLU records sent through the serial adapter to the simulated
// register, which delivers every byte at 38400 baud. Reported as the ratio of
// the measured time to the line-rate minimum: every byte on the wire in both
// directions x 10 bits / baud. The target is within 3 % of the minimum.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "link/transfer.h"
#include "platform/serial_port_qt.h"
#include "regsim/channel.h"
#include "regsim/faulty_channel.h"
#include "regsim/simulator.h"

namespace {

using namespace tramond;
namespace fs = std::filesystem;

constexpr int kBaud = 38400;
constexpr std::uint32_t kRecords = 1000;

void BM_PluRecordsAtLineRate(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path() / ("tramond_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream plu(dir / "bench.plu", std::ios::binary);
        for (std::uint32_t i = 0; i < kRecords * kPluRecordSize; ++i) plu.put(static_cast<char>(i * 7));
    }
    ApplicationBlock app;
    TextBlock text;
    app.setU16(2227, static_cast<std::uint16_t>(kRecords));

    regsim::RegisterSimulator sim;
    auto tty = regsim::TtyChannel::openPseudoTerminal();
    regsim::LineFaults pace;
    pace.paceBaud = kBaud;
    regsim::FaultyChannel line(*tty, pace);
    regsim::SimulatorThread thread(sim, line);

    platform::QtSerialPort port;
    RegisterLink link(port);
    if (!link.open({tty->devicePath(), kBaud, false, 1000})) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    FileTransfer xfer(link, app, text);
    xfer.programPath = dir / "bench.app";

    double ratio = 0;
    for (auto _ : state) {
        const auto bytesBefore = line.bytesToRegister() + line.bytesToPc();
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = xfer.transferFileKind(".plu", 10000, TransferDirection::Send, kRecords, kRecords);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!ok) {
            state.SkipWithError("transfer failed");
            break;
        }
        const auto bytes = line.bytesToRegister() + line.bytesToPc() - bytesBefore;
        const double minimum = static_cast<double>(bytes) * 10.0 / kBaud;
        ratio = seconds / minimum;
        state.SetIterationTime(seconds);
        state.counters["wire_bytes"] = static_cast<double>(bytes);
        state.counters["line_minimum_s"] = minimum;
    }
    state.counters["ratio_to_line_minimum"] = ratio;
    link.close();
    fs::remove_all(dir);
}

BENCHMARK(BM_PluRecordsAtLineRate)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // QSerialPort wants one
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
