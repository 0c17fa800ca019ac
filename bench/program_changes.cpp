// The marking function over a PLU file of 29,999 records (the most the PLU
// setup allows): the change codes of one changed record in a whole-file
// image, as a CSV import or a restore sees it, in number and in code mode,
// and the write of one record in place with its mark, as the PLU editor
// stores it.

#include "program/program_changes.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "program/file_io.h"

namespace fs = std::filesystem;
using namespace tramond;

namespace {

constexpr std::size_t kPlus = 29999;
constexpr std::size_t kSize = 137;

ApplicationBlock program(int codeBytes) {
    ApplicationBlock app;
    app.setU16(2227, kPlus);
    app.setU8(2234, static_cast<std::uint8_t>(codeBytes));
    return app;
}

std::vector<std::uint8_t> pluFile() {
    std::vector<std::uint8_t> b(kPlus * kSize, 0);
    for (std::size_t r = 0; r < kPlus; ++r) b[r * kSize + 2] = static_cast<std::uint8_t>(1 + r % 99);
    return b;
}

void BM_WholeFileChanges(benchmark::State& state) {
    const auto app = program(static_cast<int>(state.range(0)));
    const auto before = pluFile();
    auto after = before;
    after[kSize * 1234 + 40] ^= 1;
    for (auto _ : state) benchmark::DoNotOptimize(programFileChanges("p.plu", 0, before, after, app));
}
BENCHMARK(BM_WholeFileChanges)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_RecordInPlaceWithItsMark(benchmark::State& state) {
    const auto dir = fs::temp_directory_path() / ("tramond-bench-changes-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    writeFileAtomic(dir / "p.plu", pluFile());
    const UpdateList list(dir / "p.upd");
    const auto app = program(0);
    std::vector<std::uint8_t> record(kSize, 0);
    std::uint8_t n = 0;
    for (auto _ : state) {
        record[40] = ++n;
        writeProgramFileAt(list, app, dir / "p.plu", kSize * 1234, record);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_RecordInPlaceWithItsMark)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
