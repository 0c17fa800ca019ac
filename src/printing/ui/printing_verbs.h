#pragma once
// The "print" verb: a program file listing written without a window.

#include "app/verbs.h"

namespace tramond {

// Registers "print PROGRAM.app KIND -o FILE [--json]".
void registerPrintingVerbs(VerbRegistry& verbs);

// Test seam: the settings store the verb reads the printer settings from
// (nullptr: the user's own). Not for production code.
class SettingsStore;
void setPrintingVerbSettingsForTesting(SettingsStore* store);

}  // namespace tramond
