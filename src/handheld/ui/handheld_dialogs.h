#pragma once
// The handheld dialogs behind the main menu: General > Tovik Options
// (mTovikOptionsClick) and Tools > Send OS To Tovik (mSendOSToTovikClick).

#include "app/ui/menu_registry.h"

namespace tramond {

void registerHandheldDialogs(MenuRegistry& registry);

}  // namespace tramond
