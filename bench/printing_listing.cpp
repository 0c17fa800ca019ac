// Listing the largest PLU file a register takes (29,999 PLUs, four price
// levels, cost price): building the listing, and the whole way from the
// program to the PDF file, with the memory that takes.
#include <benchmark/benchmark.h>

#include "bench_scratch.h"
#include <sys/resource.h>
#include <unistd.h>

#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "editors/plu_record.h"
#include "printing/listing.h"
#include "printing/ui/listing_document.h"
#include "program/file_io.h"

namespace {

using namespace tramond;

constexpr int kPlus = 29999;

class BigProgram {
public:
    explicit BigProgram(int codeBytes) : dir_("print-" + std::to_string(codeBytes)) {
        session.programPath = dir_.path() / "big.app";
        session.loaded = true;
        auto& app = session.app;
        app.setKindCount(appblock::kPlu, kPlus);
        app.set(appblock::kPluRandomCodeSize, static_cast<std::uint32_t>(codeBytes));
        app.setKindDescriptorLength(appblock::kPlu, 24);
        app.set(appblock::kPluPriceLevels, 4);
        app.set(appblock::kPluPriceSize, 3);
        app.set(appblock::kPluCostPrice, 1);
        std::mt19937_64 rng(11);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kPlus) * plu::kRecordSize, 0);
        for (int r = 0; r < kPlus; ++r) {
            auto* rec = bytes.data() + static_cast<std::size_t>(r) * plu::kRecordSize;
            const auto name = "ARTICLE " + std::to_string(rng() % 100000);
            std::copy(name.begin(), name.end(), rec + plu::kDescriptor);
            for (int level = 0; level < 4; ++level) rec[37 + 9 * level] = static_cast<std::uint8_t>(0x12 + level);
            std::uint64_t code = (rng() % 1000000) * 100000 + static_cast<std::uint64_t>(r + 1);
            for (int b = 0; b < codeBytes && code; ++b, code /= 100)
                rec[2 + b] = static_cast<std::uint8_t>((code % 10) | ((code / 10 % 10) << 4));
        }
        writeFileAtomic(session.file(".plu"), bytes);
    }

    ProgramSession session;

private:
    bench::ScratchDir dir_;
};

ListingRequest request() { return {{0, 60, true, true, true}, "Tue Dec  8 06:00:00 2026", {}}; }

void BM_BuildPluListing(benchmark::State& state) {
    BigProgram program(static_cast<int>(state.range(0)));
    std::size_t lines = 0;
    for (auto _ : state) {
        auto listing = buildListing(ListingKind::Plu, program.session, LanguageTexts::builtIn(), request());
        lines = listing.lines.size();
        benchmark::DoNotOptimize(listing);
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_BuildPluListing)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond);

// Resident memory now and at its highest so far, in bytes.
std::size_t residentNow() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}
std::size_t residentPeak() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<std::size_t>(u.ru_maxrss) * 1024;
}

// What the dealer waits for: "tramond print big.app plu -o big.pdf".
// peak_added_MB is the highest resident memory above what the process held
// before (run this benchmark alone for a clean figure).
void BM_PluListingToPdf(benchmark::State& state) {
    BigProgram program(0);
    const auto file = program.session.file(".pdf");
    const std::size_t before = residentNow();
    std::size_t pages = 0;
    for (auto _ : state) {
        const auto listing = buildListing(ListingKind::Plu, program.session, LanguageTexts::builtIn(), request());
        const auto problem = ui::writeListingFile(file, ui::ListingFormat::Pdf, listing);
        if (!problem.empty()) state.SkipWithError(problem.c_str());
        pages = ui::listingPdfPages(listing);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["peak_added_MB"] = static_cast<double>(residentPeak() - std::min(before, residentPeak())) / 1e6;
}
BENCHMARK(BM_PluListingToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
