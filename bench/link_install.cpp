// Clear & Install of a program with 10,000 PLUs into the simulated register
// on a line paced at 38400 baud. Reported as the ratio of the time taken to
// the line-rate minimum: every byte that crossed the line, in either
// direction, at ten bits per byte.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "install_program.h"
#include "regsim/loopback.h"
#include "regsim/simulator.h"

namespace {

using namespace tramond;
namespace fs = std::filesystem;

constexpr int kBaud = 38400;
constexpr int kPlus = 10000;

// The line at a baud rate: each direction has its own wire clock, and a
// byte is not delivered before the wire has carried it. The clock is kept
// exactly; the sleeps are taken in slices of a few milliseconds so that a
// busy machine's late wake-ups are absorbed instead of piling up per byte.
class PacedChannel : public regsim::ByteChannel {
public:
    using Clock = std::chrono::steady_clock;
    PacedChannel(regsim::ByteChannel& inner, int baud)
        : inner_(inner),
          byte_(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud))) {}

    int readByte(int timeoutMs) override {
        const int b = inner_.readByte(timeoutMs);
        if (b < 0) return b;
        ++toRegister_;
        carry(inFree_);
        return b;
    }
    void write(std::span<const std::uint8_t> bytes) override {
        toPc_ += bytes.size();
        for (std::size_t i = 0; i < bytes.size(); ++i) carry(outFree_);
        inner_.write(bytes);
    }
    std::uint64_t bytes() const { return toRegister_ + toPc_; }

private:
    void carry(Clock::time_point& free) {
        const auto now = Clock::now();
        // An idle wire starts carrying now; a busy one after its last byte.
        // A debt below one slice is carried into the next byte, never
        // forgiven, so the run cannot beat the wire.
        free = std::max(free, now) + byte_;
        if (free - now > kSlice) std::this_thread::sleep_until(free);
    }
    static constexpr auto kSlice = std::chrono::milliseconds(4);

    regsim::ByteChannel& inner_;
    Clock::duration byte_;
    Clock::time_point inFree_{};
    Clock::time_point outFree_{};
    std::uint64_t toRegister_ = 0;
    std::uint64_t toPc_ = 0;
};

void BM_ClearAndInstall10000Plus(benchmark::State& state) {
    ProgramSession session;
    const auto path = bench::makeInstallProgram(session, fs::temp_directory_path() / "tramond_bench_link_install", kPlus);
    if (path.empty()) {
        state.SkipWithError("program could not be created");
        return;
    }
    for (auto _ : state) {
        regsim::LoopbackLine line;
        PacedChannel wire(line.registerSide(), kBaud);
        regsim::RegisterSimulator sim;
        regsim::SimulatorThread thread(sim, wire);
        bench::YesHost host;
        RegisterOpsConfig config;
        config.link.port = "SIM";
        config.link.baudRate = kBaud;
        RegisterOperations ops(session, line.pc(), host, config);

        const auto start = std::chrono::steady_clock::now();
        const bool ok = ops.clearAndInstallRegister();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        thread.stop();
        if (!ok) {
            state.SkipWithError(("install failed: " + host.last).c_str());
            return;
        }
        const double bytes = static_cast<double>(wire.bytes());
        const double minimum = bytes * 10.0 / kBaud;
        state.SetIterationTime(seconds);
        state.counters["plu_records"] = static_cast<double>(sim.memory(1).records.size());
        state.counters["line_bytes"] = bytes;
        state.counters["line_minimum_s"] = minimum;
        state.counters["ratio_to_line_minimum"] = seconds / minimum;
    }
}
BENCHMARK(BM_ClearAndInstall10000Plus)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
