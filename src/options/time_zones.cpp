#include "options/time_zones.h"

#include <algorithm>
#include <cstdio>

#include "program/setup_common.h"

namespace tramond {

std::uint16_t TimeZones::packStartTime(std::string_view text) {
    std::uint16_t word = 0;
    int nibble = 0;
    for (auto it = text.rbegin(); it != text.rend() && nibble < 4; ++it) {
        if (*it < '0' || *it > '9') continue;
        word = static_cast<std::uint16_t>(word | ((*it - '0') << (4 * nibble)));
        ++nibble;
    }
    return word;
}

int TimeZones::zoneCount() const {
    return std::min<int>(session_.app.u16(kCountOffset), kMaxZones);
}

std::string TimeZones::cell(int row, int column) const {
    if (row < 0 || row >= zoneCount()) return {};
    const int zone = row + 1;
    switch (column) {
        case 0: return startZone_ + "  " + std::to_string(zone);
        case 1: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%04X", session_.app.u16(kStartTimes + 2 * static_cast<std::size_t>(row)));
            return buf;
        }
        case 2:
        case 3: {
            if (zone > kZonesWithLevels) return notUsed_;
            const auto base = column == 2 ? kPriceLevels : kArticleLevels;
            return std::to_string(session_.app.u8(base + static_cast<std::size_t>(row)));
        }
    }
    return {};
}

TimeZones::Edit TimeZones::setCell(int row, int column, std::string_view text) {
    if (row < 0 || row >= zoneCount() || column < 1 || column >= kColumns) return Edit::Ignored;
    const int zone = row + 1;
    if (column >= 2 && zone > kZonesWithLevels) return Edit::NotUsed;
    if (text.empty()) return Edit::Ignored;
    const long limit = column == 1 ? 2400 : column == 2 ? 4 : 255;
    const auto n = setup::parseNumber(text, limit);
    if (!n) return Edit::WrongInput;
    const auto r = static_cast<std::size_t>(row);
    if (column == 1) {
        session_.app.setU16(kStartTimes + 2 * r, packStartTime(text));
    } else {
        session_.app.setU8((column == 2 ? kPriceLevels : kArticleLevels) + r, static_cast<std::uint8_t>(*n));
    }
    return Edit::Stored;
}

void TimeZones::confirm() { setup::writeApplicationFile(session_); }

}  // namespace tramond
