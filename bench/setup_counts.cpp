// Raising the PLU count of a loaded program to its largest value through the
// Setup handler: the record file grows from 420 to 29999 records on disk.
// Run by hand.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "program/default_records.h"
#include "program/file_io.h"
#include "program/setup_counts.h"
#include "program/setup_plu.h"

namespace {

using namespace tramond;
namespace fs = std::filesystem;

void BM_RaisePluCountToMax(benchmark::State& state) {
    const auto dir = fs::temp_directory_path() / ("tramond-bench-setup-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ProgramSession s;
    s.programPath = dir / "shop.app";
    s.loaded = true;
    writeFileAtomic(s.programPath, s.app.bytes());
    const auto plu = s.file(".plu");
    const auto smallApp = s.app;
    for (auto _ : state) {
        state.PauseTiming();
        s.app = smallApp;
        createRecordFile(plu, RecordKind::Plu, s.app, s.text);  // 420 records
        state.ResumeTiming();
        SetupPlu dlg(s.app);
        std::array<std::string, 7> texts;
        for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = dlg.text(SetupPlu::fields()[i].field);
        texts[0] = "29999";
        dlg.store(texts);
        finishSetupPlu(s, true);
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(plu));
    fs::remove_all(dir);
}
BENCHMARK(BM_RaisePluCountToMax)->Unit(benchmark::kMillisecond);

void BM_RaiseGroupCountByOne(benchmark::State& state) {
    const auto dir = fs::temp_directory_path() / ("tramond-bench-setup1-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ProgramSession s;
    s.programPath = dir / "shop.app";
    s.loaded = true;
    writeFileAtomic(s.programPath, s.app.bytes());
    std::uint32_t n = 10;
    for (auto _ : state) {
        if (n >= 499) {
            state.PauseTiming();
            fs::remove(s.file(".grp"));
            n = 10;
            state.ResumeTiming();
        }
        applyCount(s, CountItem::Groups, ++n);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_RaiseGroupCountByOne)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
