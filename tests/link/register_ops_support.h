#pragma once
// Shared by the register-operation tests: a host that answers from a
// script and records what it was shown, a tap on the line that records the
// blocks the PC sent, and a fixture with a program on disk and a simulated
// register on an in-process line.

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/block_map.h"
#include "link/block_protocol.h"
#include "link/register_ops.h"
#include "program/program_ops.h"
#include "regsim/loopback.h"
#include "regsim/simulator.h"

namespace tramond::testing {

namespace fs = std::filesystem;

class ScriptedHost : public RegisterOpsHost {
public:
    struct Shown {
        MessageKind kind;
        std::string title;
        std::string text;
    };
    std::vector<Shown> messages;
    std::vector<std::string> questions;
    std::map<std::string, bool> answers;  // by question text; others get defaultAnswer
    bool defaultAnswer = true;
    TargetChoice targetChoice{true, 0, 0};
    std::vector<bool> targetAllowedNetwork;
    std::optional<fs::path> loadTarget;
    std::vector<std::string> headlines;
    int pumps = 0;
    int waits = 0;
    int progressShown = 0;
    std::function<void(int)> onPump;
    std::vector<ProgressState> progress;  // every change, in order
    // The last state shown for a file ending in `extension`.
    std::optional<ProgressState> lastProgressFor(const std::string& extension) const {
        for (auto it = progress.rbegin(); it != progress.rend(); ++it)
            if (it->fileName.ends_with(extension)) return *it;
        return std::nullopt;
    }

    void message(MessageKind kind, const std::string& title, const std::string& text) override {
        messages.push_back({kind, title, text});
    }
    bool ask(const Question& q) override {
        questions.push_back(q.text);
        auto it = answers.find(q.text);
        return it == answers.end() ? defaultAnswer : it->second;
    }
    TargetChoice chooseTarget(bool allowNetwork) override {
        targetAllowedNetwork.push_back(allowNetwork);
        return targetChoice;
    }
    std::optional<fs::path> chooseLoadTarget(const std::string&) override { return loadTarget; }
    void showProgress() override { ++progressShown; }
    void progressChanged(const ProgressState& s) override {
        progress.push_back(s);
        if (!s.headline.empty() && (headlines.empty() || headlines.back() != s.headline))
            headlines.push_back(s.headline);
    }
    void pump() override {
        ++pumps;
        if (onPump) onPump(pumps);
    }
    void wait(std::chrono::milliseconds) override { ++waits; }

    bool shown(const std::string& text) const {
        return std::any_of(messages.begin(), messages.end(), [&](const Shown& m) { return m.text == text; });
    }
    int asked(const std::string& text) const {
        return static_cast<int>(std::count(questions.begin(), questions.end(), text));
    }
};

// Sits in front of the register's end of the line and parses the frames
// the PC sends, so that a test can see exactly which blocks went out.
class PayloadTap : public regsim::ByteChannel {
public:
    explicit PayloadTap(regsim::ByteChannel& inner) : inner_(inner) {}

    int readByte(int timeoutMs) override {
        const int b = inner_.readByte(timeoutMs);
        if (b >= 0) feed(static_cast<std::uint8_t>(b));
        return b;
    }
    void write(std::span<const std::uint8_t> bytes) override { inner_.write(bytes); }

    struct Frame {
        int terminal;
        std::vector<std::uint8_t> payload;
        char type() const { return payload.empty() ? 0 : static_cast<char>(payload[0]); }
        std::uint16_t number() const { return payload.size() >= 3 ? bigEndian16(&payload[1]) : 0; }
    };
    std::vector<Frame> frames() const {
        std::lock_guard lock(m_);
        return frames_;
    }
    // The numbers of the "U" blocks (or of the "D" requests) in order.
    std::vector<std::uint16_t> numbers(char type) const {
        std::vector<std::uint16_t> out;
        for (const auto& f : frames())
            if (f.type() == type) out.push_back(f.number());
        return out;
    }
    void reset() {
        std::lock_guard lock(m_);
        frames_.clear();
    }

private:
    enum class S { Idle, Count, First, Terminal, Length, Data, Check };
    void feed(std::uint8_t b) {
        switch (s_) {
            case S::Idle:
                if (b == kStx) s_ = S::Count;
                break;
            case S::Count:
                count_ = b;
                cur_ = {};
                s_ = S::First;
                break;
            case S::First:
                if (b == kNetworkMark) {
                    s_ = S::Terminal;
                } else {
                    cur_.terminal = 0;
                    need_ = count_;
                    cur_.payload.push_back(b);
                    s_ = cur_.payload.size() >= need_ ? S::Check : S::Data;
                }
                break;
            case S::Terminal:
                cur_.terminal = b;
                s_ = S::Length;
                break;
            case S::Length:
                need_ = b;
                s_ = need_ == 0 ? S::Check : S::Data;
                break;
            case S::Data:
                cur_.payload.push_back(b);
                if (cur_.payload.size() >= need_) s_ = S::Check;
                break;
            case S::Check: {
                std::lock_guard lock(m_);
                frames_.push_back(cur_);
                s_ = S::Idle;
                break;
            }
        }
    }

