// Marking the change codes of 30,000 PLUs (codes 10001..40000), as copying a
// field to every PLU does: one batch against one call per code. One call per
// code rereads and rewrites the growing list each time, so that variant runs
// on a smaller count; its per-code time grows with the list.

#include "program/update_list.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <numeric>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path benchFile() {
    const auto dir =
        fs::temp_directory_path() / ("tramond-bench-upd-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / "bench.upd";
}

std::vector<std::uint32_t> pluCodes(std::size_t n) {
    std::vector<std::uint32_t> codes(n);
    std::iota(codes.begin(), codes.end(), 10001u);
    return codes;
}

void BM_MarkBatch(benchmark::State& state) {
    const auto file = benchFile();
    const auto codes = pluCodes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(file);
        state.ResumeTiming();
        tramond::UpdateList(file).markMany(codes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    fs::remove_all(file.parent_path());
}
BENCHMARK(BM_MarkBatch)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_MarkOneAtATime(benchmark::State& state) {
    const auto file = benchFile();
    const auto codes = pluCodes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(file);
        state.ResumeTiming();
        tramond::UpdateList list(file);
        for (auto c : codes) list.mark(c);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    fs::remove_all(file.parent_path());
}
BENCHMARK(BM_MarkOneAtATime)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
