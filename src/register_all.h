#pragma once
#include "app/ui/menu_registry.h"

namespace tramond {
// Every dialog of the subsystems whose ui library is part of this build.
void registerAllDialogs(MenuRegistry& registry);
}
