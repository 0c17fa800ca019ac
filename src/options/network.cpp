#include "options/network.h"

#include "program/program_ops.h"
#include "program/setup_common.h"
#include "program/setup_graph_logo.h"

namespace tramond {

std::string NetworkSize::text() const { return std::to_string(session_.app.flag(kFlag)); }

bool NetworkSize::acceptsText(std::string_view text) const {
    return text.empty() || setup::parseNumber(text, kMax).has_value();
}

NetworkSize::Result NetworkSize::confirm(std::string_view text, std::string_view machineLabel) {
    Result r;
    const auto n = setup::parseNumberOrZero(text, kMax);
    if (!n) return r;
    // Another register's keyboard and printer settings must not stay in the
    // block as the program's own once the machine number changes.
    if (session_.machineNumber > 1) restoreMachineOne(session_);
    session_.app.setFlag(kFlag, static_cast<std::uint8_t>(*n));
    if (*n < 2) {
        session_.app.setBit(kIndividualSettingsByte, 1, false);
        session_.machineNumber = 0;
        r.individualEntriesEnabled = false;
    } else {
        session_.machineNumber = 1;
        r.individualEntriesEnabled = true;
    }
    setup::writeApplicationFile(session_);
    r.confirmed = true;
    r.machineNumber = session_.machineNumber;
    r.statusText = std::string(machineLabel) + " " + std::to_string(r.machineNumber);
    return r;
}

}  // namespace tramond
