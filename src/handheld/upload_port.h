#pragma once
// The serial port of the handheld upload, separate from the register link:
// its own handle and settings. The receive and transmit threads use read and
// write at the same time; wake() lets the owner stop them without closing the
// descriptor under their feet.

#include <cstdint>
#include <span>
#include <string>

namespace tramond {

class UploadPort {
public:
    virtual ~UploadPort() = default;
    // 9600 baud, 8 data bits, no parity, one stop bit, DTR on, both
    // directions emptied. False when the port cannot be opened.
    virtual bool open(const std::string& name) = 0;
    // Only when no thread is inside read or write any more.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Changes the rate only; the caller drains first.
    virtual bool setBaud(int rate) = 0;
    virtual bool setDtr(bool on) = 0;
    // Bytes read (> 0); 0 when none came within timeoutMs (-1: no limit) or
    // wake() was called; -1 when the port failed.
    virtual int read(std::span<std::uint8_t> into, int timeoutMs) = 0;
    // Bytes taken (0 when the port took none within timeoutMs or wake() was
    // called); -1 when the port failed.
    virtual int write(std::span<const std::uint8_t> bytes, int timeoutMs) = 0;
    // Waits until every byte written has left the line and then quietMs
    // more, as one wait; false when that does not fit in timeoutMs.
    virtual bool drain(int timeoutMs, int quietMs = 0) = 0;
    // Makes blocked and later reads and writes return at once, until the
    // port is opened again.
    virtual void wake() = 0;
    // What went wrong last, naming the far end, where the port knows more
    // than "it failed" (a network port); empty otherwise.
    virtual std::string problem() const { return {}; }
};

}  // namespace tramond
