#pragma once
// Controller of the network size dialog (TNetworkSize): the number of
// registers in the network, and what it means for the individual settings
// and the current machine number.

#include <string>
#include <string_view>

#include "program/session.h"

namespace tramond {

class NetworkSize {
public:
    static constexpr int kFlag = 78;
    static constexpr int kMax = 24;
    static constexpr int kCaptionText = 687;

    explicit NetworkSize(ProgramSession& session) : session_(session) {}

    std::string text() const;
    // After each key: empty is left alone; false means "Wrong Input!" and the
    // box becomes "0".
    bool acceptsText(std::string_view text) const;

    struct Result {
        bool confirmed = false;
        bool individualEntriesEnabled = false;  // Setup > Individual Keyboards / Printers
        int machineNumber = 0;
        std::string statusText;  // "Settings for machine : ", a blank and the number
    };
    // OK: flag 78 = the number (empty counts as 0) and the block is written.
    // Below 2 the individual printers are switched off and the machine number
    // becomes 0, otherwise 1. A text the key check refuses confirms nothing.
    // Throws FileError when the file cannot be written.
    Result confirm(std::string_view text, std::string_view machineLabel = "Settings for machine : ");

private:
    ProgramSession& session_;
};

}  // namespace tramond
