#pragma once
// Shared by the fuzz harnesses: a scratch folder per process for parsers
// that read files, and a port that serves the fuzzer's bytes.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "link/serial_port.h"

namespace tramond::fuzz {

inline const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("tramond-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

inline void writeFile(const std::filesystem::path& p, const std::uint8_t* data, std::size_t size) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Answers reads from the input, then times out; swallows writes.
class InputPort : public SerialPort {
public:
    explicit InputPort(std::span<const std::uint8_t> input) : input_(input) {}
    bool open(const PortConfig&) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int readByte(int) override { return pos_ < input_.size() ? input_[pos_++] : -1; }
    bool write(std::span<const std::uint8_t>) override { return true; }
    bool exhausted() const { return pos_ >= input_.size(); }

private:
    std::span<const std::uint8_t> input_;
    std::size_t pos_ = 0;
    bool open_ = false;
};

}  // namespace tramond::fuzz
