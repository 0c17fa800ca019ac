#include "printing/ui/printing_dialogs.h"

#include "options/ui/option_dialog_view.h"
#include "printing/register_print_options.h"
#include "printing/ui/print_dialogs.h"
#include "printing/ui/report_dialogs.h"

namespace tramond {

void registerPrintingDialogs(MenuRegistry& registry) {
    registry.add("SystemReports1Click", [](AppContext& c) { ui::runSetupReports(c); });
    for (int n = 1; n <= appblock::kUserReportCount; ++n)
        registry.add("mUserReport" + std::to_string(n) + "Click", [n](AppContext& c) { ui::runUserReport(c, n); });
    registry.add("mReportOptionsClick", [](AppContext& c) { ui::runOptionDialog(c, reportOptionsDialog()); });
    registry.add("mPrintOptionsClick", [](AppContext& c) { ui::runOptionDialog(c, printOptionsDialog()); });
    registry.add("mPrintClick", [](AppContext& c) { ui::runPrintFiles(c); });
    registry.add("mParallelPrinterSettingsClick", [](AppContext& c) { ui::runSetCompPrinter(c); });
}

}  // namespace tramond
