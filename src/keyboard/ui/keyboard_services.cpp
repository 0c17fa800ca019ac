#include "keyboard/ui/keyboard_services.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdlib>

#include "app/program_dir.h"
#include "keyboard/key_record.h"
#include "link/block_map.h"

namespace tramond {

std::optional<std::uint32_t> registerBlockOf(std::size_t appOffset) {
    for (const auto& b : systemBlocks())
        if (b.area == BlockArea::Application && appOffset >= b.offset && appOffset < b.offset + b.length)
            return b.number;
    return std::nullopt;
}

std::filesystem::path toolDirectory() {
    std::optional<std::filesystem::path> home;
    if (const char* h = std::getenv("TRAMOND_HOME"); h && *h) home = std::filesystem::path(h);
    return programDirectory(home, QCoreApplication::applicationDirPath().toStdString(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
}

std::filesystem::path keyAttributeFile() { return toolDirectory() / std::string(KeyAttributes::kFileName); }

}  // namespace tramond
