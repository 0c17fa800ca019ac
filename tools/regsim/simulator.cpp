#include "regsim/simulator.h"

#include <algorithm>
#include <chrono>

#include "link/block_map.h"
#include "link/block_protocol.h"
#include "link/logo.h"

namespace tramond::regsim {
namespace {

std::vector<std::uint8_t> answer(std::uint16_t number, std::span<const std::uint8_t> data = {}) {
    std::vector<std::uint8_t> out(2 + data.size());
    putBigEndian16(out.data(), number);
    std::copy(data.begin(), data.end(), out.begin() + 2);
    return out;
}

}  // namespace

RegisterSimulator::RegisterSimulator(SimOptions options)
    : options_(options), memories_(static_cast<std::size_t>(std::clamp(options.registers, 1, 24))) {
    for (auto& m : memories_) m.identification = options_.identification;
}

bool RegisterSimulator::muted() const {
    return options_.silent || (options_.silentAfterBlocks >= 0 && blocksReceived_.load() >= options_.silentAfterBlocks);
}

void RegisterSimulator::delay() const {
    if (options_.answerDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options_.answerDelayMs));
}

void RegisterSimulator::serve(ByteChannel& line, const std::atomic<bool>& stop) {
    while (!stop.load()) {
        if (pendingStx_) {
            pendingStx_ = false;
            if (!muted()) handleIncoming(line);
            continue;
        }
        const int b = line.readByte(50);
        if (b != kStx || muted()) continue;
        handleIncoming(line);
    }
}

bool RegisterSimulator::quiet(ByteChannel& line, int ms) {
    for (;;) {
        const int b = line.readByte(ms);
        if (b < 0) return false;
        if (b == kStx) return true;
    }
}

void RegisterSimulator::handleIncoming(ByteChannel& line) {
    delay();
    const std::uint8_t ack = kAck;
    line.write(std::span(&ack, 1));
    const int t = options_.byteTimeoutMs;
    const int c = line.readByte(t);
    if (c < 0) return;
    std::uint8_t sum = static_cast<std::uint8_t>(kStx ^ c);
    const int first = line.readByte(t);
    if (first < 0) return;
    sum ^= static_cast<std::uint8_t>(first);
    int terminal = 0;
    std::size_t n = static_cast<std::size_t>(c);
    Bytes payload;
    if (first == kNetworkMark) {
        const int term = line.readByte(t);
        const int len = term < 0 ? -1 : line.readByte(t);
        if (len < 0) return;
        sum ^= static_cast<std::uint8_t>(term ^ len);
        terminal = term;
        n = static_cast<std::size_t>(len);
    } else {
        payload.push_back(static_cast<std::uint8_t>(first));
    }
    while (payload.size() < n) {
        const int d = line.readByte(t);
        if (d < 0) return;
        payload.push_back(static_cast<std::uint8_t>(d));
        sum ^= static_cast<std::uint8_t>(d);
    }
    const int chk = line.readByte(t);
    if (chk < 0) return;
    if (static_cast<std::uint8_t>(chk) != sum) {
        const std::uint8_t nak = kNak;
        line.write(std::span(&nak, 1));
        pendingStx_ = quiet(line, options_.drainQuietMs);
        return;
    }
    int reg = 1;
    if (terminal != 0) {
        if (terminal > static_cast<int>(memories_.size())) return;  // nobody there
        reg = terminal;
    }
    // Stored and answered before the acknowledgement, as a register does.
    const auto answers = process(memory(reg), terminal, payload);
    delay();
    std::vector<std::uint8_t> acks{kAck};
    if (terminal != 0) {
        acks.insert(acks.end(), static_cast<std::size_t>(std::clamp(options_.bytesBeforeSecondAck, 0, 3)), 0x00);
        acks.push_back(kAck);
    }
    line.write(acks);
    ++blocksReceived_;
    for (const auto& a : answers) {
        if (muted()) break;
        if (!sendAnswer(line, a)) break;
    }
}

