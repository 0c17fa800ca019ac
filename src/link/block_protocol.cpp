#include "link/block_protocol.h"

#include <algorithm>
#include <chrono>

namespace tramond {

std::string withPortProblem(const std::string& message, const std::string& problem) {
    return problem.empty() ? message : message + "\n" + problem;
}

bool RegisterLink::open(PortConfig config) {
    if (port_.isOpen()) port_.close();
    config_ = std::move(config);
    // A Cancel from here on stops the opening and stays for the operation,
    // which then ends as cancelled rather than as a port that failed.
    linkError_.store(kLinkOk);
    const bool opened = port_.open(config_);
    if (linkError_.load() == kUserBreak) {
        if (opened) port_.close();
        return false;
    }
    if (!opened) {
        if (onMessage) onMessage(withPortProblem(kCheckCommPortMessage, port_.problem()));
        return false;
    }
    return true;
}

void RegisterLink::close() {
    if (port_.isOpen()) port_.close();
}

void RegisterLink::cancel() {
    int expected = kLinkOk;
    linkError_.compare_exchange_strong(expected, kUserBreak);
    port_.interruptOpen();
}

void RegisterLink::writeByte(std::uint8_t b) {
    if (linkError_.load() != kLinkOk) return;
    port_.write(std::span<const std::uint8_t>(&b, 1));
}

void RegisterLink::writeFrame(std::span<const std::uint8_t> frame) {
    if (linkError_.load() != kLinkOk) return;
    port_.write(frame);
}

int RegisterLink::readByte() {
    // The time-out is waited in slices so that Cancel, set from the window's
    // thread, is heard within one slice even while a register stays silent.
    // A port that gives up early (it failed, or nothing can arrive) ends the
    // wait at once, as one whole time-out would.
    using Clock = std::chrono::steady_clock;
    int left = config_.timeoutMs;
    for (;;) {
        if (linkError_.load() != kLinkOk) return -1;
        const int slice = std::min(left, kCancelSliceMs);
        const auto start = Clock::now();
        const int b = port_.readByte(slice);
        if (b >= 0) return b;
        left -= slice;
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (left <= 0 || waited < slice / 2) return -1;
    }
}

std::size_t buildFrame(std::span<const std::uint8_t> payload, std::uint8_t terminal,
                       std::array<std::uint8_t, 262>& out) {
    const auto n = static_cast<std::uint8_t>(payload.size());
    std::size_t k = 0;
    std::uint8_t sum = kStx;
    auto put = [&](std::uint8_t b) {
        out[k++] = b;
        sum ^= b;
    };
    if (terminal != 0) {
        put(static_cast<std::uint8_t>((n + 3) & 0xFF));
        put(kNetworkMark);
        put(terminal);
    }
    put(n);
    for (auto b : payload) put(b);
    out[k++] = sum;
    return k;
}

bool RegisterLink::sendBlock(std::span<const std::uint8_t> payload) {
    if (payload.empty()) return true;
    if (payload.size() > kMaxPayload) return false;
    std::array<std::uint8_t, 262> frame{};
    const std::size_t len = buildFrame(payload, terminalNumber, frame);
    const std::span<const std::uint8_t> whole(frame.data(), len);
    for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
        if (linkError_.load() != kLinkOk) break;
        discardWaiting();
        writeByte(kStx);
        if (readByte() != kAck) continue;
        // One driver call for the rest: on a USB adapter every write costs a
        // round trip, and the register times out on a slow frame.
        writeFrame(whole);
        if (readByte() != kAck) continue;
        if (terminalNumber == 0) return true;
        for (int i = 0; i < kNetworkAckWindow; ++i)
            if (readByte() == kAck) return true;
    }
    int expected = kLinkOk;
    linkError_.compare_exchange_strong(expected, kLinkFailure);
    return false;
}

void RegisterLink::discardWaiting() {
    // Bytes already waiting belong to an earlier, interrupted exchange (a
    // register still repeating its last frame); read as the answer to this
    // STX they would fail the frame. Each is refused as the receive side
    // refuses a bad frame. Only what is there now is taken (no waiting), and
    // only so much, so a register that keeps talking cannot hold the send.
    for (int i = 0; i < kMaxStaleBytes; ++i) {
        if (linkError_.load() != kLinkOk || port_.readByte(0) < 0) return;
        writeByte(kNak);
    }
}

void RegisterLink::drain() {
    for (;;) {
        if (readByte() < 0) return;
        writeByte(kNak);
    }
}

int RegisterLink::receiveBlock() {
    int b = readByte();
    if (b < 0) return 0;
    if (b != kStx) {
        drain();
        return 0;
    }
    writeByte(kAck);
    int c = readByte();
    if (c < 0) c = kEndMarker;
    if (c == kEndMarker) {
        drain();
        return 0;
    }
    std::uint8_t sum = static_cast<std::uint8_t>(kStx ^ c);
    for (int i = 1; i <= c; ++i) {
        const int d = readByte();
        if (d < 0) return 0;
        rx_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(d);
        sum ^= static_cast<std::uint8_t>(d);
    }
    const int chk = readByte();
    if (chk >= 0 && static_cast<std::uint8_t>(chk) == sum) {
        writeByte(kAck);
        return c;
    }
    drain();
    return 0;
}

}  // namespace tramond
