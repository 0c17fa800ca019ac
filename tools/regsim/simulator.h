#pragma once
// The simulated ORB4400: one register on a direct line or a network of
// 1..24 behind one line. It answers every block the tool sends as a register
// does: acknowledgements, request series ending with block number 0, stored
// "U" blocks, CLR and the PLU commands.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "regsim/channel.h"
#include "regsim/register_memory.h"

namespace tramond::regsim {

struct SimOptions {
    int registers = 1;               // network registers 1..registers; direct frames reach register 1
    std::uint8_t identification = '2';  // byte 7 of block 1: 'a', '1', '2'
    bool silent = false;             // never answers
    long silentAfterBlocks = -1;     // falls silent after this many blocks received
    bool identifyOnSecondRequest = false;
    int answerDelayMs = 0;           // before every acknowledgement and answer
    // Both one and a half times the PC's read time-out, so that a repeated
    // answer reaches the PC after its drain ended and before its next read
    // gives up.
    int replyTimeoutMs = 1500;       // waiting for the PC's next byte
    int retryQuietMs = 1500;         // silence after NAKs before repeating an answer
    // Gap that ends an incoming frame; below the PC's time-out, so that a
    // frame cut short is given up before the PC tries again.
    int byteTimeoutMs = 500;
    int drainQuietMs = 300;          // silence that ends a garbled block
    int bytesBeforeSecondAck = 0;    // network: other bytes before the relay's ACK
};

class RegisterSimulator {
public:
    explicit RegisterSimulator(SimOptions options = {});

    // Register 1..registers.
    RegisterMemory& memory(int registerNumber) { return memories_.at(static_cast<std::size_t>(registerNumber - 1)); }
    const SimOptions& options() const { return options_; }

    // Serves the line until stop is set.
    void serve(ByteChannel& line, const std::atomic<bool>& stop);

    long blocksReceived() const { return blocksReceived_.load(); }
    long answersSent() const { return answersSent_.load(); }

private:
    using Bytes = std::vector<std::uint8_t>;
    bool muted() const;
    void handleIncoming(ByteChannel& line);
    std::vector<Bytes> process(RegisterMemory& mem, int terminal, const Bytes& payload);
    bool sendAnswer(ByteChannel& line, const Bytes& data);
    // Reads until the line is quiet for ms; true when an STX interrupted.
    bool quiet(ByteChannel& line, int ms);
    void delay() const;

    SimOptions options_;
    std::vector<RegisterMemory> memories_;
    std::atomic<long> blocksReceived_{0};
    std::atomic<long> answersSent_{0};
    bool identificationAsked_ = false;
    bool pendingStx_ = false;
};

// Runs a simulator on its own thread for as long as it lives.
class SimulatorThread {
public:
    SimulatorThread(RegisterSimulator& sim, ByteChannel& line);
    ~SimulatorThread();
    void stop();

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tramond::regsim
