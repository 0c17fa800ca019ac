#include "handheldsim/loader_simulator.h"

#include <array>

namespace tramond::handheldsim {
namespace {
using Clock = std::chrono::steady_clock;
constexpr int kPollMs = 20;
// A loader in the middle of the exchange gives up after this much silence
// (longer than the PC's wait after the start character).
constexpr int kGiveUpMs = 1500;
struct Stopped {};
struct GaveUp {};
}  // namespace

int LoaderSimulator::next(regsim::ByteChannel& line, const std::atomic<bool>& stop, bool inExchange) {
    const auto giveUp = Clock::now() + std::chrono::milliseconds(kGiveUpMs);
    for (;;) {
        if (inExchange && Clock::now() > giveUp) throw GaveUp{};
        if (stop.load()) throw Stopped{};
        if (o_.stallAfterBytes >= 0 && received_ >= o_.stallAfterBytes) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            continue;
        }
        const int b = line.readByte(kPollMs);
        if (b >= 0) {
            ++received_;
            return b;
        }
    }
}

void LoaderSimulator::serve(regsim::ByteChannel& line, const std::atomic<bool>& stop) {
    auto answer = [&](std::initializer_list<std::uint8_t> bytes) {
        std::vector<std::uint8_t> v(bytes);
        line.write(v);
    };
    auto silentUntilQuiet = [&] {
        // Lost: ignore everything until the line has been quiet a while.
        while (!stop.load()) {
            if (line.readByte(300) < 0) return;
        }
        throw Stopped{};
    };
    for (;;) try {
        {
            // Wake-up.
            int prev = -1;
            for (int b = next(line, stop, false); !(prev == 0x5A && b == 0x07); b = next(line, stop, false)) prev = b;
            {
                std::lock_guard lock(mutex_);
                ++r_.wakeUps;
                r_.segments.clear();
                r_.rowPausesUs.clear();
            }
            if (o_.noiseBytes > 0) {
                // A line that chatters after the wake-up; never the clear answer.
                std::vector<std::uint8_t> noise(static_cast<std::size_t>(o_.noiseBytes));
                for (std::size_t i = 0; i < noise.size(); ++i) {
                    noise[i] = static_cast<std::uint8_t>(i * 37 + 11);
                    if (noise[i] == 0xC1) noise[i] = 0x00;
                }
                line.write(noise);
            }
            while (next(line, stop) != 0x30) {
            }
            if (o_.answerClear) answer({0xC1});
            while (next(line, stop) != 0x3A) {
            }

            unsigned sum = 0;
            bool lost = false;
            for (;;) {
                std::array<std::uint8_t, 4> head;
                for (auto& h : head) h = static_cast<std::uint8_t>(next(line, stop));
                const unsigned count = head[0];
                const unsigned address = head[1] * 256u + head[2];
                std::vector<std::uint8_t> data(count);
                auto lastData = Clock::now();
                for (auto& d : data) {
                    d = static_cast<std::uint8_t>(next(line, stop));
                    lastData = Clock::now();
                }
                const int check = next(line, stop);
                const auto pause = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - lastData);
                unsigned recordSum = static_cast<unsigned>(check);
                for (auto h : head) recordSum += h;
                for (auto d : data) recordSum += d;
                if ((recordSum & 0xFF) != 0) {
                    lost = true;
                    break;
                }
                if (head[3] == 0x01) {
                    std::lock_guard lock(mutex_);
                    ++r_.finished;
                    r_.checksum = static_cast<std::uint16_t>(sum);
                    break;
                }
                if (next(line, stop) != 0x00 || next(line, stop) != 0x3A) {
                    lost = true;
                    break;
                }
                std::lock_guard lock(mutex_);
                if (head[3] == 0x02 && count == 2) {
                    ++r_.setupRecords;
                    r_.segments.push_back(static_cast<std::uint16_t>(data[0] * 256u + data[1]));
                } else if (head[3] == 0x00) {
                    ++r_.dataRecords;
                    for (unsigned i = 0; i < count; ++i) {
                        const unsigned at = (address + i) & 0xFFFF;
                        const auto stored =
                            static_cast<std::uint8_t>(static_cast<long>(at) == o_.badCell ? data[i] ^ 0x01 : data[i]);
                        r_.memory[at] = stored;
                        sum += stored;
                    }
                    r_.rowPausesUs.push_back(static_cast<long>(pause.count()));
                }
            }
            if (lost) {
                {
                    std::lock_guard lock(mutex_);
                    ++r_.badRecords;
                }
                silentUntilQuiet();
                continue;
            }
            if (o_.answerFinal && o_.finalHalf) answer({static_cast<std::uint8_t>((sum >> 8) & 0xFF)});
            else if (o_.answerFinal)
                answer({static_cast<std::uint8_t>((sum >> 8) & 0xFF), static_cast<std::uint8_t>(sum & 0xFF)});
        }
    } catch (const Stopped&) {
        return;
    } catch (const GaveUp&) {
        std::lock_guard lock(mutex_);
        ++r_.badRecords;
    }
}

}  // namespace tramond::handheldsim
