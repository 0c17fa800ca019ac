#pragma once
// The option dialogs of the General menu.

#include "app/ui/menu_registry.h"

namespace tramond {

// Registers the General menu's option dialogs by their handler names
// (mGeneralOptionsClick, mClerkOptionsClick, mPBOptionsClick, ...).
void registerOptionsDialogs(MenuRegistry& registry);

}  // namespace tramond
