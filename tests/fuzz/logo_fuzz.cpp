// A logo ".bmp" as it may lie on disk: any header values, any length. The
// sender must refuse what it cannot read and never read past the file.
#include <vector>

#include "link/logo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    if (size < 1) return 0;
    const auto layout = logoLayout(1 + data[0] % 3);
    if (!layout) return 0;
    auto sender = LogoSender::fromBitmap(std::vector<std::uint8_t>(data + 1, data + size), *layout);
    if (!sender) return 0;
    for (int line = 0; line <= sender->lastLine(); ++line) (void)sender->buildLine(line);
    return 0;
}
