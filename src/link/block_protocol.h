#pragma once
// The register link: byte primitives over a SerialPort, the link error code,
// and the block framing with its acknowledgements and retries.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "link/serial_port.h"

namespace tramond {

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kNetworkMark = 0x48;  // 'H'
inline constexpr std::uint8_t kEndMarker = 0xFF;
inline constexpr std::size_t kMaxPayload = 254;
inline constexpr int kSendAttempts = 10;
inline constexpr int kNetworkAckWindow = 4;

enum LinkErrorCode : int { kLinkOk = 0, kUserBreak = 1, kLinkFailure = 2 };

inline constexpr const char* kCheckCommPortMessage = "Check COMM Port!!";
inline constexpr int kAttendedTimeoutMs = 1000;
inline constexpr int kUnattendedTimeoutMs = 2000;
// Longest single wait on the port: how soon Cancel is heard while the
// register is silent.
inline constexpr int kCancelSliceMs = 100;

class RegisterLink {
public:
    using ReceiveBuffer = std::array<std::uint8_t, 256>;

    explicit RegisterLink(SerialPort& port) : port_(port) {}

    // OpenRegisterPort: clears the link error, then opens and configures the
    // port. On failure the message hook gets "Check COMM Port!!"; a Cancel
    // while it opens gives false with the user break kept and no message.
    bool open(PortConfig config);
    void close();
    bool isOpen() const { return port_.isOpen(); }

    // Read and write time-out for the next open: 1000 ms, 2000 ms unattended.
    static int timeoutFor(bool unattended) { return unattended ? kUnattendedTimeoutMs : kAttendedTimeoutMs; }

    // The byte primitives refuse to work while the link error is set.
    void writeByte(std::uint8_t b);
    int readByte();

    // SendBlock: true when the register acknowledged; a payload of 0 bytes
    // counts as delivered. After ten failed attempts the link error becomes 2
    // unless it is already set.
    bool sendBlock(std::span<const std::uint8_t> payload);
    // ReceiveBlock: the data count (1..254) with the data at positions 1..c
    // of the receive buffer, or 0 when nothing valid arrived.
    int receiveBlock();
    const ReceiveBuffer& received() const { return rx_; }

    // 0 none, 1 user break, 2 link failure. Safe to touch from any thread:
    // the Cancel button sets it while a transfer runs elsewhere.
    int linkError() const { return linkError_.load(); }
    void setLinkError(int code) { linkError_.store(code); }
    // User break; a link failure already recorded is kept.
    void cancel();

    // 0 direct, 1..24 the addressed network register.
    std::uint8_t terminalNumber = 0;

    // Receives "Check COMM Port!!" when the port cannot be opened, with the
    // port's own account on a second line where it has one.
    std::function<void(const std::string&)> onMessage;

    const PortConfig& config() const { return config_; }
    // The port's own account of its last failure, if it has one.
    std::string portProblem() const { return port_.problem(); }

private:
    void writeFrame(std::span<const std::uint8_t> frame);
    void drain();
    void discardWaiting();
    static constexpr int kMaxStaleBytes = 4096;

    SerialPort& port_;
    PortConfig config_;
    std::atomic<int> linkError_{kLinkOk};
    ReceiveBuffer rx_{};
};

// A fixed message with the port's account of the failure on its own line
// (a network port names the host there); the message alone when there is none.
std::string withPortProblem(const std::string& message, const std::string& problem);

// The frame after the STX/ACK exchange: count (network: n+3, 'H', t, n),
// payload, checksum. Exposed for the simulator and the tests.
std::size_t buildFrame(std::span<const std::uint8_t> payload, std::uint8_t terminal,
                       std::array<std::uint8_t, 262>& out);

}  // namespace tramond
