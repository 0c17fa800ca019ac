#pragma once
// The byte pipe to the register. The block protocol needs only four things
// from it; the Qt adapter, the built-in simulated register and the test fakes
// implement them.

#include <cstdint>
#include <span>
#include <string>

namespace tramond {

struct PortConfig {
    std::string name;          // "COM1", "/dev/ttyUSB0", "SIM", "rfc2217://host:4001"
    int baudRate = 38400;
    bool hwHandshake = false;  // RTS/CTS
    int timeoutMs = 1000;      // read and write time-out
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // 8 data bits, no parity, one stop bit, DTR on; false when it cannot be opened.
    virtual bool open(const PortConfig& config) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The next byte (0..255), or -1 when none arrived within timeoutMs or the
    // port failed.
    virtual int readByte(int timeoutMs) = 0;
    // Hands the bytes to the driver in one call; false when not all were taken.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // What went wrong last, naming the far end, where the port knows more
    // than "it failed" (a network port: refused, unknown host, lost); empty
    // otherwise.
    virtual std::string problem() const { return {}; }
    // Safe from any thread while open() runs: an opening that may wait long
    // (a network port whose far side does not answer) gives up soon after.
    virtual void interruptOpen() {}
};

// "COMn" names the n-th serial port of the system (/dev/ttyS(n-1) on Linux);
// any other name is a device path used as given.
std::string serialDevicePath(const std::string& portName);

}  // namespace tramond
