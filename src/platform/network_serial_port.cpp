#include "platform/network_serial_port.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>

#include "platform/tcp_connect.h"


namespace tramond::platform {
namespace {

std::string socketProblem(const QTcpSocket& socket) {
    switch (socket.error()) {
    case QAbstractSocket::HostNotFoundError: return kHostNotFound;
    case QAbstractSocket::ConnectionRefusedError: return kConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError: return kConnectionClosed;
    case QAbstractSocket::SocketTimeoutError: return kNoAnswer;
    case QAbstractSocket::UnsupportedSocketOperationError:
    case QAbstractSocket::SocketAccessError: return kNetworkForbidden;
    default: return socket.errorString().toStdString();
    }
}

}  // namespace

void acknowledgeAtOnce(qintptr socket) {
    if (socket < 0) return;
    const int on = 1;
    ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

NetworkSerialPort::NetworkSerialPort() { wake_.open(); }
NetworkSerialPort::~NetworkSerialPort() { close(); }

void NetworkSerialPort::interruptOpen() {
    interrupted_.store(true);
    wake_.wake();
}

bool NetworkSerialPort::open(const PortConfig& config) {
    close();
    problem_.clear();
    interrupted_.store(false);
    wake_.drain();
    std::string reason;
    const auto address = parseNetworkPort(config.name, &reason);
    if (!address) {
        problem_ = "Network port " + config.name + ": " + reason;
        return false;
    }
    address_ = *address;
    writeTimeoutMs_ = config.timeoutMs;
    // ser2net closes a connection at once while it still releases the
    // serial port from the one before (another of its ports on the same
    // line): such a refusal is tried again for a short while.
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const Attempt a = connectOnce(config);
        if (a == Attempt::Connected) return true;
        if (a == Attempt::Failed || interrupted() || timer.elapsed() >= kBusyRetryMs) return false;
        problem_.clear();
        QThread::msleep(50);
    }
}

NetworkSerialPort::Attempt NetworkSerialPort::connectOnce(const PortConfig& config) {
    // Connected here rather than by QTcpSocket, whose wait for a far side
    // that does not answer cannot be cut short by a Cancel.
    const auto c = connectTcp(address_, wake_.readEnd(), kConnectTimeoutMs);
    if (c.fd < 0) {
        problem_ = networkProblem(address_, c.problem);
        return Attempt::Failed;
    }
    socket_ = std::make_unique<QTcpSocket>();
    if (!socket_->setSocketDescriptor(c.fd)) {
        ::close(c.fd);
        problem_ = networkProblem(address_, socketProblem(*socket_));
        socket_.reset();
        return Attempt::Failed;
    }
    // Every block waits for a one-byte acknowledgement: Nagle would hold
    // each small frame back for the previous answer's delayed ACK.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    acknowledgeAtOnce(socket_->socketDescriptor());
    if (address_.scheme == NetworkScheme::Rfc2217 && !negotiate(config)) {
        const bool dropped = socket_->state() != QAbstractSocket::ConnectedState;
        socket_->abort();
        socket_.reset();
        telnet_.reset();
        return dropped ? Attempt::Dropped : Attempt::Failed;
    }
    return Attempt::Connected;
}

bool NetworkSerialPort::negotiate(const PortConfig& config) {
    telnet_ = std::make_unique<telnet::ComPortClient>();
    if (!send(telnet_->opening())) return false;
    QElapsedTimer timer;
    timer.start();
    auto waitFor = [&](const auto& done) {
        while (!done()) {
            const qint64 left = kConnectTimeoutMs - timer.elapsed();
            if (left <= 0 || interrupted() || !pull(static_cast<int>(std::min<qint64>(left, kInterruptSliceMs))))
                return false;
        }
        return true;
    };
    if (!waitFor([&] { return telnet_->comPort() != telnet::ComPortClient::Offer::Pending; })) {
        if (problem_.empty()) problem_ = networkProblem(address_, kNoRfc2217Answer);
        return false;
    }
    if (telnet_->comPort() == telnet::ComPortClient::Offer::Refused) {
        problem_ = networkProblem(address_, kRfc2217Refused);
        return false;
    }
    // The far side's serial port as a local port is set up: 8N1, DTR on,
    // RTS on or handshaking, and nothing left over from an earlier user.
    std::vector<std::uint8_t> settings;
    telnet_->setBaudRate(static_cast<std::uint32_t>(config.baudRate), settings);
    telnet_->setDataSize(8, settings);
    telnet_->setParity(telnet::Parity::None, settings);
    telnet_->setStopSize(telnet::StopSize::One, settings);
    telnet_->setControl(config.hwHandshake ? telnet::Control::HardwareFlowControl : telnet::Control::NoFlowControl,
                        settings);
    telnet_->setControl(telnet::Control::DtrOn, settings);
    if (!config.hwHandshake) telnet_->setControl(telnet::Control::RtsOn, settings);
    telnet_->purge(telnet::Purge::Both, settings);
    if (!send(settings)) return false;
    if (!waitFor([&] { return telnet_->confirmedBaudRate().has_value(); })) {
        if (problem_.empty()) problem_ = networkProblem(address_, kNoRfc2217Answer);
        return false;
    }
    const auto baud = *telnet_->confirmedBaudRate();
    if (baud != 0 && baud != static_cast<std::uint32_t>(config.baudRate)) {
        problem_ = networkProblem(address_, baudRefused(config.baudRate, static_cast<int>(baud)));
        return false;
    }
    return true;
}

void NetworkSerialPort::close() {
    if (socket_) {
        if (socket_->state() == QAbstractSocket::ConnectedState) {
            // What was written is delivered; then the far side is told the
            // connection ends and given a moment to close it on its side, so
            // that ser2net has let go of the serial port before the next
            // operation (a verify right after an update) connects again.
            if (socket_->bytesToWrite() > 0) socket_->waitForBytesWritten(writeTimeoutMs_);
            ::shutdown(static_cast<int>(socket_->socketDescriptor()), SHUT_WR);
            QElapsedTimer timer;
            timer.start();
            while (socket_->state() == QAbstractSocket::ConnectedState && timer.elapsed() < kCloseWaitMs) {
                socket_->waitForReadyRead(static_cast<int>(kCloseWaitMs - timer.elapsed()));
                socket_->readAll();
            }
        }
        socket_->abort();
        socket_.reset();
    }
    telnet_.reset();
    pending_.clear();
    pendingPos_ = 0;
}

bool NetworkSerialPort::isOpen() const { return socket_ && socket_->state() == QAbstractSocket::ConnectedState; }

void NetworkSerialPort::lost(const std::string& what) {
    if (problem_.empty()) problem_ = networkProblem(address_, what);
}

bool NetworkSerialPort::pull(int timeoutMs) {
    if (socket_->bytesAvailable() == 0) {
        if (socket_->state() != QAbstractSocket::ConnectedState) {
            lost(kConnectionClosed);
            return false;
        }
        if (!socket_->waitForReadyRead(timeoutMs)) {
            if (socket_->state() == QAbstractSocket::ConnectedState) return true;  // nothing came in time
            lost(socketProblem(*socket_));
            return false;
        }
    }
    const QByteArray in = socket_->readAll();
    acknowledgeAtOnce(socket_->socketDescriptor());
    const auto bytes = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(in.constData()),
                                                     static_cast<std::size_t>(in.size()));
    if (!telnet_) {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        return true;
    }
    std::vector<std::uint8_t> reply;
    telnet_->receive(bytes, pending_, reply);
    return reply.empty() || send(reply);
}

