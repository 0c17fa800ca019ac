#include "regsim/faulty_channel.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace tramond::regsim {

FaultyChannel::FaultyChannel(ByteChannel& inner, const LineFaults& faults)
    : inner_(inner), f_(faults), rng_(faults.seed) {
    if (f_.paceBaud > 0)
        byteTime_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / f_.paceBaud));
}

bool FaultyChannel::chance(double rate) { return rate > 0 && uni_(rng_) < rate; }

int FaultyChannel::readByte(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // A byte already waiting followed its predecessor back to back.
        const bool queued = inner_.available();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        int b = inner_.readByte(static_cast<int>(std::max<long long>(left, 0)));
        if (b < 0) return -1;
        if (chance(f_.dropToRegister)) continue;
        if (chance(f_.corruptToRegister)) b ^= 1 + static_cast<int>(uni_(rng_) * 254);
        ++in_;
        if (byteTime_.count() > 0) {
            // A byte is complete on the wire one byte time after the previous
            // one, or after it was handed over if the line was idle. A late
            // wake-up does not restart the clock, or the overshoots of the
            // sleeps would add up over a frame.
            const auto now = Clock::now();
            inFree_ = (queued ? inFree_ : now) + byteTime_;
            if (inFree_ > now) std::this_thread::sleep_until(inFree_);
        }
        return b & 0xFF;
    }
}

void FaultyChannel::write(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size());
    for (auto b : bytes) {
        if (chance(f_.dropToPc)) continue;
        if (chance(f_.corruptToPc)) b = static_cast<std::uint8_t>(b ^ (1 + static_cast<int>(uni_(rng_) * 254)));
        out.push_back(b);
    }
    out_ += out.size();
    if (byteTime_.count() > 0) {
        const auto now = Clock::now();
        const auto start = std::max(now, outFree_);
        outFree_ = start + byteTime_ * static_cast<long>(bytes.size());
        if (outFree_ > now) std::this_thread::sleep_until(outFree_);
    }
    inner_.write(out);
}

}  // namespace tramond::regsim
