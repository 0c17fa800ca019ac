#pragma once
// The per-register printer and port settings behind the printers, serial
// ports and handheld dialogs: with individual printers in a network of more
// than one register, the block holds the current machine's settings and each
// machine keeps its own in its machine printer file.

#include "options/option_dialog.h"
#include "program/session.h"

namespace tramond {

// Whether the dialogs offer a machine to choose (individual printers on and
// a network size above 1).
bool machineChoiceOffered(const ApplicationBlock& app);
// The machine the dialogs show first: the current one, machine 0 as 1.
int shownMachine(const ProgramSession& session);

// Opening a dialog with a machine choice: the current machine's values in
// the block (its file, or the block's own when it has none). A failure is
// posted as "Error opening File !!".
void loadOfferedMachine(OptionDialog& dialog);
// The machine chooser: keeps the values shown, makes `machine` current with
// its values in the block. A failure is posted.
void switchOfferedMachine(OptionDialog& dialog, int machine);
// An option dialog's save of its machines on OK, where a machine is offered
// or was switched: a network of one register never reads a machine printer
// file, so none is written for it. A failure is posted.
void saveOfferedMachine(OptionDialog& dialog);

}  // namespace tramond
