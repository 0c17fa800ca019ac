// The dealer's verbs at the largest PLU file a register takes (29,999 PLUs):
// export to CSV, import of a sheet with every row changed, and the
// comparison of two such programs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "cli/csv.h"
#include "cli/program_diff.h"
#include "cli/record_csv.h"
#include "editors/plu_record.h"
#include "program/file_io.h"
#include "program/text_block.h"

namespace {

using namespace tramond;

constexpr int kPlus = 29999;

void write(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class BigProgram {
public:
    BigProgram(const std::string& tag, std::uint32_t priceSeed) {
        dir_ = std::filesystem::temp_directory_path() / ("tramond-bench-cli-" + std::to_string(::getpid()) + tag);
        std::filesystem::create_directories(dir_);
        auto app = ApplicationBlock::builtIn();
        app.setU16(2227, kPlus);
        app.setU8(2234, 0);
        app.setU8(2235, 24);
        app.setU8(2236, 4);
        app.setU8(2237, 4);
        image.appPath = dir_ / "big.app";
        image.app = app;
        write(image.appPath, {app.bytes().begin(), app.bytes().end()});
        const auto text = TextBlock::builtIn();
        write(image.file(".txt"), {text.bytes().begin(), text.bytes().end()});
        std::mt19937 names(7), prices(priceSeed);
        std::vector<std::uint8_t> plu(static_cast<std::size_t>(kPlus) * plu::kRecordSize, 0);
        for (int r = 0; r < kPlus; ++r) {
            auto* rec = plu.data() + static_cast<std::size_t>(r) * plu::kRecordSize;
            const auto name = "ARTICLE, \"" + std::to_string(names() % 100000) + "\" \x82";
            std::copy(name.begin(), name.end(), rec + plu::kDescriptor);
            rec[plu::kDepartment] = static_cast<std::uint8_t>(1 + r % 6);
            for (int level = 0; level < 4; ++level)
                for (int b = 0; b < 4; ++b) rec[37 + 9 * level + b] = static_cast<std::uint8_t>(prices() % 10 * 0x11);
            rec[plu::kPrintByte] = 3;
        }
        write(image.file(".plu"), plu);
    }
    ~BigProgram() { std::filesystem::remove_all(dir_); }
    ProgramImage image;

private:
    std::filesystem::path dir_;
};

void BM_ExportPlus(benchmark::State& state) {
    BigProgram p("-export", 1);
    for (auto _ : state) benchmark::DoNotOptimize(exportRecords(p.image, RecordKind::Plu));
}
BENCHMARK(BM_ExportPlus)->Unit(benchmark::kMillisecond);

// Every row's first price raised; the PLU file and update list are put back
// between rounds (outside the timing).
void BM_ImportEveryRowChanged(benchmark::State& state) {
    BigProgram p("-import", 1);
    const auto original = readFile(p.image.file(".plu"));
    auto parsed = csv::parse(exportRecords(p.image, RecordKind::Plu));
    std::string sheet;
    for (std::size_t r = 0; r < parsed.rows.size(); ++r) {
        if (r > 0) parsed.rows[r].fields[3] = std::to_string(10000 + r);
        csv::appendRecord(sheet, parsed.rows[r].fields);
    }
    for (auto _ : state) {
        state.PauseTiming();
        write(p.image.file(".plu"), original);
        std::filesystem::remove(p.image.file(".upd"));
        state.ResumeTiming();
        const auto outcome = importRecords(p.image, RecordKind::Plu, sheet);
        if (outcome.changedRecords.size() != static_cast<std::size_t>(kPlus)) state.SkipWithError("not every row changed");
    }
}
BENCHMARK(BM_ImportEveryRowChanged)->Unit(benchmark::kMillisecond);

void BM_DiffLargestPrograms(benchmark::State& state) {
    BigProgram a("-a", 1);
    BigProgram b("-b", state.range(0) ? 2 : 1);  // another seed: every PLU's prices differ
    for (auto _ : state) benchmark::DoNotOptimize(diffPrograms(a.image, b.image));
}
BENCHMARK(BM_DiffLargestPrograms)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
