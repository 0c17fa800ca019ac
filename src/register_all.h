#pragma once
#include "app/ui/menu_registry.h"
#include "app/verbs.h"

namespace tramond {
// Every dialog of the subsystems whose ui library is part of this build.
void registerAllDialogs(MenuRegistry& registry);
// Every command-line verb of the subsystems in this build.
void registerAllVerbs(VerbRegistry& verbs);
}