int NetworkSerialPort::readByte(int timeoutMs) {
    if (!socket_) return -1;
    if (pendingPos_ < pending_.size()) return pending_[pendingPos_++];
    pending_.clear();
    pendingPos_ = 0;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const qint64 left = std::max<qint64>(timeoutMs - timer.elapsed(), 0);
        if (!pull(static_cast<int>(left))) return -1;
        if (!pending_.empty()) {
            pendingPos_ = 1;
            return pending_[0];
        }
        if (left == 0) return -1;
    }
}

bool NetworkSerialPort::send(const std::vector<std::uint8_t>& bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (socket_->write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        lost(socketProblem(*socket_));
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (socket_->bytesToWrite() > 0) {
        const qint64 left = writeTimeoutMs_ - timer.elapsed();
        if (left <= 0 || !socket_->waitForBytesWritten(static_cast<int>(left))) {
            if (socket_->state() != QAbstractSocket::ConnectedState) lost(socketProblem(*socket_));
            return socket_->bytesToWrite() == 0;
        }
    }
    return true;
}

bool NetworkSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) {
        if (socket_) lost(kConnectionClosed);
        return false;
    }
    if (!telnet_) return send(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    std::vector<std::uint8_t> wire;
    wire.reserve(bytes.size() + 8);
    telnet_->encode(bytes, wire);
    return send(wire);
}

}  // namespace tramond::platform
