// Creating and loading a program of the largest size a dealer can set up,
// and converting register texts; run by hand.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "program/codepage.h"
#include "program/default_records.h"
#include "program/program_ops.h"

namespace {

using namespace tramond;
namespace fs = std::filesystem;

fs::path scratch() {
    auto p = fs::temp_directory_path() / ("tramond-bench-" + std::to_string(::getpid()));
    fs::create_directories(p);
    return p;
}

void BM_CreateLargestProgram(benchmark::State& state) {
    const auto dir = scratch();
    for (auto _ : state) {
        ProgramSession s;
        s.app.setKindCount(appblock::kPlu, 29999);
        s.app.setKindCount(appblock::kDepartment, 4999);
        s.app.set(appblock::kPluPriceSize, 4);
        s.app.set(appblock::kPluPriceLevels, 4);
        auto r = createProgram(s, dir / "big.app");
        benchmark::DoNotOptimize(r);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_CreateLargestProgram)->Unit(benchmark::kMillisecond);

void BM_DefaultPluRecords(benchmark::State& state) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    app.set(appblock::kPluPriceSize, 4);
    app.set(appblock::kPluPriceLevels, 4);
    const auto text = TextBlock::builtIn();
    for (auto _ : state) {
        auto b = defaultRecords(RecordKind::Plu, 1, 29999, app, text);
        benchmark::DoNotOptimize(b.data());
    }
    state.SetItemsProcessed(state.iterations() * 29999);
}
BENCHMARK(BM_DefaultPluRecords)->Unit(benchmark::kMillisecond);

void BM_CodePageRoundTrip(benchmark::State& state) {
    std::vector<std::uint8_t> all;
    for (int i = 0; i < 9689; ++i) all.push_back(static_cast<std::uint8_t>(1 + i % 255));
    for (auto _ : state) {
        auto back = utf8ToOem(oemToUtf8(all));
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(state.iterations() * 9689);
}
BENCHMARK(BM_CodePageRoundTrip);

}  // namespace

BENCHMARK_MAIN();
