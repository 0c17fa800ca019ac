#pragma once
// Command-line verbs of the keyboard: print-keyboard.

#include "app/verbs.h"

namespace tramond {

void registerKeyboardVerbs(VerbRegistry& verbs);

// print-keyboard PROGRAM.app [--machine N] [--system] -o FILE.pdf
int runPrintKeyboard(VerbContext& context);

}  // namespace tramond
