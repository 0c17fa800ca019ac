#include "options/ui/options_menu.h"

#include "options/flag_options.h"
#include "options/general_options.h"
#include "options/ui/option_dialog_view.h"
#include "program/ui/message_box.h"

namespace tramond {

namespace {

void add(MenuRegistry& registry, const char* handler, const OptionDialogTable& (*table)()) {
    registry.add(handler, [table](AppContext& context) { ui::runOptionDialog(context, table()); });
}

}  // namespace

void registerOptionsDialogs(MenuRegistry& registry) {
    add(registry, "mGeneralOptionsClick", &generalOptionsDialog);
    // The record editors' option buttons open these by the same names.
    add(registry, "mClerkOptionsClick", &clerkOptionsDialog);
    add(registry, "mPBOptionsClick", &pbOptionsDialog);
    add(registry, "mPLUOptionsClick", &pluOptionsDialog);
    add(registry, "mBarcodeOptionsClick", &barcodeOptionsDialog);
    add(registry, "mCardOptionsClick", &cardOptionsDialog);
    add(registry, "mLogoOptionsClick", &logoOptionsDialog);
    registry.add("mHandheldOptionsClick", [](AppContext& context) {
        if (context.session.loaded && dectModuleConnected(context.session.app)) {
            ui::showMessage(context.mainWindow, ui::MessageKind::Information, "Information",
                            "DECT module is connected, use \"Tovik Options\" instead \"Handheld Options\"!");
            return;
        }
        ui::runOptionDialog(context, handheldOptionsDialog());
    });
}

}  // namespace tramond
