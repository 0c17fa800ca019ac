#include "platform/serial_port_qt.h"

#include <algorithm>
#include <QElapsedTimer>
#include <QSerialPort>

namespace tramond::platform {

QtSerialPort::QtSerialPort() = default;
QtSerialPort::~QtSerialPort() { close(); }

bool QtSerialPort::open(const PortConfig& config) {
    close();
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(QString::fromStdString(serialDevicePath(config.name)));
    if (!port_->open(QIODevice::ReadWrite)) {
        port_.reset();
        return false;
    }
    // Like the register's own tools, a setting the driver refuses (a pseudo
    // terminal has no modem lines) does not stop the link.
    port_->setBaudRate(config.baudRate);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(config.hwHandshake ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
    port_->setDataTerminalReady(true);
    if (!config.hwHandshake) port_->setRequestToSend(true);
    port_->clearError();
    writeTimeoutMs_ = config.timeoutMs;
    pending_.clear();
    pendingPos_ = 0;
    writeCalls_ = 0;
    return true;
}

void QtSerialPort::close() {
    if (port_) {
        if (port_->isOpen()) port_->close();
        port_.reset();
    }
    pending_.clear();
    pendingPos_ = 0;
}

bool QtSerialPort::isOpen() const { return port_ && port_->isOpen(); }

int QtSerialPort::readByte(int timeoutMs) {
    if (!isOpen()) return -1;
    if (pendingPos_ < pending_.size()) return static_cast<std::uint8_t>(pending_[pendingPos_++]);
    pending_.clear();
    pendingPos_ = 0;
    if (port_->bytesAvailable() == 0) {
        QElapsedTimer timer;
        timer.start();
        while (port_->bytesAvailable() == 0) {
            const qint64 left = timeoutMs - timer.elapsed();
            // A time-out of 0 still polls the driver once: the line is
            // drained of what already waits there that way.
            if ((left <= 0 && timeoutMs > 0) || !port_->waitForReadyRead(static_cast<int>(std::max<qint64>(left, 0)))) {
                if (port_->bytesAvailable() > 0) break;
                port_->clearError();
                return -1;
            }
        }
    }
    pending_ = port_->readAll();
    if (pending_.isEmpty()) {
        port_->clearError();
        return -1;
    }
    pendingPos_ = 1;
    return static_cast<std::uint8_t>(pending_[0]);
}

bool QtSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) return false;
    ++writeCalls_;
    const qint64 n = port_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (n != static_cast<qint64>(bytes.size())) {
        port_->clearError();
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (port_->bytesToWrite() > 0) {
        const qint64 left = writeTimeoutMs_ - timer.elapsed();
        if (left <= 0 || !port_->waitForBytesWritten(static_cast<int>(left))) {
            port_->clearError();
            return port_->bytesToWrite() == 0;
        }
    }
    return true;
}

}  // namespace tramond::platform
