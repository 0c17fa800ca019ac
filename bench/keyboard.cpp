// The keyboard editor on the largest program: building the 169 key captions
// from the record files (as "Update Keyboard" and a new keyboard file do),
// and repainting the whole 13 x 13 board on a 1280 x 1024 screen.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <random>

#include "app/language_texts.h"
#include "keyboard/keyboard_editor.h"
#include "keyboard/keyboard_geometry.h"
#include "keyboard/ui/key_painter.h"
#include "program/file_io.h"

namespace {

using namespace tramond;

struct QuietPrompter : Prompter {
    void message(MessageKind, const std::string&, const std::string&) override {}
    bool confirm(const std::string&, const std::string&) override { return false; }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest&) override { return {}; }
};

// Every record kind a key can name at its largest count, and 169 keys bound
// to records spread over the files.
class LargestProgram {
public:
    LargestProgram() {
        dir_ = std::filesystem::temp_directory_path() / ("tramond-bench-keyboard-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        session.programPath = dir_ / "big.app";
        session.loaded = true;
        const std::pair<RecordKind, int> counts[] = {
            {RecordKind::Plu, 29999},       {RecordKind::Department, 4999}, {RecordKind::Clerk, 999},
            {RecordKind::Modifier, 999},    {RecordKind::Salesperson, 254}, {RecordKind::Condiment, 99},
            {RecordKind::Tender, 32},       {RecordKind::Drawer, 32},       {RecordKind::Correction, 16},
            {RecordKind::Currency, 32},     {RecordKind::Discount, 16},     {RecordKind::PoRa, 8},
            {RecordKind::PbFunction, 99},
        };
        std::mt19937 rng(16);
        std::vector<std::uint16_t> codes;
        for (const auto& [kind, count] : counts) {
            const auto& info = kindInfo(kind);
            const auto place = *descriptorPlace(kind);
            std::vector<std::uint8_t> bytes(info.recordSize * static_cast<std::size_t>(count), 0);
            for (int n = 1; n <= count; ++n) {
                const auto name = std::string(info.name) + " " + std::to_string(n);
                std::copy_n(name.begin(), std::min(name.size(), place.field - 1),
                            bytes.begin() + static_cast<std::ptrdiff_t>((n - 1) * info.recordSize + place.offset));
            }
            writeFileAtomic(session.file(info.extension), bytes);
            session.app.setU16(info.countOffset, static_cast<std::uint16_t>(count));
            const auto* group = recordGroupOf(kind);
            for (int i = 0; i < 13; ++i) codes.push_back(static_cast<std::uint16_t>(group->base + 1 + rng() % count));
        }
        for (int bi = 0; bi < kKeyPositions; ++bi) session.app.setKeyCode(bi, codes[static_cast<std::size_t>(bi)]);
        writeFileAtomic(session.programPath, session.app.bytes());
    }
    ~LargestProgram() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    ProgramSession session;
    std::filesystem::path dir_;
};

LargestProgram& program() {
    static LargestProgram p;
    return p;
}

void BM_Captions169(benchmark::State& state) {
    auto& p = program();
    for (auto _ : state) {
        ProgramKeyNames names(p.session.programPath, p.session.app);
        KeyCaptions captions(p.session.app, LanguageTexts::builtIn(), names);
        std::size_t total = 0;
        for (int bi = 0; bi < kKeyPositions; ++bi) total += captions.caption(p.session.app.keyCode(bi)).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_Captions169)->Unit(benchmark::kMillisecond);

void BM_RepaintBoard(benchmark::State& state) {
    auto& p = program();
    QuietPrompter prompter;
    ProgramKeyNames names(p.session.programPath, p.session.app);
    KeyboardEditor editor(p.session, LanguageTexts::builtIn(), KeyboardMode::Register, p.dir_ / "bkeyboard.set",
                          {prompter, names, {}});
    if (!editor.open()) {
        state.SkipWithError("keyboard file not created");
        return;
    }
    installKeyFontSubstitutes();
    const ScreenGeometry geometry{1280, 96, 0};
    QImage screen(1280, 1024, QImage::Format_ARGB32_Premultiplied);
    KeyPainter keys;
    for (auto _ : state) {
        QPainter painter(&screen);
        paintBoard(painter, editor, keys, geometry);
    }
}
BENCHMARK(BM_RepaintBoard)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
