#include "options/ui/options_menu.h"

#include "options/general_options.h"
#include "options/ui/option_dialog_view.h"

namespace tramond {

void registerOptionsDialogs(MenuRegistry& registry) {
    registry.add("mGeneralOptionsClick",
                 [](AppContext& context) { ui::runOptionDialog(context, generalOptionsDialog()); });
}

}  // namespace tramond
