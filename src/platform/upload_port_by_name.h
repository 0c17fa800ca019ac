#pragma once
// The handheld upload's port as the dealer names it: a network port name
// ("rfc2217://HOST:PORT") opens a connection, anything else the terminal
// device. The dialog holds one before the name is chosen.

#include <memory>

#include "handheld/upload_port.h"
#include "platform/network_upload_port.h"
#include "platform/upload_port_posix.h"

namespace tramond::platform {

class UploadPortByName : public UploadPort {
public:
    bool open(const std::string& name) override;
    void close() override { active().close(); }
    bool isOpen() const override { return active_ && active_->isOpen(); }
    bool setBaud(int rate) override { return active().setBaud(rate); }
    bool setDtr(bool on) override { return active().setDtr(on); }
    int read(std::span<std::uint8_t> into, int timeoutMs) override { return active().read(into, timeoutMs); }
    int write(std::span<const std::uint8_t> bytes, int timeoutMs) override {
        return active().write(bytes, timeoutMs);
    }
    bool drain(int timeoutMs, int quietMs = 0) override { return active().drain(timeoutMs, quietMs); }
    void wake() override { active().wake(); }
    std::string problem() const override { return active_ ? active_->problem() : std::string(); }

private:
    UploadPort& active() { return active_ ? *active_ : device_; }
    PosixUploadPort device_;
    NetworkUploadPort network_;
    UploadPort* active_ = nullptr;
};

}  // namespace tramond::platform
