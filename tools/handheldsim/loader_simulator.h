#pragma once
// A handheld in loading mode, as the upload expects it: woken by 0x5A 0x07,
// cleared by 0x30 (answer 0xC1), started by ':', then binary records
// (count, address, type, data, checksum) each followed by 0x00 and the next
// ':', up to the end record, answered by the 16-bit sum of all data bytes,
// high byte first. A record with a wrong checksum or trailer makes it fall
// silent, as a loader that lost the thread would; so does a long silence
// in the middle of an exchange.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "regsim/channel.h"

namespace tramond::handheldsim {

struct LoaderOptions {
    bool answerClear = true;   // false: never answers 0xC1
    bool answerFinal = true;   // false: never gives the final checksum
    bool finalHalf = false;    // gives only the first byte of the checksum
    long stallAfterBytes = -1; // >= 0: stops reading after that many bytes
    int noiseBytes = 0;        // sent after the wake-up, before the clear request is read
    long badCell = -1;         // >= 0: that address stores its byte with bit 0 flipped
};

struct LoaderReport {
    int wakeUps = 0;
    int setupRecords = 0;
    int dataRecords = 0;
    int badRecords = 0;
    int finished = 0;               // end records answered or not
    std::uint16_t checksum = 0;     // of the last upload
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000, 0xFF);
    std::vector<std::uint16_t> segments;  // of the setup records, in order
    // Time on the line between each row's last data byte and its checksum,
    // in microseconds. A loader that fell behind sees queued bytes back to
    // back, so look at most rows, not the shortest.
    std::vector<long> rowPausesUs;
};

class LoaderSimulator {
public:
    explicit LoaderSimulator(LoaderOptions o = {}) : o_(o) {}
    // Serves until stop is set.
    void serve(regsim::ByteChannel& line, const std::atomic<bool>& stop);
    LoaderReport report() const {
        std::lock_guard lock(mutex_);
        return r_;
    }

private:
    // The next byte; in the middle of an exchange, gives up after a silence.
    int next(regsim::ByteChannel& line, const std::atomic<bool>& stop, bool inExchange = true);

    LoaderOptions o_;
    mutable std::mutex mutex_;
    LoaderReport r_;
    long received_ = 0;
};

// A loader on its own thread, stopped and joined on destruction.
class LoaderThread {
public:
    LoaderThread(LoaderSimulator& sim, regsim::ByteChannel& line)
        : thread_([&sim, &line, this] { sim.serve(line, stop_); }) {}
    ~LoaderThread() {
        stop_.store(true);
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tramond::handheldsim
