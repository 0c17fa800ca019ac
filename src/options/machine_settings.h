#pragma once
// The per-register printer and port settings behind the printers, serial
// ports and handheld dialogs: with individual printers in a network of more
// than one register, the block holds the current machine's settings and each
// machine keeps its own in its machine printer file.

#include "program/session.h"

namespace tramond {

// Whether the dialogs offer a machine to choose (individual printers on and
// a network size above 1).
bool machineChoiceOffered(const ApplicationBlock& app);
// The machine the dialogs show first: the current one, machine 0 as 1.
int shownMachine(const ProgramSession& session);

// Creates the current machine's file empty when it is missing.
void prepareMachine(const ProgramSession& session);
// Saves the block's settings into the current machine's file.
void saveMachine(const ProgramSession& session);
// Saves the current machine, makes `machine` current and loads its file
// into the block (a missing file is created empty and nothing is loaded).
// Throws FileError; the current machine is unchanged when the save fails.
void switchMachine(ProgramSession& session, int machine);

}  // namespace tramond
