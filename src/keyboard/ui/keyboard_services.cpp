#include "keyboard/ui/keyboard_services.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdlib>

#include "app/program_dir.h"
#include "keyboard/key_record.h"
#include "link/block_map.h"

namespace tramond {

std::filesystem::path toolDirectory() {
    std::optional<std::filesystem::path> home;
    if (const char* h = std::getenv("TRAMOND_HOME"); h && *h) home = std::filesystem::path(h);
    return programDirectory(home, QCoreApplication::applicationDirPath().toStdString(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
}

std::filesystem::path keyAttributeFile() { return toolDirectory() / std::string(KeyAttributes::kFileName); }

}  // namespace tramond
