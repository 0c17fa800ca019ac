// The program history's figures, run by hand: recording a version of the
// largest program after one price change, what 100 such versions cost on
// disk against the program itself, and listing a history of 1,000 versions.

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <filesystem>

#include "bench_scratch.h"
#include "history/program_history.h"
#include "program/file_io.h"
#include "program/file_set.h"
#include "program/program_ops.h"

namespace {

using namespace tramond;
namespace fs = std::filesystem;

constexpr std::size_t kPluSize = 137;
constexpr std::size_t kPriceOffset = 37;  // first price level

fs::path largestProgram(const fs::path& dir) {
    ProgramSession s;
    s.app.setKindCount(appblock::kPlu, 29999);
    s.app.setKindCount(appblock::kDepartment, 4999);
    s.app.set(appblock::kPluPriceSize, 4);
    s.app.set(appblock::kPluPriceLevels, 4);
    if (!createProgram(s, dir / "big.app").ok()) throw std::runtime_error("no program");
    return dir / "big.app";
}

// One price of one PLU, as the PLU editor writes it (the record in place)
// with its line in the update list.
void changePrice(const fs::path& app, std::size_t plu) {
    auto bytes = readFile(fileset::sibling(app, ".plu"));
    ++bytes[(plu - 1) * kPluSize + kPriceOffset];
    writeFileAtomic(fileset::sibling(app, ".plu"), bytes);
    UpdateList(fileset::sibling(app, ".upd")).mark(static_cast<std::uint32_t>(10000 + plu));
}

// Bytes the files take on disk (whole blocks).
std::uintmax_t diskBytes(const fs::path& root, bool recursive, const std::string& stem = {}) {
    std::uintmax_t total = 0;
    auto add = [&](const fs::directory_entry& e) {
        struct stat st {};
        if (e.is_regular_file() && ::stat(e.path().c_str(), &st) == 0) total += static_cast<std::uintmax_t>(st.st_blocks) * 512;
    };
    if (recursive) {
        for (const auto& e : fs::recursive_directory_iterator(root)) add(e);
    } else {
        for (const auto& e : fs::directory_iterator(root))
            if (e.path().stem() == stem) add(e);
    }
    return total;
}

void BM_RecordAfterOnePriceChange(benchmark::State& state) {
    bench::ScratchDir dir("history-record");
    const auto app = largestProgram(dir.path());
    history::ProgramHistory h(app);
    h.record({history::Event::Record, "start", {}, false});
    std::size_t plu = 1;
    for (auto _ : state) {
        state.PauseTiming();
        changePrice(app, plu);
        plu = plu % 29999 + 997;
        state.ResumeTiming();
        const auto r = h.keepCurrent();
        if (!r.recorded) {
            state.SkipWithError(("not recorded: " + r.warning).c_str());
            break;
        }
    }
}
BENCHMARK(BM_RecordAfterOnePriceChange)->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_HundredVersionsOnDisk(benchmark::State& state) {
    for (auto _ : state) {
        bench::ScratchDir dir("history-space");
        const auto app = largestProgram(dir.path());
        history::ProgramHistory h(app);
        h.record({history::Event::Record, "start", {}, false});
        for (std::size_t i = 1; i <= 100; ++i) {
            changePrice(app, i * 293 % 29999 + 1);
            h.keepCurrent();
        }
        const auto program = diskBytes(dir.path(), false, "big");
        const auto repository = diskBytes(h.repositoryPath(), true);
        state.counters["program_MB"] = static_cast<double>(program) / 1e6;
        state.counters["history_MB"] = static_cast<double>(repository) / 1e6;
        state.counters["history_per_program"] = static_cast<double>(repository) / static_cast<double>(program);
        state.counters["versions"] = static_cast<double>(h.versions().size());
    }
}
BENCHMARK(BM_HundredVersionsOnDisk)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_List1000Versions(benchmark::State& state) {
    bench::ScratchDir dir("history-list");
    ProgramSession s;
    createProgram(s, dir.path() / "shop.app");
    history::ProgramHistory h(dir.path() / "shop.app");
    for (int i = 0; i < 1000; ++i)
        h.record({history::Event::Update, {}, history::Transfer{"0", "/dev/ttyS0", 38400, "ok"}, false});
    for (auto _ : state) {
        const auto all = h.versions();
        if (all.size() != 1000) state.SkipWithError("not 1000 versions");
        benchmark::DoNotOptimize(all.data());
    }
}
BENCHMARK(BM_List1000Versions)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