    regsim::ByteChannel& inner_;
    mutable std::mutex m_;
    std::vector<Frame> frames_;
    S s_ = S::Idle;
    std::size_t count_ = 0;
    std::size_t need_ = 0;
    Frame cur_{};
};

// A SerialPort that forwards to the loopback line's PC end (the runner
// wants to own its port).
class ForwardingPort : public SerialPort {
public:
    // opened, when given, receives the configuration of every open.
    ForwardingPort(SerialPort& inner, PortConfig* opened = nullptr) : inner_(inner), opened_(opened) {}
    bool open(const PortConfig& c) override {
        if (opened_) *opened_ = c;
        return inner_.open(c);
    }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    int readByte(int t) override { return inner_.readByte(t); }
    bool write(std::span<const std::uint8_t> b) override { return inner_.write(b); }

private:
    SerialPort& inner_;
    PortConfig* opened_;
};

inline std::vector<std::uint8_t> fileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& p, const std::vector<std::uint8_t>& b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Every file of a folder (recursively) with its bytes: a before/after picture.
inline std::map<std::string, std::vector<std::uint8_t>> folderPicture(const fs::path& dir) {
    std::map<std::string, std::vector<std::uint8_t>> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) out[fs::relative(e.path(), dir).string()] = fileBytes(e.path());
    return out;
}

class RegisterOpsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              (std::string("tramond_regops_") + info->test_suite_name() + "_" + info->name() + "_" +
               std::to_string(::getpid()));  // another checkout may run the same test
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        thread.reset();
        fs::remove_all(dir);
    }

    static regsim::SimOptions fastSim() {
        regsim::SimOptions o;
        o.replyTimeoutMs = 300;
        o.retryQuietMs = 150;
        o.drainQuietMs = 50;
        return o;
    }

    void startSim(regsim::SimOptions o = fastSim()) {
        thread.reset();
        sim = std::make_unique<regsim::RegisterSimulator>(o);
        tap = std::make_unique<PayloadTap>(line.registerSide());
        thread = std::make_unique<regsim::SimulatorThread>(*sim, *tap);
    }

    RegisterOpsConfig config() const {
        RegisterOpsConfig c;
        c.link.port = "SIM";
        c.timeoutMs = 150;
        c.identificationRetryDelay = std::chrono::milliseconds(1);
        return c;
    }

    // A new program with default records, loaded into the session.
    fs::path makeProgram(const std::string& name) {
        const auto path = dir / name;
        const auto r = createProgram(session, path);
        EXPECT_TRUE(r.ok()) << name;
        return session.programPath;
    }

    // Writes the session's application block to its file (after a test
    // changed settings) and loads it again.
    void saveAndReload() {
        writeBytes(session.programPath,
                   std::vector<std::uint8_t>(session.app.bytes().begin(), session.app.bytes().end()));
        ASSERT_TRUE(loadProgram(session, session.programPath).ok());
    }

    RegisterOperations ops() { return RegisterOperations(session, line.pc(), host, config()); }

    fs::path dir;
    ProgramSession session;
    ScriptedHost host;
    regsim::LoopbackLine line;
    std::unique_ptr<regsim::RegisterSimulator> sim;
    std::unique_ptr<PayloadTap> tap;
    std::unique_ptr<regsim::SimulatorThread> thread;
};

}  // namespace tramond::testing
