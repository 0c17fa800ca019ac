#pragma once
// The register's side of the line: a byte stream with read time-outs.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tramond::regsim {

class ByteChannel {
public:
    virtual ~ByteChannel() = default;
    // 0..255, or -1 when nothing arrived within timeoutMs.
    virtual int readByte(int timeoutMs) = 0;
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    // True when a byte can be read without waiting.
    virtual bool available() { return false; }
};

// A pseudo-terminal (its device path is what the PC opens) or a named serial
// device, in raw mode. Throws std::runtime_error when it cannot be opened.
class TtyChannel : public ByteChannel {
public:
    static std::unique_ptr<TtyChannel> openPseudoTerminal();
    static std::unique_ptr<TtyChannel> openDevice(const std::string& path, int baudRate);
    ~TtyChannel() override;

    int readByte(int timeoutMs) override;
    void write(std::span<const std::uint8_t> bytes) override;
    bool available() override;
    // The path the other side opens (the pty's slave, or the device itself).
    const std::string& devicePath() const { return path_; }
    // The baud rate the line is set to now, by whoever set it last (the PC,
    // or ser2net on the PC's behalf); 0 when it is none of the known rates.
    int lineBaud() const;

private:
    TtyChannel(int fd, std::string path, int keepSlaveFd);
    int fd_;
    int slaveFd_;  // held open so the pty survives the PC closing it
    std::string path_;
    std::uint8_t buf_[512];
    int bufLen_ = 0;
    int bufPos_ = 0;
};

}  // namespace tramond::regsim
