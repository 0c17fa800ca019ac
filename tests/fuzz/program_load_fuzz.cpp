// A program's ".app" and ".txt" as the loader meets them on disk: the first
// 2845 bytes (or fewer, for the wrong-size paths) are the application file,
// the rest the text file. Loading validates, applies fixed values and sizes
// the memory map; every text entry is then read back.
#include "fuzz_support.h"
#include "program/program_ops.h"
#include "program/sizing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    const std::size_t appSize = std::min(size, ApplicationBlock::kSize);
    const auto app = fuzz::scratch() / "p.app";
    fuzz::writeFile(app, data, appSize);
    fuzz::writeFile(fuzz::scratch() / "p.txt", data + appSize, size - appSize);
    ProgramSession session;
    session.unattended = true;
    try {
        const auto result = loadProgram(session, app);
        if (result.ok()) {
            recomputeSizes(session.app);
            for (const auto& info : textblock::kSections)
                for (std::size_t i = 0; i < info.entries; ++i) (void)session.text.entryText(info.section, i);
        }
    } catch (const std::exception&) {
        // A clear error is the wanted outcome for damaged files.
    }
    return 0;
}
