#pragma once
// An in-process line: the PC end is a SerialPort, the register end a
// ByteChannel. Used by the built-in simulated register and by tests.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "link/serial_port.h"
#include "regsim/channel.h"

namespace tramond::regsim {

class LoopbackLine {
public:
    class Pipe {
    public:
        void push(std::span<const std::uint8_t> bytes);
        int pop(int timeoutMs);

    private:
        std::mutex m_;
        std::condition_variable cv_;
        std::deque<std::uint8_t> q_;
    };

    class PcEnd : public SerialPort {
    public:
        explicit PcEnd(LoopbackLine& line) : line_(line) {}
        bool open(const PortConfig&) override { open_ = true; return true; }
        void close() override { open_ = false; }
        bool isOpen() const override { return open_; }
        int readByte(int timeoutMs) override { return open_ ? line_.toPc_.pop(timeoutMs) : -1; }
        bool write(std::span<const std::uint8_t> bytes) override;
        int writeCalls() const { return writeCalls_; }

    private:
        LoopbackLine& line_;
        bool open_ = false;
        int writeCalls_ = 0;
    };

    class RegisterEnd : public ByteChannel {
    public:
        explicit RegisterEnd(LoopbackLine& line) : line_(line) {}
        int readByte(int timeoutMs) override { return line_.toRegister_.pop(timeoutMs); }
        void write(std::span<const std::uint8_t> bytes) override { line_.toPc_.push(bytes); }

    private:
        LoopbackLine& line_;
    };

    LoopbackLine() : pc_(*this), reg_(*this) {}
    PcEnd& pc() { return pc_; }
    RegisterEnd& registerSide() { return reg_; }

private:
    Pipe toPc_;
    Pipe toRegister_;
    PcEnd pc_;
    RegisterEnd reg_;
};

}  // namespace tramond::regsim
