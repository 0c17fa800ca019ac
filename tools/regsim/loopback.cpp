#include "regsim/loopback.h"

#include <chrono>

namespace tramond::regsim {

void LoopbackLine::Pipe::push(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(m_);
        q_.insert(q_.end(), bytes.begin(), bytes.end());
    }
    cv_.notify_all();
}

int LoopbackLine::Pipe::pop(int timeoutMs) {
    std::unique_lock lock(m_);
    if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !q_.empty(); })) return -1;
    const int b = q_.front();
    q_.pop_front();
    return b;
}

bool LoopbackLine::PcEnd::write(std::span<const std::uint8_t> bytes) {
    if (!open_) return false;
    ++writeCalls_;
    line_.toRegister_.push(bytes);
    return true;
}

}  // namespace tramond::regsim
