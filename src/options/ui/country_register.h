#pragma once
// The country, time zone, network size, location and register number items
// of the General menu, registered by their handler names.

namespace tramond {

class MenuRegistry;

void registerCountryDialogs(MenuRegistry& registry);

}  // namespace tramond
