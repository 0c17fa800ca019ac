#pragma once
// The report and printing dialogs of the main menu.

#include "app/ui/menu_registry.h"

namespace tramond {

// Registers SystemReports1Click, mUserReport1Click .. mUserReport9Click,
// mReportOptionsClick, mPrintOptionsClick, mPrintClick and
// mParallelPrinterSettingsClick.
void registerPrintingDialogs(MenuRegistry& registry);

}  // namespace tramond
