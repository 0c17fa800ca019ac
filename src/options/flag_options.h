#pragma once
// The small option dialogs of the General menu, each a table for the
// option-dialog engine: clerk, PB, PLU, barcode, card, handheld and logo
// options.

#include "options/option_dialog.h"

namespace tramond {

const OptionDialogTable& clerkOptionsDialog();
const OptionDialogTable& pbOptionsDialog();
const OptionDialogTable& pluOptionsDialog();
const OptionDialogTable& barcodeOptionsDialog();
const OptionDialogTable& cardOptionsDialog();
const OptionDialogTable& handheldOptionsDialog();
const OptionDialogTable& logoOptionsDialog();

// PLU print: the list shows five ways, stored as 0, 1, 3, 4, 5 in the low
// four bits of flag 25. A stored 2 (never written) shows as index 1.
int pluPrintIndex(int stored);
int pluPrintValue(int index);

// The number of printable tables must stay below half the PB count (a PB
// count of 0 sets no limit).
bool printableTablesAllowed(int tables, int pbCount);

// Flag 90 = 7: the DECT module is on port 7 and the handheld dialog gives way
// to the Tovik options.
bool dectModuleConnected(const ApplicationBlock& app);

}  // namespace tramond
