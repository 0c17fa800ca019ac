#include "printing/amount_format.h"

#include "program/packed.h"

namespace tramond {

namespace {
constexpr int kDecimalsFlag = 1;
constexpr int kSeparatorFlag = 2;
constexpr int kDecimalsBySetting[4] = {2, 0, 3, 1};
}  // namespace

AmountFormat amountFormat(const ApplicationBlock& app) {
    return {kDecimalsBySetting[app.flag(kDecimalsFlag) & 0x03],
            app.option(kSeparatorFlag, 1) ? '.' : ','};
}

std::string formatAmount(std::string_view digits, AmountFormat format) {
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    std::string d = digits.empty() ? std::string("0") : std::string(digits);
    const auto decimals = static_cast<std::size_t>(format.decimals);
    if (decimals == 0) return d;
    if (d == "0") d.clear();
    if (d.size() <= decimals) return "0" + std::string(1, format.separator) + std::string(decimals - d.size(), '0') + d;
    return d.substr(0, d.size() - decimals) + format.separator + d.substr(d.size() - decimals);
}

std::string formatPackedAmount(std::span<const std::uint8_t> field, AmountFormat format) {
    return formatAmount(unpackAmount(field), format);
}

}  // namespace tramond
