#pragma once
// "tramond upload-os FILE PORT": the handheld operating-system upload without
// a window.

#include "app/verbs.h"

namespace tramond {

void registerHandheldVerbs(VerbRegistry& verbs);

}  // namespace tramond
