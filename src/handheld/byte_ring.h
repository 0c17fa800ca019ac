#pragma once
// A 4000-byte ring between exactly one producing and one consuming thread.
// Each index has a single writer; the producer publishes a byte by storing
// the write index with release after the byte, the consumer frees a slot by
// storing the read index with release after taking it. No lock is taken.

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

namespace tramond {

class ByteRing {
public:
    static constexpr std::uint16_t kSize = 4000;  // one slot stays free: 3999 usable

    // Producer side.
    bool push(std::uint8_t b) {
        const std::uint16_t w = write_.load(std::memory_order_relaxed);
        const std::uint16_t next = advance(w, 1);
        if (next == read_.load(std::memory_order_acquire)) return false;
        buf_[w] = b;
        write_.store(next, std::memory_order_release);
        return true;
    }

    // Consumer side: the next byte, or -1 when empty.
    int pop() {
        const std::uint16_t r = read_.load(std::memory_order_relaxed);
        if (r == write_.load(std::memory_order_acquire)) return -1;
        const int b = buf_[r];
        read_.store(advance(r, 1), std::memory_order_release);
        return b;
    }
    // Consumer side: the waiting bytes up to the end of the buffer, to be
    // handed to a write before consume() frees them.
    std::span<const std::uint8_t> readable() const {
        const std::uint16_t r = read_.load(std::memory_order_relaxed);
        const std::uint16_t w = write_.load(std::memory_order_acquire);
        const std::uint16_t end = w >= r ? w : kSize;
        return {buf_.data() + r, static_cast<std::size_t>(end - r)};
    }
    void consume(std::size_t n) {
        const std::uint16_t r = read_.load(std::memory_order_relaxed);
        read_.store(advance(r, n), std::memory_order_release);
    }

    // Either side.
    bool empty() const {
        return read_.load(std::memory_order_acquire) == write_.load(std::memory_order_acquire);
    }
    std::size_t size() const {
        const int w = write_.load(std::memory_order_acquire);
        const int r = read_.load(std::memory_order_acquire);
        return static_cast<std::size_t>(w >= r ? w - r : w + kSize - r);
    }
    // Only while neither thread uses the ring.
    void reset() {
        read_.store(0, std::memory_order_relaxed);
        write_.store(0, std::memory_order_relaxed);
    }

private:
    static std::uint16_t advance(std::uint16_t i, std::size_t n) {
        return static_cast<std::uint16_t>((i + n) % kSize);
    }

    std::array<std::uint8_t, kSize> buf_{};
    std::atomic<std::uint16_t> write_{0};
    std::atomic<std::uint16_t> read_{0};
};

}  // namespace tramond
