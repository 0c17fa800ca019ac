#pragma once
// General Options (`TGeneralOptions`): the table of its controls for the
// option-dialog engine, and the few controls with their own encoding.

#include "options/option_dialog.h"

namespace tramond {

const OptionDialogTable& generalOptionsDialog();

// Rounding: flag 64 bits 1..7 hold one of nine roundings, flag 3 option 2
// the 04/10 rounding; bit 0 of flag 64 (amount input masking) stands apart.
inline constexpr int kRoundingNone = 0;
inline constexpr int kRounding0410 = 10;
inline constexpr int kRoundingCount = 11;
// The list item the block shows (0 NON .. 10 04/10 TOTAL).
int roundingIndex(const ApplicationBlock& app);
// Stores item `index`; bit 0 of flag 64 is kept.
void setRounding(ApplicationBlock& app, int index);

// The register-connected list is offered only in a network with individual
// printers.
bool registerListAvailable(const ApplicationBlock& app);

}  // namespace tramond
