#include "platform/network_upload_port.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/network_serial_port.h"
#include "platform/tcp_connect.h"

namespace tramond::platform {
namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

// How many bytes of data the first `wire` bytes of their encoding stand
// for, and where that encoding ends.
std::pair<std::size_t, std::size_t> dataSent(std::span<const std::uint8_t> data, bool binary, std::size_t wire) {
    std::size_t encoded = 0;
    std::size_t n = 0;
    for (const std::uint8_t b : data) {
        const std::size_t width = (b == telnet::kIac || (b == 13 && !binary)) ? 2 : 1;
        if (encoded + width > wire) break;
        encoded += width;
        ++n;
    }
    return {n, encoded};
}

}  // namespace

void NetworkUploadPort::setProblem(const std::string& what) {
    std::lock_guard lock(problemMutex_);
    if (problem_.empty()) problem_ = networkProblem(address_, what);
}

std::string NetworkUploadPort::problem() const {
    std::lock_guard lock(problemMutex_);
    return problem_;
}

bool NetworkUploadPort::connectTo(const NetworkPortAddress& address) {
    const auto c = connectTcp(address, wake_.readEnd(), kConnectTimeoutMs);
    if (c.fd < 0) {
        setProblem(c.problem);
        return false;
    }
    const int on = 1;
    // The loader's answers are single bytes; nothing may wait for more.
    ::setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(c.fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    fd_ = c.fd;
    return true;
}

bool NetworkUploadPort::open(const std::string& name) {
    close();
    {
        std::lock_guard lock(problemMutex_);
        problem_.clear();
    }
    std::string reason;
    const auto address = parseNetworkPort(name, &reason);
    if (!address) {
        std::lock_guard lock(problemMutex_);
        problem_ = "Network port " + name + ": " + reason;
        return false;
    }
    address_ = *address;
    if (address_.scheme == NetworkScheme::RawTcp) {
        // The upload starts at 9600 baud and goes on at 38400: only a port
        // whose far side takes rate changes can carry it.
        setProblem("the handheld upload changes the baud rate on the way, which a raw connection cannot; use "
                   "rfc2217://" + address_.endpoint());
        return false;
    }
    if (!wake_.open()) return false;
    if (!connectTo(address_)) {
        wake_.close();
        return false;
    }
    telnet_ = telnet::ComPortClient();
    rxData_.clear();
    rxPos_ = 0;
    baud_.store(9600);
    line_.reset();
    if (!negotiate()) {
        close();
        return false;
    }
    return true;
}

bool NetworkUploadPort::negotiate() {
    std::vector<std::uint8_t> opening;
    {
        std::lock_guard lock(telnetMutex_);
        opening = telnet_.opening();
    }
    if (!send(opening, kConnectTimeoutMs)) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    auto waitUntil = [&](const auto& done) {
        for (;;) {
            {
                std::lock_guard lock(telnetMutex_);
                if (done()) return true;
            }
            const Ready r = fill(msLeft(deadline));
            if (r == Ready::Failed) return false;
            if (r != Ready::Yes) {
                setProblem(kNoRfc2217Answer);
                return false;
            }
        }
    };
    if (!waitUntil([&] { return telnet_.comPort() != telnet::ComPortClient::Offer::Pending; })) return false;
    std::vector<std::uint8_t> settings;
    {
        std::lock_guard lock(telnetMutex_);
        if (telnet_.comPort() == telnet::ComPortClient::Offer::Refused) {
            setProblem(kRfc2217Refused);
            return false;
        }
        // 9600 baud 8N1, DTR and RTS on, both directions emptied.
        telnet_.setBaudRate(9600, settings);
        telnet_.setDataSize(8, settings);
        telnet_.setParity(telnet::Parity::None, settings);
        telnet_.setStopSize(telnet::StopSize::One, settings);
        telnet_.setControl(telnet::Control::NoFlowControl, settings);
        telnet_.setControl(telnet::Control::DtrOn, settings);
        telnet_.setControl(telnet::Control::RtsOn, settings);
        telnet_.purge(telnet::Purge::Both, settings);
    }
    if (!send(settings, kConnectTimeoutMs)) return false;
    if (!waitUntil([&] { return telnet_.confirmedBaudRate().has_value(); })) return false;
    std::lock_guard lock(telnetMutex_);
    const auto baud = *telnet_.confirmedBaudRate();
    if (baud != 0 && baud != 9600) {
        setProblem(baudRefused(9600, static_cast<int>(baud)));
        return false;
    }
    return true;
}

void NetworkUploadPort::close() {
    if (fd_ >= 0) {
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
    }
    fd_ = -1;
    wake_.close();
}

Ready NetworkUploadPort::fill(int timeoutMs) {
    const Ready r = waitFor(fd_, POLLIN, wake_.readEnd(), timeoutMs);
    if (r != Ready::Yes) {
        if (r == Ready::Failed) setProblem(kConnectionClosed);
        return r;
    }
    std::uint8_t buf[4096];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    acknowledgeAtOnce(fd_);
    if (n == 0) {
        setProblem(kConnectionClosed);
        return Ready::Failed;
    }
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return Ready::Yes;
        setProblem(errnoProblem(errno));
        return Ready::Failed;
    }
    if (rxPos_ >= rxData_.size()) {
        rxData_.clear();
        rxPos_ = 0;
    }
    const std::span<const std::uint8_t> in(buf, static_cast<std::size_t>(n));
    std::vector<std::uint8_t> reply;
    {
        std::lock_guard lock(telnetMutex_);
        telnet_.receive(in, rxData_, reply);
    }
    if (!reply.empty() && !send(reply, kConnectTimeoutMs)) return Ready::Failed;
    return Ready::Yes;
}

