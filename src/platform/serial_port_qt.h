#pragma once
// The register link's serial port on QSerialPort. Every call must come from
// the thread that opened it (the transfer's thread).

#include <QByteArray>
#include <memory>

#include "link/serial_port.h"

class QSerialPort;

namespace tramond::platform {

class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    bool open(const PortConfig& config) override;
    void close() override;
    bool isOpen() const override;
    int readByte(int timeoutMs) override;
    bool write(std::span<const std::uint8_t> bytes) override;

    // Number of write calls handed to the driver since the port was opened.
    long writeCalls() const { return writeCalls_; }

private:
    std::unique_ptr<QSerialPort> port_;
    QByteArray pending_;
    int pendingPos_ = 0;
    int writeTimeoutMs_ = 1000;
    long writeCalls_ = 0;
};

}  // namespace tramond::platform
