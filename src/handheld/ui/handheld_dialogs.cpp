#include "handheld/ui/handheld_dialogs.h"

#include "app/ui/qt_prompter.h"
#include "handheld/ui/upload_tovik_os.h"
#include "platform/settings_qt.h"
#include "platform/upload_port_posix.h"

namespace tramond {

void registerHandheldDialogs(MenuRegistry& registry) {
    registry.add("mSendOSToTovikClick", [](AppContext& ctx) {
        QtPrompter prompter(ctx.mainWindow);
        platform::PosixUploadPort port;
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
