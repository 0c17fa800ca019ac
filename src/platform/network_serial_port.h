#pragma once
// The register link through a serial-to-network converter: "socket://" is
// the line's bytes on a TCP connection, "rfc2217://" telnet with the
// COM-PORT option, which sets the far side's serial port as the local port
// would be set. On QTcpSocket in blocking use: every call must come from the
// thread that opened it (the transfer's thread), which needs no event loop.

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "link/network_port.h"
#include "link/serial_port.h"
#include "link/telnet_com_port.h"
#include "platform/poll_wait.h"

class QTcpSocket;

namespace tramond::platform {

// Acknowledges what arrives at once instead of after the delayed-ACK wait
// (Linux re-arms the delay, so this follows every read). A far side that
// keeps Nagle on (ser2net by default, many converters) holds the rest of a
// register's block until the first part is acknowledged: without this every
// block would wait some 40 ms.
void acknowledgeAtOnce(qintptr socket);

class NetworkSerialPort : public SerialPort {
public:
    NetworkSerialPort();
    ~NetworkSerialPort() override;

    // The name is a network port name; a host that is not found, a refused
    // connection or a far side that will not set its serial port fails with
    // problem() naming the host.
    bool open(const PortConfig& config) override;
    void close() override;
    bool isOpen() const override;
    int readByte(int timeoutMs) override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::string problem() const override { return problem_; }
    void interruptOpen() override;

    // The longest wait for the connection and for the far side's answers to
    // the settings.
    static constexpr int kConnectTimeoutMs = 5000;
    // How long close waits for the far side to end the connection too.
    static constexpr int kCloseWaitMs = 1000;

    // How long a connection that the far side drops during the RFC 2217
    // settings is tried again.
    static constexpr int kBusyRetryMs = 2000;
    // The longest a Cancel waits while the far side's settings are awaited.
    static constexpr int kInterruptSliceMs = 50;

private:
    enum class Attempt { Connected, Dropped, Failed };
    Attempt connectOnce(const PortConfig& config);
    bool negotiate(const PortConfig& config);
    // Reads what the socket holds (waiting up to timeoutMs for something),
    // decodes it and answers the far side's negotiation. False when the
    // connection is gone.
    bool pull(int timeoutMs);
    bool send(const std::vector<std::uint8_t>& bytes);
    void lost(const std::string& what);

    bool interrupted() const { return interrupted_.load(); }

    std::unique_ptr<QTcpSocket> socket_;
    std::atomic<bool> interrupted_{false};
    WakePipe wake_;  // ends the wait for a connection at once
    NetworkPortAddress address_;
    std::unique_ptr<telnet::ComPortClient> telnet_;  // null for raw TCP
    std::vector<std::uint8_t> pending_;
    std::size_t pendingPos_ = 0;
    int writeTimeoutMs_ = 1000;
    std::string problem_;
};

}  // namespace tramond::platform
