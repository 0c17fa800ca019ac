#pragma once
// The Setup menu's dialogs, registered by their menu handler names.

namespace tramond {

class MenuRegistry;

void registerSetupDialogs(MenuRegistry& registry);

}  // namespace tramond
