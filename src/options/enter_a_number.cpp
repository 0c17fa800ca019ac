#include "options/enter_a_number.h"

#include <climits>

#include "program/setup_common.h"

namespace tramond {

namespace {

constexpr RegisterNumberingInfo kLocation{RegisterNumbering::Location, "mLocationClick", 15, 282, 51, 0};
constexpr RegisterNumberingInfo kRegister{RegisterNumbering::Register, "mRegisterClick", 16, 283, 52, 2};
constexpr long kLimit = 24;

// Without a limit the number must still fit what callers store.
constexpr long kNoLimitMax = INT_MAX;

}  // namespace

bool EnterANumber::acceptsText(std::string_view text) const {
    if (text.empty()) return true;
    return setup::parseNumber(text, limit_ == 0 ? kNoLimitMax : limit_).has_value();
}

bool EnterANumber::confirm(std::string_view text) {
    const auto n = setup::parseNumberOrZero(text, limit_ == 0 ? kNoLimitMax : limit_);
    if (!n) return false;
    number_ = *n;
    confirmed_ = true;
    return true;
}

const RegisterNumberingInfo& registerNumberingInfo(RegisterNumbering which) {
    return which == RegisterNumbering::Location ? kLocation : kRegister;
}

EnterANumber makeNumberingEntry(const ApplicationBlock& app, RegisterNumbering which, std::string caption) {
    const auto& info = registerNumberingInfo(which);
    auto label = caption;
    return EnterANumber(std::move(caption), std::move(label), std::to_string(app.flag(info.flag)), kLimit,
                        info.maxLength);
}

void storeRegisterNumbering(ProgramSession& session, RegisterNumbering which, long number) {
    if (number < 0 || number > kLimit) return;
    const auto& info = registerNumberingInfo(which);
    session.app.setFlag(info.flag, static_cast<std::uint8_t>(number));
    if (which == RegisterNumbering::Register && number == 0)
        for (int flag : kPrinterPortFlags) session.app.setFlag(flag, session.app.flag(flag) % 10);
    setup::writeApplicationFile(session);
}

}  // namespace tramond
