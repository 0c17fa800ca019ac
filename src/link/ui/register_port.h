#pragma once
// The serial port a register operation opens: the built-in simulated
// register for "SIM", a network connection for "socket://" and
// "rfc2217://" names, the system's serial port for any other name.

#include <memory>
#include <string>

#include "link/serial_port.h"

namespace tramond {

std::unique_ptr<SerialPort> makeRegisterPort(const std::string& portName);

}  // namespace tramond
