// A keyboard layout file (".kbf", ".kb2" ..) of any length and content, as
// the keyboard editor opens it: whatever is read must be written and read
// back unchanged, header and every key.
#include <cstdlib>

#include "fuzz_support.h"
#include "keyboard/keyboard_file.h"
#include "program/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    const auto path = fuzz::scratch() / "p.kbf";
    const auto copy = fuzz::scratch() / "q.kbf";
    fuzz::writeFile(path, data, size);
    try {
        ApplicationBlock app;
        auto file = KeyboardFile::read(path, app);
        if (!file) return 0;
        for (std::size_t p = 0; p < KeyboardFile::kRecords; ++p) {
            const auto& key = file->record(static_cast<int>(p));
            (void)key.displayKind();
            (void)key.systemCaption();
            for (int line = 0; line < 3; ++line) {
                (void)key.text(line);
                (void)key.style(line);
            }
        }
        std::filesystem::remove(copy);
        KeyboardFile out(copy);
        for (std::size_t p = 0; p < KeyboardFile::kRecords; ++p)
            out.record(static_cast<int>(p)) = file->record(static_cast<int>(p));
        out.write(app);
        ApplicationBlock back;
        const auto reread = KeyboardFile::read(copy, back);
        if (!reread) std::abort();
        for (std::size_t p = 0; p < KeyboardFile::kRecords; ++p)
            if (!(reread->record(static_cast<int>(p)) == file->record(static_cast<int>(p)))) std::abort();
    } catch (const FileError&) {
        // A clear refusal is a fine outcome for a damaged file.
    }
    return 0;
}
