// The update list as Update Register reads it: any bytes in ".upd", in both
// PLU modes, down to the commands built from PLU lines.
#include "fuzz_support.h"
#include "link/update_plan.h"
#include "program/update_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    if (size == 0) return 0;
    const bool pluByCode = data[0] & 1;
    const auto file = fuzz::scratch() / "p.upd";
    fuzz::writeFile(file, data + 1, size - 1);
    try {
        const auto lines = readUpdateFileLines(file);
        const auto plan = planUpdate(lines, pluByCode);
        for (const auto& line : plan.pluLines) {
            (void)pluCommandFor(line);
            (void)pluLinePosition(line);
            (void)packPluLineCode(line);
        }
        // The editors' side of the same file: marking keeps it readable.
        UpdateList list(file);
        list.mark(1);
        (void)readUpdateFileLines(file);
    } catch (const std::exception&) {
    }
    return 0;
}
