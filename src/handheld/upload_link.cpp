#include "handheld/upload_link.h"

#include <array>
#include <chrono>

namespace tramond {

using namespace std::chrono_literals;

void UploadLink::start() {
    if (running()) return;
    rx_.reset();
    tx_.reset();
    stop_.store(false);
    failed_.store(false);
    failure_.clear();
    dtrHolds_.store(0);
    holding_.store(false);
    receiver_ = std::thread([this] { receiveLoop(); });
    transmitter_ = std::thread([this] { transmitLoop(); });
}

void UploadLink::stop() {
    if (!running()) return;
    {
        std::lock_guard lock(mutex_);
        stop_.store(true);
    }
    port_.wake();
    txReady_.notify_all();
    txSent_.notify_all();
    if (receiver_.joinable()) receiver_.join();
    if (transmitter_.joinable()) transmitter_.join();
}

void UploadLink::fail(std::string why) {
    std::lock_guard lock(mutex_);
    if (!failed_.load()) {
        failure_ = std::move(why);
        failed_.store(true, std::memory_order_release);
    }
    txSent_.notify_all();
}

void UploadLink::receiveLoop() {
    std::array<std::uint8_t, 256> buf;
    while (!stop_.load()) {
        const int n = port_.read(buf, -1);
        if (n < 0) {
            fail("the port stopped reading");
            return;
        }
        for (int i = 0; i < n; ++i) {
            if (!rx_.push(buf[static_cast<std::size_t>(i)])) {
                // Hold the handheld back until the uploader has taken
                // everything, then let it go on.
                dtrHolds_.fetch_add(1, std::memory_order_relaxed);
                holding_.store(true, std::memory_order_release);
                port_.setDtr(false);
                while (!rx_.empty() && !stop_.load()) std::this_thread::sleep_for(25ms);
                port_.setDtr(true);
                holding_.store(false, std::memory_order_release);
                if (stop_.load()) return;
                rx_.push(buf[static_cast<std::size_t>(i)]);
            }
        }
    }
}

void UploadLink::transmitLoop() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            txReady_.wait(lock, [&] { return stop_.load() || !tx_.empty(); });
            if (stop_.load()) return;
        }
        // Bytes leave the ring only once the port took them: nothing queued
        // is ever dropped.
        const auto waiting = tx_.readable();
        const int n = port_.write(waiting, kWriteStallMs);
        if (stop_.load()) return;
        if (n < 0) {
            fail("the port refused the bytes");
            return;
        }
        if (n == 0) {
            fail("the port took nothing for " + std::to_string(kWriteStallMs) + " ms");
            return;
        }
        tx_.consume(static_cast<std::size_t>(n));
        if (tx_.empty()) {
            std::lock_guard lock(mutex_);
            txSent_.notify_all();
        }
    }
}

void UploadLink::wakeTransmitter() {
    {
        std::lock_guard lock(mutex_);
    }
    txReady_.notify_one();
}

std::size_t UploadLink::putTxBytes(std::span<const std::uint8_t> bytes) {
    std::size_t queued = 0;
    for (auto b : bytes) {
        if (failed()) break;
        if (!tx_.push(b)) {
            wakeTransmitter();
            for (int step = 0; step < 100 && !tx_.empty(); ++step) {
                if (failed() || stop_.load()) break;
                std::this_thread::sleep_for(1ms);
            }
            if (!tx_.push(b)) break;
        }
        ++queued;
    }
    if (queued) wakeTransmitter();
    return queued;
}

int UploadLink::getRxByte() {
    for (int step = 0;; ++step) {
        const int b = rx_.pop();
        if (b >= 0 || step == 10) return b;
        std::this_thread::sleep_for(1ms);
    }
}

bool UploadLink::waitSent(int timeoutMs, int quietMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    {
        std::unique_lock lock(mutex_);
        if (!txSent_.wait_until(lock, deadline, [&] { return tx_.empty() || failed() || stop_.load(); }))
            return false;
    }
    if (failed() || !tx_.empty()) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return port_.drain(static_cast<int>(std::max<long long>(left.count(), 0)), quietMs);
}

bool UploadLink::setBaud(int rate) {
    if (!waitSent(2000)) return false;
    return port_.setBaud(rate);
}

}  // namespace tramond
