// The command-line verbs with the serial adapter and the stored link
// settings of the executable.
#include <QCoreApplication>

#include "cli/cli_verbs.h"
#include "link/ui/register_port.h"
#include "platform/settings_qt.h"

namespace tramond {

void registerCliVerbs(VerbRegistry& verbs) {
    LinkServices link;
    link.settings = [] {
        QtSettingsStore store;
        const auto dir = QCoreApplication::instance()
                             ? std::filesystem::path(QCoreApplication::applicationDirPath().toStdString())
                             : std::filesystem::path(".");
        return loadCommsSettings(store, dir);
    };
    link.makePort = [](const std::string& name) { return makeRegisterPort(name); };
    addCliVerbs(verbs, std::move(link));
}

}  // namespace tramond
