#include "link/ui/register_port.h"

#include <QStandardPaths>

#include "link/link_settings.h"
#include "platform/serial_port_qt.h"
#include "regsim/simulated_port.h"

namespace tramond {

std::unique_ptr<SerialPort> makeRegisterPort(const std::string& portName) {
    if (portName == kSimulatorPortName) {
        const auto dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
        return std::make_unique<regsim::SimulatedRegisterPort>(std::filesystem::path(dir) / "simulated-register");
    }
    return std::make_unique<platform::QtSerialPort>();
}

}  // namespace tramond
