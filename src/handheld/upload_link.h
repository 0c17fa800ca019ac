#pragma once
// The handheld upload's byte pipes: a receive thread moving bytes from the
// port into the receive ring and a transmit thread moving bytes from the
// transmit ring to the port, while one other thread (the uploader) produces
// and consumes through the rings. The threads are owned here: stop() raises a
// flag, wakes the port and joins both before anyone may close the port.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "handheld/byte_ring.h"
#include "handheld/upload_port.h"

namespace tramond {

class UploadLink {
public:
    // A write that stays pending this long means the other end takes nothing.
    static constexpr int kWriteStallMs = 500;

    explicit UploadLink(UploadPort& port) : port_(port) {}
    ~UploadLink() { stop(); }
    UploadLink(const UploadLink&) = delete;
    UploadLink& operator=(const UploadLink&) = delete;

    // Empties the rings and starts both threads; the port must be freshly
    // opened (a woken port stays woken until it is opened again).
    void start();
    // Stops and joins both threads. Safe to call twice.
    void stop();
    bool running() const { return receiver_.joinable(); }

    // Uploader side. Appends one byte; when the ring is full, waits up to
    // 100 ms for it to empty; false when it did not (or the link failed).
    bool putTxByte(std::uint8_t b) { return putTxBytes({&b, 1}) == 1; }
    // Appends bytes as putTxByte does, waking the transmit thread once for
    // all of them; returns how many were queued.
    std::size_t putTxBytes(std::span<const std::uint8_t> bytes);
    // The next received byte, waiting up to 10 ms; -1 when none came.
    int getRxByte();
    // Waits until the transmit ring is empty, the port has sent it all and
    // the line then stayed quiet for quietMs.
    bool waitSent(int timeoutMs, int quietMs = 0);
    // Sends what is queued, then changes the rate.
    bool setBaud(int rate);

    // Set when the transmit thread gave up (a stalled or failed write) or the
    // receive thread lost the port; the queued bytes stay where they were.
    bool failed() const { return failed_.load(std::memory_order_acquire); }
    const std::string& failure() const { return failure_; }

    // How often the receive thread lowered DTR for a full receive ring.
    int dtrHolds() const { return dtrHolds_.load(std::memory_order_relaxed); }
    // The receive thread is holding the handheld back (DTR low) until the
    // ring is empty: more bytes are on their way even when the ring is empty.
    bool holdingBack() const { return holding_.load(std::memory_order_acquire); }

private:
    void receiveLoop();
    void transmitLoop();
    void fail(std::string why);
    void wakeTransmitter();

    UploadPort& port_;
    ByteRing rx_;
    ByteRing tx_;
    std::thread receiver_;
    std::thread transmitter_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> failed_{false};
    // Written once under the lock before failed_ publishes it.
    std::string failure_;
    std::atomic<int> dtrHolds_{0};
    std::atomic<bool> holding_{false};
    // Wake-ups only; the bytes travel through the rings without the lock.
    std::mutex mutex_;
    std::condition_variable txReady_;
    std::condition_variable txSent_;
};

}  // namespace tramond
