// A full 64 KB handheld image (4096 rows) uploaded at 38400 baud through the
// real port code, over a pseudo-terminal, to the simulated loader delivering
// bytes at the line's pace. The figure is the ratio of the upload's time to
// the line minimum: every byte's ten bits at its baud rate plus the loader's
// own waits (1 ms after the wake-up, 1000 ms after the start, 6 ms per row).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "handheld/os_upload.h"
#include "handheldsim/loader_simulator.h"
#include "platform/upload_port_posix.h"
#include "regsim/channel.h"
#include "regsim/faulty_channel.h"

namespace {

using namespace tramond;

std::string fullImageHex() {
    std::mt19937 rng(42);
    std::string text;
    char line[64];
    for (unsigned address = 0; address < 0x10000; address += 16) {
        unsigned sum = 0x10 + (address >> 8) + (address & 0xFF);
        int n = std::snprintf(line, sizeof line, ":10%04X00", address);
        for (int i = 0; i < 16; ++i) {
            const unsigned b = rng() & 0xFF;
            sum += b;
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X", b);
        }
        std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += line;
    }
    return text + ":00000001FF\n";
}

void BM_UploadFullImage38400(benchmark::State& state) {
    HexImage image;
    if (loadHexText(fullImageHex(), image)) {
        state.SkipWithError("image refused");
        return;
    }
    const int rows = image.usedRows();
    for (auto _ : state) {
        auto tty = regsim::TtyChannel::openPseudoTerminal();
        regsim::LineFaults paced;
        paced.paceBaud = 38400;
        regsim::FaultyChannel line(*tty, paced);
        handheldsim::LoaderSimulator sim;
        handheldsim::LoaderThread thread(sim, line);
        platform::PosixUploadPort port;
        if (!port.open(tty->devicePath())) {
            state.SkipWithError("cannot open the pseudo-terminal");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        const UploadResult r = uploadOnPort(port, &image, {});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        port.close();
        if (r.outcome != UploadOutcome::Done || sim.report().dataRecords != rows) {
            state.SkipWithError(("upload failed: " + r.status).c_str());
            return;
        }
        // Bytes on the line: the wake-up at 9600 baud, then the clear
        // request and answer, the start, four setup records, 23 bytes a row,
        // the end record and the two-byte answer at 38400 baud.
        const double bytes38400 = 1 + 1 + 1 + 4 * 9 + 23.0 * rows + 5 + 2;
        const double minimum = 2 * 10.0 / 9600 + bytes38400 * 10.0 / 38400 + 0.001 + 1.0 + 0.006 * rows;
        state.counters["seconds"] = seconds;
        state.counters["line_minimum_s"] = minimum;
        state.counters["ratio"] = seconds / minimum;
        auto pauses = sim.report().rowPausesUs;
        std::nth_element(pauses.begin(), pauses.begin() + static_cast<long>(pauses.size() / 2), pauses.end());
        state.counters["median_row_pause_us"] = static_cast<double>(pauses[pauses.size() / 2]);
    }
}
BENCHMARK(BM_UploadFullImage38400)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
