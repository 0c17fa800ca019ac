#pragma once
// Line faults and line timing in front of a channel: seeded drops and
// corruption in each direction, and bytes paced at a baud rate (ten bits per
// byte) so that the wire's own duration is felt by both ends.

#include <chrono>
#include <cstdint>
#include <random>

#include "regsim/channel.h"

namespace tramond::regsim {

struct LineFaults {
    double dropToRegister = 0;     // rate per byte, 0..1
    double corruptToRegister = 0;
    double dropToPc = 0;
    double corruptToPc = 0;
    std::uint32_t seed = 1;
    int paceBaud = 0;              // 0: no pacing
};

class FaultyChannel : public ByteChannel {
public:
    FaultyChannel(ByteChannel& inner, const LineFaults& faults);
    int readByte(int timeoutMs) override;
    void write(std::span<const std::uint8_t> bytes) override;
    bool available() override { return inner_.available(); }

    // Bytes that crossed the line in each direction (after drops).
    std::uint64_t bytesToRegister() const { return in_; }
    std::uint64_t bytesToPc() const { return out_; }

private:
    using Clock = std::chrono::steady_clock;
    bool chance(double rate);

    ByteChannel& inner_;
    LineFaults f_;
    std::mt19937 rng_;
    std::uniform_real_distribution<double> uni_{0.0, 1.0};
    Clock::duration byteTime_{};
    Clock::time_point inFree_{};
    Clock::time_point outFree_{};
    std::uint64_t in_ = 0;
    std::uint64_t out_ = 0;
};

}  // namespace tramond::regsim
