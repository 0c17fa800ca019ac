#include "link/ui/register_port.h"

#include <QStandardPaths>

#include "link/link_settings.h"
#include "link/network_port.h"
#include "platform/network_serial_port.h"
#include "platform/serial_port_qt.h"
#include "regsim/simulated_port.h"

namespace tramond {

std::unique_ptr<SerialPort> makeRegisterPort(const std::string& portName) {
    if (portName == kSimulatorPortName) {
        const auto dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
        return std::make_unique<regsim::SimulatedRegisterPort>(std::filesystem::path(dir) / "simulated-register");
    }
    if (isNetworkPortName(portName)) return std::make_unique<platform::NetworkSerialPort>();
    return std::make_unique<platform::QtSerialPort>();
}

}  // namespace tramond
