#pragma once
// A scripted serial port: bytes the register "sends" are queued up front or
// by a reaction to each write; every write call is recorded as one frame.

#include <deque>
#include <functional>
#include <vector>

#include "link/serial_port.h"

namespace tramond::test {

class FakePort : public SerialPort {
public:
    using Bytes = std::vector<std::uint8_t>;

    bool openFails = false;
    PortConfig opened;
    std::deque<int> incoming;  // -1 stands for one read that times out
    // What is already waiting on the line: the only bytes a read that does
    // not wait (time-out 0) sees. Scripted answers come later.
    std::deque<int> waiting;
    std::vector<Bytes> writes;
    std::vector<int> readTimeouts;
    std::function<void(FakePort&, const Bytes&)> onWrite;

    bool open(const PortConfig& c) override {
        if (openFails) return false;
        opened = c;
        open_ = true;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int readByte(int timeoutMs) override {
        if (timeoutMs == 0) {
            if (waiting.empty()) return -1;
            const int b = waiting.front();
            waiting.pop_front();
            return b;
        }
        readTimeouts.push_back(timeoutMs);
        if (!waiting.empty()) {
            const int b = waiting.front();
            waiting.pop_front();
            return b;
        }
        if (incoming.empty()) return -1;
        const int b = incoming.front();
        incoming.pop_front();
        return b;
    }
    bool write(std::span<const std::uint8_t> bytes) override {
        writes.emplace_back(bytes.begin(), bytes.end());
        if (onWrite) onWrite(*this, writes.back());
        return true;
    }
    void queue(std::initializer_list<int> bytes) { incoming.insert(incoming.end(), bytes); }
    Bytes allWritten() const {
        Bytes all;
        for (const auto& w : writes) all.insert(all.end(), w.begin(), w.end());
        return all;
    }

private:
    bool open_ = false;
};

}  // namespace tramond::test
