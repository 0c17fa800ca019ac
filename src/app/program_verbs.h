#pragma once
// Verbs that keep programs on disk without a window.
#include "app/verbs.h"

namespace tramond {
// "create PROGRAM.app [--force]": a new program with the built-in settings
// and default records, as File > Create New Program writes it.
void registerProgramVerbs(VerbRegistry& verbs);
}  // namespace tramond
