#pragma once
// The option dialogs of the General menu.

#include "app/ui/menu_registry.h"

namespace tramond {

// Registers mGeneralOptionsClick.
void registerOptionsDialogs(MenuRegistry& registry);

}  // namespace tramond