int NetworkUploadPort::read(std::span<std::uint8_t> into, int timeoutMs) {
    if (fd_ < 0) return -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (rxPos_ < rxData_.size()) {
            const std::size_t n = std::min(into.size(), rxData_.size() - rxPos_);
            std::copy_n(rxData_.begin() + static_cast<std::ptrdiff_t>(rxPos_), n, into.begin());
            rxPos_ += n;
            return static_cast<int>(n);
        }
        switch (fill(timeoutMs < 0 ? -1 : msLeft(deadline))) {
        case Ready::Woken:
        case Ready::TimedOut: return 0;
        case Ready::Failed: return -1;
        case Ready::Yes: break;
        }
        // Negotiation only, no line bytes: wait on within the time-out.
        if (rxPos_ >= rxData_.size() && timeoutMs >= 0 && msLeft(deadline) == 0) return 0;
    }
}

long NetworkUploadPort::sendSome(std::span<const std::uint8_t> wire, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < wire.size()) {
        const ssize_t n = ::send(fd_, wire.data() + done, wire.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            setProblem(errnoProblem(errno));
            return done ? static_cast<long>(done) : -1;
        }
        const Ready r = waitFor(fd_, POLLOUT, wake_.readEnd(), msLeft(deadline));
        if (r == Ready::Failed) {
            setProblem(kConnectionClosed);
            return done ? static_cast<long>(done) : -1;
        }
        if (r != Ready::Yes) break;
    }
    return static_cast<long>(done);
}

bool NetworkUploadPort::send(std::span<const std::uint8_t> wire, int timeoutMs) {
    if (fd_ < 0) return false;
    std::lock_guard lock(writeMutex_);
    return sendSome(wire, timeoutMs) == static_cast<long>(wire.size());
}

int NetworkUploadPort::write(std::span<const std::uint8_t> bytes, int timeoutMs) {
    if (fd_ < 0) return -1;
    std::vector<std::uint8_t> wire;
    bool binary = true;
    {
        std::lock_guard lock(telnetMutex_);
        telnet_.encode(bytes, wire);
        binary = telnet_.sendsBinary();
    }
    std::lock_guard lock(writeMutex_);
    const long sent = sendSome(wire, timeoutMs);
    if (sent < 0) return -1;
    auto [taken, encoded] = dataSent(bytes, binary, static_cast<std::size_t>(sent));
    // Half an escape on the wire would garble the stream: its second byte
    // follows, however long that takes.
    if (static_cast<std::size_t>(sent) > encoded) {
        if (sendSome(std::span(wire).subspan(encoded + 1, 1), kConnectTimeoutMs) != 1) return -1;
        ++taken;
    }
    line_.carried(static_cast<long>(taken), baud_.load());
    return static_cast<int>(taken);
}

bool NetworkUploadPort::setBaud(int rate) {
    if (fd_ < 0) return false;
    std::vector<std::uint8_t> wire;
    {
        std::lock_guard lock(telnetMutex_);
        telnet_.setBaudRate(static_cast<std::uint32_t>(rate), wire);
    }
    if (!send(wire, kConnectTimeoutMs)) return false;
    baud_.store(rate);
    return true;
}

bool NetworkUploadPort::setDtr(bool on) {
    if (fd_ < 0) return false;
    std::vector<std::uint8_t> wire;
    {
        std::lock_guard lock(telnetMutex_);
        telnet_.setControl(on ? telnet::Control::DtrOn : telnet::Control::DtrOff, wire);
    }
    return send(wire, kConnectTimeoutMs);
}

bool NetworkUploadPort::drain(int timeoutMs, int quietMs) {
    if (fd_ < 0) return false;
    return line_.drain(fd_, timeoutMs, quietMs);
}

}  // namespace tramond::platform
