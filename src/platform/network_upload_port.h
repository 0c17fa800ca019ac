#pragma once
// The handheld upload's port through a serial-to-network converter
// ("rfc2217://HOST:PORT"; the upload changes the baud rate on the way, which
// a raw "socket://" connection cannot, so that is refused). The receive and transmit
// threads read and write at once and the owner changes the baud rate and DTR
// meanwhile, so this is a plain socket polled with a wake-up pipe (a
// QTcpSocket belongs to one thread); the telnet state is shared under a lock.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "handheld/upload_port.h"
#include "link/network_port.h"
#include "link/telnet_com_port.h"
#include "platform/poll_wait.h"

namespace tramond::platform {

class NetworkUploadPort : public UploadPort {
public:
    NetworkUploadPort() = default;
    ~NetworkUploadPort() override { close(); }

    bool open(const std::string& name) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    bool setBaud(int rate) override;
    bool setDtr(bool on) override;
    int read(std::span<std::uint8_t> into, int timeoutMs) override;
    int write(std::span<const std::uint8_t> bytes, int timeoutMs) override;
    bool drain(int timeoutMs, int quietMs = 0) override;
    void wake() override { wake_.wake(); }
    std::string problem() const override;

    static constexpr int kConnectTimeoutMs = 5000;

private:
    bool connectTo(const NetworkPortAddress& address);
    bool negotiate();
    // Bytes of wire written within timeoutMs (-1: failed before any); the
    // write lock is held by the caller.
    long sendSome(std::span<const std::uint8_t> wire, int timeoutMs);
    // All of wire, as one message.
    bool send(std::span<const std::uint8_t> wire, int timeoutMs);
    // Reads one chunk from the socket into rxData_ (decoded); Ready::Yes
    // when something came, even if it held no line bytes.
    Ready fill(int timeoutMs);
    void setProblem(const std::string& what);

    int fd_ = -1;
    WakePipe wake_;
    NetworkPortAddress address_;
    telnet::ComPortClient telnet_;
    std::mutex telnetMutex_;  // the telnet state: reader, writer and owner
    std::mutex writeMutex_;   // whole messages on the socket, never interleaved
    std::vector<std::uint8_t> rxData_;  // decoded, not yet read (reader only)
    std::size_t rxPos_ = 0;
    std::atomic<int> baud_{9600};
    LineClock line_;
    mutable std::mutex problemMutex_;
    std::string problem_;
};

}  // namespace tramond::platform
