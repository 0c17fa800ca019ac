#include "handheld/ui/handheld_dialogs.h"

#include "app/main_controller.h"
#include "app/ui/qt_prompter.h"
#include "handheld/ui/tovik_options_dialog.h"
#include "handheld/ui/upload_tovik_os.h"
#include "platform/settings_qt.h"
#include "platform/upload_port_by_name.h"

namespace tramond {

void registerHandheldDialogs(MenuRegistry& registry) {
    registry.add("mTovikOptionsClick", [](AppContext& ctx) {
        if (!ctx.session.loaded) {
            QtPrompter(ctx.mainWindow).message(MessageKind::Warning, "Warning", ctx.texts.text(kNoProgramText));
            return;
        }
        QtPrompter prompter(ctx.mainWindow);
        TovikOptionsController controller(ctx.session, ctx.texts);
        TTovikOptions dialog(controller, prompter, ctx.mainWindow);
        dialog.machineChanged = ctx.refresh;
        prompter.setParent(&dialog);
        if (ctx.mainWindow) {
            const auto top = ctx.mainWindow->frameGeometry().topLeft();
            dialog.move(top.x(), top.y() + 45);
        }
        dialog.exec();
        if (ctx.refresh) ctx.refresh();
    });
    registry.add("mSendOSToTovikClick", [](AppContext& ctx) {
        QtPrompter prompter(ctx.mainWindow);
        platform::UploadPortByName port;
        UploadOsController controller(prompter, port);
        TUploadTovikOS dialog(controller, systemSerialPorts(), {}, ctx.mainWindow);
        prompter.setParent(&dialog);
        if (ctx.mainWindow) {
            dialog.adjustSize();
            dialog.move(ctx.mainWindow->frameGeometry().center() - dialog.rect().center());
        }
        dialog.exec();
    });
}

}  // namespace tramond
