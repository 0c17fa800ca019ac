#include "options/country.h"

#include <algorithm>

#include "program/codepage.h"
#include "program/setup_common.h"

namespace tramond {

namespace {

constexpr std::array<CountryInfo::Item, 8> kAmountItems{{
    {299, "1.000,00"}, {300, "1,000.00"}, {301, "1.000"}, {302, "1,000"},
    {509, "1.000,000"}, {510, "1,000.000"}, {588, "1.000,0"}, {589, "1,000.0"},
}};
constexpr std::array<CountryInfo::Item, 2> kTimeItems{{{294, "24:00"}, {295, "AM/PM"}}};
constexpr std::array<CountryInfo::Item, 3> kDateItems{{{296, "DD/MM/YY"}, {297, "MM/DD/YY"}, {298, "YY/MM/DD"}}};

constexpr std::array<int, 3> kPrefixFlags{11, 12, 95};

}  // namespace

const std::array<CountryInfo::Item, 8>& CountryInfo::amountItems() { return kAmountItems; }
const std::array<CountryInfo::Item, 2>& CountryInfo::timeItems() { return kTimeItems; }
const std::array<CountryInfo::Item, 3>& CountryInfo::dateItems() { return kDateItems; }

int CountryInfo::amountIndex() const {
    const int decimals = session_.app.flag(1);
    if (decimals > 3) return -1;
    return 2 * decimals + (session_.app.option(2, 1) ? 1 : 0);
}

void CountryInfo::chooseAmount(int index) {
    if (index < 0 || index >= static_cast<int>(kAmountItems.size())) return;
    session_.app.setFlag(1, static_cast<std::uint8_t>(index / 2));
    session_.app.setOption(2, 1, index % 2 != 0);
}

std::string CountryInfo::prefix() const {
    std::array<std::uint8_t, 3> oem{};
    for (std::size_t i = 0; i < kPrefixFlags.size(); ++i) oem[i] = session_.app.flag(kPrefixFlags[i]);
    return oemToUtf8(oem);
}

int CountryInfo::timeIndex() const { return session_.app.option(3, 1) ? 1 : 0; }

void CountryInfo::chooseTime(int index) {
    if (index == 0 || index == 1) session_.app.setOption(3, 1, index == 1);
}

int CountryInfo::dateIndex() const {
    const int v = session_.app.flag(4);
    return v < static_cast<int>(kDateItems.size()) ? v : -1;
}

void CountryInfo::chooseDate(int index) {
    if (index >= 0 && index < static_cast<int>(kDateItems.size()))
        session_.app.setFlag(4, static_cast<std::uint8_t>(index));
}

void CountryInfo::confirm(std::string_view prefixText) {
    auto oem = utf8ToOem(prefixText);
    if (oem.size() > kMaxPrefix) oem.resize(kMaxPrefix);
    for (std::size_t i = 0; i < kPrefixFlags.size(); ++i)
        session_.app.setFlag(kPrefixFlags[i], i < oem.size() ? oem[i] : 0);
    if (!session_.loaded) return;
    setup::writeApplicationFile(session_);
}

}  // namespace tramond
