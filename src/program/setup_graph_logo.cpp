#include "program/setup_graph_logo.h"

#include <algorithm>

#include "program/default_logo.h"
#include "program/program_changes.h"
#include "program/setup_common.h"

namespace tramond {

namespace {

constexpr std::array<std::string_view, 5> kSizeItems{"Not Active", "256 x 160", "256 x 320", "512 x 160",
                                                     "Do not send logo "};
constexpr std::array<std::string_view, 4> kDensityItems{"1x1", "1x2", "2x1", "2x2"};

bool toggleBit(ProgramSession& session, int bitIndex) {
    const bool on = !session.app.bit(kIndividualSettingsByte, bitIndex);
    session.app.setBit(kIndividualSettingsByte, bitIndex, on);
    setup::writeApplicationFile(session);
    return on;
}

}  // namespace

const std::array<std::string_view, 5>& SetupGraphLogo::sizeItems() { return kSizeItems; }
const std::array<std::string_view, 4>& SetupGraphLogo::densityItems() { return kDensityItems; }

int SetupGraphLogo::sizeIndex() const {
    const int low = app_.u8(kSettingByte) & 0x0f;
    if (low == kDoNotSend) return 4;
    return low <= 3 ? low : 0;
}

int SetupGraphLogo::densityIndex() const { return (app_.u8(kSettingByte) >> 4) & 0x03; }

void SetupGraphLogo::store(int sizeIndex, int densityIndex) {
    sizeIndex = std::clamp(sizeIndex, 0, 4);
    densityIndex = std::clamp(densityIndex, 0, 3);
    const int size = sizeIndex == 4 ? kDoNotSend : sizeIndex;
    app_.setU8(kSettingByte, static_cast<std::uint8_t>(size + 16 * densityIndex));
}

MemoryRequirement finishSetupGraphLogo(ProgramSession& session, bool confirmed) {
    const auto memory = recomputeSizes(session.app);
    if (!session.loaded) return memory;
    const auto bmp = session.file(".bmp");
    std::error_code ec;
    // "Do not send" keeps the register's own logo: it has no picture size to
    // create a file for, and writeDefaultLogo leaves it alone.
    if ((session.app.u8(SetupGraphLogo::kSettingByte) & 0x0f) != 0 && !std::filesystem::exists(bmp, ec))
        if (const auto logo = defaultLogoBitmap(session.app.logoSize()); !logo.empty())
            writeProgramFile(session, bmp, logo);  // marks block 91 with the write
    if (confirmed) setup::writeApplicationFile(session);
    return memory;
}

bool individualKeyboards(const ApplicationBlock& app) { return app.bit(kIndividualSettingsByte, 0); }
bool individualPrinters(const ApplicationBlock& app) { return app.bit(kIndividualSettingsByte, 1); }
bool toggleIndividualKeyboards(ProgramSession& session) { return toggleBit(session, 0); }
bool toggleIndividualPrinters(ProgramSession& session) { return toggleBit(session, 1); }

}  // namespace tramond