bool RegisterSimulator::sendAnswer(ByteChannel& line, const Bytes& data) {
    std::vector<std::uint8_t> frame;
    frame.push_back(static_cast<std::uint8_t>(data.size()));
    std::uint8_t sum = static_cast<std::uint8_t>(kStx ^ data.size());
    for (auto b : data) {
        frame.push_back(b);
        sum ^= b;
    }
    frame.push_back(sum);
    const std::uint8_t stx = kStx;
    for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
        delay();
        line.write(std::span(&stx, 1));
        int r = line.readByte(options_.replyTimeoutMs);
        if (r == kStx) {  // the PC has moved on and starts a block of its own
            pendingStx_ = true;
            return false;
        }
        if (r == kAck) {
            line.write(frame);
            r = line.readByte(options_.replyTimeoutMs);
            if (r == kAck) {
                ++answersSent_;
                return true;
            }
            if (r == kStx) {
                pendingStx_ = true;
                return false;
            }
        }
        // Silence means the PC has already given the block up: repeat at
        // once. Anything else is the PC draining with NAKs; let it run dry
        // before repeating the block.
        if (r >= 0 && quiet(line, options_.retryQuietMs)) {
            pendingStx_ = true;
            return false;
        }
    }
    return false;
}

std::vector<std::vector<std::uint8_t>> RegisterSimulator::process(RegisterMemory& mem, int terminal, const Bytes& p) {
    std::vector<Bytes> out;
    const Bytes end = answer(0);
    if (p.size() == 3 && p[0] == 'C' && p[1] == 'L' && p[2] == 'R') {
        mem.clear();
        ++mem.clears;
        out.push_back(answer(0, std::array<std::uint8_t, 1>{0}));
        return out;
    }
    if (p.size() < 3) return out;
    const std::uint16_t k = bigEndian16(&p[1]);
    const std::span<const std::uint8_t> data(p.data() + 3, p.size() - 3);

    if (p[0] == 'U') {
        if (k == kCmdPluSeriesEnd) {
            ++mem.pluSeriesEnds;
        } else if (k == kCmdClearPluFile) {
            ++mem.pluFileClears;
            for (auto it = mem.records.begin(); it != mem.records.end();)
                it = (it->first > 10000 && it->first <= 60000) ? mem.records.erase(it) : std::next(it);
            mem.codedPlus.clear();
        } else if (k == kCmdPluReplace || k == kCmdPluInsert || k == kCmdPluDelete) {
            mem.pluCommands.emplace_back(k, Bytes(data.begin(), data.end()));
            std::array<std::uint8_t, 7> code{};
            const std::size_t codeAt = k == kCmdPluDelete ? 0 : 2;
            if (data.size() >= codeAt + 7) std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(codeAt), 7, code.begin());
            if (k == kCmdPluDelete) {
                mem.codedPlus.erase(code);
                mem.deletePlu(code);
            } else {
                mem.codedPlus[code] = Bytes(data.begin(), data.end());
                const auto record = data.first(std::min(data.size(), kPluRecordSize));
                if (k == kCmdPluInsert)
                    mem.insertPlu(record);
                else
                    mem.replacePlu(record);
            }
            if (k != kCmdPluReplace) out.push_back(answer(0, std::array<std::uint8_t, 1>{0}));
        } else if (k == kBlockPbTrailer) {
            if (data.size() >= 2) {
                const std::uint16_t index = bigEndian16(data.data());
                if (index < 50) {
                    const std::size_t n = std::min<std::size_t>(kPxtPieceSize, data.size() - 2);
                    const std::size_t at = static_cast<std::size_t>(index) * 24;
                    std::copy_n(data.begin() + 2, std::min(n, mem.pxt.size() - at), mem.pxt.begin() + static_cast<std::ptrdiff_t>(at));
                }
            }
        } else if (k == kBlockLogo) {
            if (data.size() >= 2) {
                std::array<std::uint8_t, kLogoLineSize> line{};
                std::copy_n(data.begin() + 2, std::min(kLogoLineSize, data.size() - 2), line.begin());
                mem.logoLines[bigEndian16(data.data())] = line;
            }
        } else if (k == kBlockChk) {
            mem.chk.assign(data.begin(), data.end());
            mem.chk.resize(kChkBlockSize, 0);
        } else if (k == kBlockCustomer) {
            if (data.size() >= 2) {
                Bytes rec(data.begin(), data.end());
                rec.resize(kCustomerRecordSize, 0);
                mem.customers[bigEndian16(data.data())] = std::move(rec);
            }
        } else if (findSystemBlock(k)) {
            mem.blocks[k].assign(data.begin(), data.end());
        } else if (const KindBlock* kind = findKindForRecord(k)) {
            Bytes rec(data.begin(), data.end());
            rec.resize(kind->recordSize, 0);
            mem.records[k] = std::move(rec);
        }
        return out;
    }
    if (p[0] != 'D') return out;
    const std::uint16_t last = p.size() >= 5 ? bigEndian16(&p[3]) : 0;

    if (k == kBlockIdentification) {
        if (options_.identifyOnSecondRequest && !identificationAsked_) {
            identificationAsked_ = true;
            return out;
        }
        std::array<std::uint8_t, 8> id{'O', 'R', 'B', '4', '4', '0', '0', mem.identification};
        out.push_back(answer(k, id));
    } else if (const SystemBlock* sb = findSystemBlock(k)) {
        auto it = mem.blocks.find(k);
        Bytes d = it != mem.blocks.end() ? it->second : Bytes(sb->length, 0);
        out.push_back(answer(k, d));
    } else if (k == kBlockPbTrailer) {
        for (int i = 0; i < kPxtPieces; ++i) {
            Bytes d(2 + kPxtPieceSize);
            putBigEndian16(d.data(), static_cast<std::uint16_t>(i * 5));
            std::copy_n(mem.pxt.begin() + static_cast<std::ptrdiff_t>(i * kPxtPieceSize), kPxtPieceSize, d.begin() + 2);
            out.push_back(answer(k, d));
        }
    } else if (k == kBlockLogo) {
        if (const auto g = logoLayout(mem.logoType())) {
            for (int a = 0; a <= g->lastLine; ++a) {
                Bytes d(2 + kLogoLineSize, 0);
                putBigEndian16(d.data(), static_cast<std::uint16_t>(a));
                if (auto it = mem.logoLines.find(static_cast<std::uint16_t>(a)); it != mem.logoLines.end())
                    std::copy(it->second.begin(), it->second.end(), d.begin() + 2);
                out.push_back(answer(k, d));
            }
        }
    } else if (k == kBlockChk) {
        out.push_back(answer(k, mem.chk));
    } else if (k == kBlockCustomer) {
        auto it = mem.customers.find(last);
        Bytes rec = it != mem.customers.end() ? it->second : Bytes(kCustomerRecordSize, 0);
        if (it == mem.customers.end()) putBigEndian16(rec.data(), last);
        out.push_back(answer(k, rec));
        return out;  // the customer record is the whole answer
    } else {
        const std::uint32_t to = last == 0 ? k : last;
        for (std::uint32_t n = k; n <= to && n <= 65535; ++n) {
            const KindBlock* kind = findKindForRecord(n);
            if (!kind) continue;
            if (auto it = mem.records.find(static_cast<std::uint16_t>(n)); it != mem.records.end()) {
                out.push_back(answer(static_cast<std::uint16_t>(n), it->second));
            } else if (n - kind->base <= mem.countOf(kind->base)) {
                out.push_back(answer(static_cast<std::uint16_t>(n), Bytes(kind->recordSize, 0)));
            }
        }
    }
    (void)terminal;
    out.push_back(end);
    return out;
}

SimulatorThread::SimulatorThread(RegisterSimulator& sim, ByteChannel& line)
    : thread_([this, &sim, &line] { sim.serve(line, stop_); }) {}

SimulatorThread::~SimulatorThread() { stop(); }

void SimulatorThread::stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
}

}  // namespace tramond::regsim
