// The PLU editor at the largest PLU file a register takes (29,999 PLUs):
// opening the editor, resorting its list and finding a typed code.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "editors/plu_editor.h"

namespace {

using namespace tramond;

constexpr int kPlus = 29999;

struct NullPrompts : EditorPrompts {
    void show(const EditorMessage&) override {}
    bool confirm(const EditorMessage&) override { return false; }
};

// A program whose PLUs carry 7-byte codes (random, distinct) and names; one
// in ten is unused.
class BigProgram {
public:
    explicit BigProgram(int codeBytes) {
        dir_ = std::filesystem::temp_directory_path() / ("tramond-bench-plu-" + std::to_string(::getpid()) + "-" +
                                                         std::to_string(codeBytes));
        std::filesystem::create_directories(dir_);
        session.programPath = dir_ / "big.app";
        session.loaded = true;
        auto& app = session.app;
        app.setU16(2227, kPlus);
        app.setU8(2231, 11);
        app.setU8(2234, static_cast<std::uint8_t>(codeBytes));
        app.setU8(2235, 24);
        app.setU8(2236, 4);
        app.setU8(2237, 3);
        std::mt19937_64 rng(7);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kPlus) * plu::kRecordSize, 0);
        for (int r = 0; r < kPlus; ++r) {
            auto* rec = bytes.data() + static_cast<std::size_t>(r) * plu::kRecordSize;
            const auto name = "ARTICLE " + std::to_string(rng() % 100000);
            std::copy(name.begin(), name.end(), rec + 9);
            if (codeBytes == 0 || r % 10 == 9) continue;
            // Distinct codes: the record number in the low digits.
            std::uint64_t code = (rng() % 1000000) * 100000 + static_cast<std::uint64_t>(r + 1);
            if (r == kPlus - 2) lastCode = std::to_string(code);
            for (int b = 0; b < codeBytes && code; ++b, code /= 100)
                rec[2 + b] = static_cast<std::uint8_t>((code % 10) | ((code / 10 % 10) << 4));
        }
        std::ofstream(session.file(".plu"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~BigProgram() { std::filesystem::remove_all(dir_); }

    ProgramSession session;
    std::string lastCode;

private:
    std::filesystem::path dir_;
};

void BM_OpenPluEditor(benchmark::State& state) {
    BigProgram program(static_cast<int>(state.range(0)));
    NullPrompts prompts;
    for (auto _ : state) {
        PluEditorController editor(program.session, LanguageTexts::builtIn(), prompts);
        benchmark::DoNotOptimize(editor.activate());
    }
}
BENCHMARK(BM_OpenPluEditor)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond);

void BM_ResortPluEditor(benchmark::State& state) {
    BigProgram program(static_cast<int>(state.range(0)));
    NullPrompts prompts;
    PluEditorController editor(program.session, LanguageTexts::builtIn(), prompts);
    editor.activate();
    for (auto _ : state) benchmark::DoNotOptimize(editor.resort());
}
BENCHMARK(BM_ResortPluEditor)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond);

void BM_FindCodeInList(benchmark::State& state) {
    BigProgram program(7);
    auto list = PluList::read(program.session.file(".plu"), kPlus, 7, PluListOrder::Code);
    const auto typed = "000" + program.lastCode;
    for (auto _ : state) benchmark::DoNotOptimize(list->findCode(typed));
}
BENCHMARK(BM_FindCodeInList)->Unit(benchmark::kMicrosecond);

// The whole step the user waits for: leave the code edit, find, show.
void BM_FindCodeInEditor(benchmark::State& state) {
    BigProgram program(7);
    NullPrompts prompts;
    PluEditorController editor(program.session, LanguageTexts::builtIn(), prompts);
    editor.activate();
    const std::string first = editor.codeText;
    bool toggle = false;
    for (auto _ : state) {
        editor.codeText = toggle ? first : program.lastCode;
        toggle = !toggle;
        benchmark::DoNotOptimize(editor.leaveCodeEdit());
    }
}
BENCHMARK(BM_FindCodeInEditor)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
