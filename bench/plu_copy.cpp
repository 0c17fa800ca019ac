// Copying PLU fields from one PLU into every other PLU of the largest PLU
// file (29,999 PLUs): one read and one write of the run, one update-list
// write for all targets.
#include "editors/plu_copy.h"

#include <benchmark/benchmark.h>

#include "bench_scratch.h"
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace tramond;

constexpr int kPlus = 29999;

class BigProgram {
public:
    explicit BigProgram(int codeBytes) : dir_("copy-" + std::to_string(codeBytes)) {
        session.programPath = dir_.path() / "big.app";
        session.loaded = true;
        header.count = kPlus;
        header.codeBytes = codeBytes;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kPlus) * plu::kRecordSize, 0x11);
        std::ofstream(session.file(".plu"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        source.assign(plu::kRecordSize, 0x42);
    }

    ProgramSession session;
    PluHeader header;
    std::vector<std::uint8_t> source;

private:
    bench::ScratchDir dir_;
};

void copyIntoEveryPlu(benchmark::State& state) {
    BigProgram program(static_cast<int>(state.range(0)));
    PluCopyRequest request;
    request.groups.fill(true);
    request.start = "1";
    request.range = std::to_string(kPlus - 1);  // every PLU but the source
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(program.session.file(".upd"));
        state.ResumeTiming();
        const auto result = copyPluFields(program.session, program.header, program.source, 1, request);
        if (result.outcome != PluCopyResult::Outcome::Copied || result.targets.size() != kPlus - 1)
            state.SkipWithError("copy failed");
    }
}
// 0: number mode (change codes); 7: code mode ("R" lines).
BENCHMARK(copyIntoEveryPlu)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
