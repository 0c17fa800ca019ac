#pragma once
// Controller of the graphic logo dialog (TSetupGraphLogo) and the individual
// keyboards / individual printers switches of the Setup menu.

#include <array>
#include <cstdint>
#include <string_view>

#include "program/session.h"
#include "program/sizing.h"

namespace tramond {

class SetupGraphLogo {
public:
    static constexpr std::size_t kSettingByte = 2583;  // low four bits size, high four density
    static constexpr std::uint8_t kDoNotSend = 15;
    static constexpr std::string_view kTitle = "Graphic &Logo Receipt   :";
    static constexpr std::string_view kSizeLabel = "Logo Size (dot)   :";
    static constexpr std::string_view kDensityLabel = "Logo Print Density:";
    static const std::array<std::string_view, 5>& sizeItems();
    static const std::array<std::string_view, 4>& densityItems();

    explicit SetupGraphLogo(ApplicationBlock& app) : app_(app) {}

    // The items the dialog opens with; a size the list does not know shows
    // as "Not Active".
    int sizeIndex() const;
    int densityIndex() const;
    // OK: setting = size index (the fifth item stored as 15) + 16 x density.
    void store(int sizeIndex, int densityIndex);

private:
    ApplicationBlock& app_;
};

// The logo handler after the dialog: creates a missing ".bmp" with the
// default logo when a logo is set, writes the application file, recomputes.
MemoryRequirement finishSetupGraphLogo(ProgramSession& session, bool confirmed);

// Bits 0 and 1 of byte 2566.
inline constexpr std::size_t kIndividualSettingsByte = 2566;
bool individualKeyboards(const ApplicationBlock& app);
bool individualPrinters(const ApplicationBlock& app);
// Toggles the switch and writes the application file of a loaded program;
// returns the new state.
bool toggleIndividualKeyboards(ProgramSession& session);
bool toggleIndividualPrinters(ProgramSession& session);

}  // namespace tramond
