#pragma once
// The handheld upload's port on a POSIX terminal device (termios). Reads and
// writes poll the device together with a wake-up pipe, so the owner can stop
// its threads before it closes the descriptor.

#include <atomic>
#include <cstdint>

#include "handheld/upload_port.h"
#include "platform/poll_wait.h"

namespace tramond::platform {

class PosixUploadPort : public UploadPort {
public:
    PosixUploadPort() = default;
    ~PosixUploadPort() override { close(); }

    // "COMn" names the n-th system port; anything else is a device path.
    bool open(const std::string& name) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    bool setBaud(int rate) override;
    bool setDtr(bool on) override;
    int read(std::span<std::uint8_t> into, int timeoutMs) override;
    int write(std::span<const std::uint8_t> bytes, int timeoutMs) override;
    bool drain(int timeoutMs, int quietMs = 0) override;
    void wake() override;

    int baud() const { return baud_.load(); }

private:
    int fd_ = -1;
    WakePipe wake_;
    std::atomic<int> baud_{9600};
    // A pseudo-terminal drains at once, so the line time is also kept by
    // the clock.
    LineClock line_;
};

}  // namespace tramond::platform
