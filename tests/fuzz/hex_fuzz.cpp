// Intel HEX text as the handheld upload reads it, through the parser's
// public entry only (its rules may tighten without touching this): any
// bytes either give an error on a line the text has, or an image whose
// rows are all readable.
#include <algorithm>
#include <cstdlib>

#include "handheld/hex_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static HexImage image;  // 64 KiB: not rebuilt for every input
    const auto error = loadHexText(text, image);
    if (error) {
        const auto lines = 1 + std::count(text.begin(), text.end(), '\n');
        // Line 0 is the file as a whole; one past the last, what it lacks at its end.
        if (error->line < 0 || error->line > lines + 1) std::abort();
        if (error->describe().empty()) std::abort();
        if (image.usedRows() != 0) std::abort();  // a refused file leaves nothing to send
        return 0;
    }
    int used = 0;
    unsigned sum = 0;
    for (int r = 0; r < HexImage::kRows; ++r) {
        if (!image.rowUsed(r)) continue;
        ++used;
        for (auto b : image.row(r)) sum += b;
    }
    if (used != image.usedRows()) std::abort();
    (void)sum;
    return 0;
}
