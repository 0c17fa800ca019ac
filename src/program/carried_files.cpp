#include "program/carried_files.h"

namespace tramond {

std::uint16_t pbInfoCount(const ApplicationBlock& app) { return app.u16(kAppPbInfoCountOffset); }

bool pbCodeRecords(const ApplicationBlock& app) {
    return (app.u8(kAppPbFlagsOffset) & 0x0F) != 0 && !app.option(19, 3) && !app.option(20, 8);
}

bool pbInfoFileOnSend(const ApplicationBlock& app) {
    return pbCodeRecords(app) || (app.u8(kAppPbTextSizeOffset) != 0 && !app.option(83, 1));
}

bool sendsPbTrailer(const ApplicationBlock& app) { return (app.u8(kAppPbFlagsOffset) & 0x80) != 0; }

bool hasLogo(const ApplicationBlock& app) { return (app.u8(kAppLogoSettingOffset) & 0x0F) != 0; }

std::vector<std::uint32_t> partsBroughtIn(const ApplicationBlock& before, const ApplicationBlock& after) {
    std::vector<std::uint32_t> codes;
    const auto records = [](const ApplicationBlock& a) { return pbInfoFileOnSend(a) ? pbInfoCount(a) : 0u; };
    // Records past what the register held are new to it either way; those
    // it held but was never sent are the ones a setting brings in.
    if (records(before) == 0)
        for (std::uint32_t n = 1; n <= records(after); ++n) codes.push_back(kPbInfoBase + n);
    const auto trailer = [](const ApplicationBlock& a) { return pbInfoCount(a) != 0 && sendsPbTrailer(a); };
    if (!trailer(before) && trailer(after)) codes.push_back(kPbTrailerBlock);
    if (!hasLogo(before) && hasLogo(after)) codes.push_back(kLogoSettingBlock);
    return codes;
}

}  // namespace tramond
