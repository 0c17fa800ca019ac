// Registers behind a network: the transfers through ser2net (RFC 2217 and
// raw TCP) in front of the simulated register's pseudo-terminal, against the
// same transfers on the pseudo-terminal itself; link failures; latency.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "cli/register_verify.h"
#include "link/block_protocol.h"
#include "endtoend_fixture.h"
#include "network_line.h"
#include "platform/network_serial_port.h"

namespace tramond::testing {
namespace {

// Loopback through ser2net answers within a few milliseconds; the margin is
// for a loaded machine.
constexpr int kNetTimeoutMs = 400;

SimOptions netPaced(SimOptions o = {}) {
    o.replyTimeoutMs = kNetTimeoutMs * 3 / 2;
    o.retryQuietMs = kNetTimeoutMs * 3 / 2;
    o.byteTimeoutMs = kNetTimeoutMs / 2;
    o.drainQuietMs = 60;
    return o;
}

class NetworkEndToEnd : public RegisterOpsEndToEnd {
protected:
    void SetUp() override {
        RegisterOpsEndToEnd::SetUp();
        timeoutMs = kNetTimeoutMs;
    }
    void TearDown() override {
        server.reset();
        RegisterOpsEndToEnd::TearDown();
    }

    // A fresh register with ser2net in front of it.
    ::testing::AssertionResult startBehindSer2net(SimOptions o = netPaced()) {
        server.reset();
        start(o);
        server = std::make_unique<Ser2net>(port());
        if (!server->started()) return ::testing::AssertionFailure() << "ser2net did not start: " << server->log();
        return ::testing::AssertionSuccess();
    }
    std::string url(NetworkScheme scheme) const {
        return scheme == NetworkScheme::Rfc2217 ? server->rfc2217Url() : server->rawUrl();
    }
    std::vector<std::vector<std::uint8_t>> payloads() const {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto& f : reg->tap.frames()) out.push_back(f.payload);
        return out;
    }
    VerifyOutcome verify(const fs::path& program, const std::string& portName, ScriptedHost& host) {
        auto serial = makeRegisterPort(portName);
        VerifyRequest request;
        request.port = serial.get();
        request.host = &host;
        request.config.link.port = portName;
        request.config.timeoutMs = timeoutMs;
        request.preset = TargetChoice{true, 0, 0};
        return verifyRegister(ProgramImage::read(program), request);
    }

    std::unique_ptr<Ser2net> server;
};

constexpr NetworkScheme kSchemes[] = {NetworkScheme::Rfc2217, NetworkScheme::RawTcp};

TEST_F(NetworkEndToEnd, EveryTransferGivesTheRegisterTheSameBytesAsTheDirectLine) {
    TRAMOND_REQUIRE_SER2NET();
    const auto source = makeProgram("src/source.app", 0x51);
    // The direct line first: what Load and Clear & Install put on it.
    start(netPaced());
    reg->sim.memory(1).seedFromProgram(source, 0);
    const auto direct = dir / "direct.app";
    ASSERT_EQ(run({direct.string(), "read", "0", port(), "38400"}), kExitSucceeded) << err.str();
    start(netPaced());
    ASSERT_EQ(run({"--yes", direct.string(), "clinst", "0", port(), "38400"}), kExitSucceeded) << err.str();
    const auto directInstall = payloads();
    ASSERT_GT(directInstall.size(), 50u);

    for (const auto scheme : kSchemes) {
        SCOPED_TRACE(scheme == NetworkScheme::Rfc2217 ? "rfc2217" : "socket");

        ASSERT_TRUE(startBehindSer2net());
        reg->sim.memory(1).seedFromProgram(source, 0);
        const auto loaded = dir / (scheme == NetworkScheme::Rfc2217 ? "rfc.app" : "raw.app");
        ASSERT_EQ(run({loaded.string(), "read", "0", url(scheme), "38400"}), kExitSucceeded) << err.str();
        expectSameProgram(direct, loaded);

        ASSERT_TRUE(startBehindSer2net());
        ASSERT_EQ(run({"--yes", direct.string(), "clinst", "0", url(scheme), "38400"}), kExitSucceeded) << err.str();
        const auto installed = payloads();
        ASSERT_EQ(installed.size(), directInstall.size());
        for (std::size_t i = 0; i < installed.size(); ++i)
            ASSERT_EQ(installed[i], directInstall[i]) << "block " << i << " of the same blocks in the same order";


        // Update sends the listed codes, and verify then finds the register
        // holding the program.
        auto dpt = fileBytes(fs::path(direct).replace_extension(".dpt"));
        dpt[9] ^= 0x20;
        writeBytes(fs::path(direct).replace_extension(".dpt"), dpt);
        const std::string list = "000005001\r\n";
        writeBytes(fs::path(direct).replace_extension(".upd"), {list.begin(), list.end()});
        reg->tap.reset();
        ASSERT_EQ(run({direct.string(), "update", "0", url(scheme), "38400"}), kExitSucceeded) << err.str();
        EXPECT_EQ(reg->tap.numbers('U'), std::vector<std::uint16_t>{5001});
        ScriptedHost host;
        const auto outcome = verify(direct, url(scheme), host);
        EXPECT_EQ(outcome.status, VerifyOutcome::Status::Same)
            << outcome.problem << (host.messages.empty() ? "" : host.messages[0].text);
        dpt[9] ^= 0x20;
        writeBytes(fs::path(direct).replace_extension(".dpt"), dpt);
    }
}

TEST_F(NetworkEndToEnd, Rfc2217SetsTheRegisterLineToTheAskedRateARawPortLeavesIt) {
    TRAMOND_REQUIRE_SER2NET();
    struct Case {
        NetworkScheme scheme;
        int asked;
        int seen;  // ser2net's own setting is 38400
    };
    // In this order: the raw connection finds the line as ser2net set it.
    const Case cases[] = {{NetworkScheme::RawTcp, 9600, 38400},
                          {NetworkScheme::Rfc2217, 9600, 9600},
                          {NetworkScheme::Rfc2217, 19200, 19200}};
    ASSERT_TRUE(startBehindSer2net());
    for (const auto& c : cases) {
        platform::NetworkSerialPort serial;
        ASSERT_TRUE(serial.open({url(c.scheme), c.asked, false, kNetTimeoutMs})) << serial.problem();
        EXPECT_EQ(reg->tty->lineBaud(), c.seen) << url(c.scheme) << " at " << c.asked;
        serial.close();
    }
    // And a whole transfer at that rate.
    const auto program = makeProgram("shop.app", 0x52);
    reg->sim.memory(1).seedFromProgram(program, 0);
    const std::string list = "000005002\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), {list.begin(), list.end()});
    // The rate is watched while the transfer runs: once the connection is
    // gone (and the program's history recorded) ser2net may put its own back.
    std::atomic<bool> done{false};
    std::atomic<bool> seen4800{false};
    std::thread watcher([&] {
        while (!done.load()) {
            if (reg->tty->lineBaud() == 4800) seen4800.store(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const int status = run({program.string(), "update", "0", server->rfc2217Url(), "4800"});
    done.store(true);
    watcher.join();
    ASSERT_EQ(status, kExitSucceeded) << err.str();
    EXPECT_EQ(reg->tap.numbers('U'), std::vector<std::uint16_t>{5002});
    EXPECT_TRUE(seen4800.load()) << "the rate the register was answered at";
}

TEST_F(NetworkEndToEnd, Ser2netKilledMidTransferIsALinkFailureThatKeepsWhatWasThere) {
    TRAMOND_REQUIRE_SER2NET();
    const auto program = makeProgram("shop.app", 0x53);
    const auto other = makeProgram("other/other.app", 0x54);
    // Every department and PLU record: far more blocks than the kill waits for.
    ProgramSession session;
    ASSERT_TRUE(loadProgram(session, program).ok());
    std::string updates;
    for (const auto& [extension, base] : {std::pair{".dpt", 5000}, std::pair{".plu", 10000}}) {
        const auto count = kindCount(session.app, *findKindByExtension(extension));
        for (std::uint32_t r = 1; r <= count && r <= 40; ++r) {
            char code[16];
            std::snprintf(code, sizeof code, "%09u\r\n", base + r);
            updates += code;
        }
    }
    ASSERT_GE(updates.size(), 30u * 11);
    for (const std::string mode : {"read", "update"}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(startBehindSer2net());
        // Load finds another program there; Update finds its own.
        reg->sim.memory(1).seedFromProgram(mode == "read" ? other : program, 0);
        writeBytes(fs::path(program).replace_extension(".upd"), {updates.begin(), updates.end()});
        // The program's files; the history beside them records the failed transfer.
        const auto programPicture = [&] {
            auto picture = folderPicture(dir);
            std::erase_if(picture, [](const auto& e) { return e.first.starts_with(".tramond-history"); });
            return picture;
        };
        const auto before = programPicture();
        std::atomic<bool> done{false};
        std::thread killer([&] {
            while (!done.load() && reg->sim.blocksReceived() < 8) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            server->stop(SIGKILL);
        });
        const int status = run({"--yes", "--json", program.string(), mode, "0", server->rfc2217Url(), "38400"});
        done.store(true);
        killer.join();
        EXPECT_EQ(status, kExitFailed) << err.str();
        EXPECT_NE(err.str().find("Check RS232 Connection !!"), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("rfc2217://127.0.0.1:" + std::to_string(server->rfc2217Port())), std::string::npos)
            << "the message names the host: " << err.str();
        EXPECT_EQ(programPicture(), before) << "the program and its update list are as they were";
    }
}

TEST_F(NetworkEndToEnd, ConnectionsThatCannotBeMadeNameTheHost) {
    const int closedPort = freeLoopbackPort();
    struct Case {
        std::string port;
        std::string says;
    };
    const Case cases[] = {
        {"rfc2217://127.0.0.1:" + std::to_string(closedPort), "connection refused"},
        {"socket://127.0.0.1:" + std::to_string(closedPort), "connection refused"},
        {"rfc2217://no-such-register.invalid:4001", "host not found"},
        {"socket://shop-pc", "the TCP port is missing"},
    };
    const auto program = makeProgram("shop.app", 0x55);
    const auto before = folderPicture(dir);
    for (const auto& c : cases) {
        EXPECT_EQ(run({"--yes", program.string(), "read", "0", c.port, "38400"}), kExitFailed) << c.port;
        EXPECT_NE(err.str().find("Check COMM Port!!"), std::string::npos) << err.str();
        EXPECT_NE(err.str().find(c.port), std::string::npos) << "names the port: " << err.str();
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    }
    EXPECT_EQ(folderPicture(dir), before);
}

// A far side that takes no connection: a loopback listener whose queue is
// full drops every further SYN, as a converter that is switched off or
// behind a dead router does.
class SilentListener {
public:
    SilentListener() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port_ = ntohs(a.sin_port);
        for (int i = 0; i < 3; ++i) fillers_.push_back(startConnect());
    }
    ~SilentListener() {
        for (int fd : fillers_) ::close(fd);
        ::close(listener_);
    }
    int port() const { return port_; }
    // Whether a connection now waits: one more attempt is still unanswered
    // after the time given.
    bool swallows(int ms) const {
        const int fd = startConnect();
        pollfd p{fd, POLLOUT, 0};
        const bool waiting = ::poll(&p, 1, ms) == 0;
        ::close(fd);
        return waiting;
    }

private:
    int startConnect() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port_));
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return fd;
    }
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

// Cancel while the port waits for a far side that does not answer: the
// opening gives up at once (it waited the whole connect time-out before),
// the operation ends as cancelled, not as a port to check, for both kinds
// of network port.
TEST(NetworkPortOpening, CancelStopsTheWaitForAFarSideThatDoesNotAnswer) {
    SilentListener silent;
    ASSERT_NE(silent.port(), 0);
    ASSERT_TRUE(silent.swallows(300)) << "the listener must leave connections waiting";
    for (const std::string scheme : {"socket://", "rfc2217://"}) {
        SCOPED_TRACE(scheme);
        platform::NetworkSerialPort port;
        RegisterLink link(port);
        std::vector<std::string> messages;
        link.onMessage = [&](const std::string& m) { messages.push_back(m); };
        PortConfig config;
        config.name = scheme + "127.0.0.1:" + std::to_string(silent.port());
        using Clock = std::chrono::steady_clock;
        auto opening = std::async(std::launch::async, [&] {
            const bool opened = link.open(config);
            return std::make_pair(opened, Clock::now());
        });
        ASSERT_EQ(opening.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout)
            << "the opening must still be waiting";
        const auto cancelled = Clock::now();
        link.cancel();
        ASSERT_EQ(opening.wait_for(std::chrono::seconds(3)), std::future_status::ready) << "Cancel was not heard";
        const auto [opened, returned] = opening.get();
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(returned - cancelled).count();
        EXPECT_FALSE(opened);
        EXPECT_EQ(link.linkError(), kUserBreak);
        EXPECT_TRUE(messages.empty()) << messages.front();
        EXPECT_LT(took, platform::NetworkSerialPort::kConnectTimeoutMs / 5) << "ms from Cancel to the end of the wait";
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(NetworkEndToEnd, FiftyMillisecondsEachWayStillTransfers) {
    TRAMOND_REQUIRE_SER2NET();
    // The time-outs a dealer's run has: 1000 ms, the register's as they go.
    timeoutMs = kAttendedTimeoutMs;
    ASSERT_TRUE(startBehindSer2net(SimOptions{}));
    LatencyProxy far(server->rfc2217Port(), std::chrono::milliseconds(50));
    const std::string farPort = "rfc2217://127.0.0.1:" + std::to_string(far.port());
    const auto program = makeProgram("shop.app", 0x56);
    reg->sim.memory(1).seedFromProgram(program, 0);
    auto dpt = fileBytes(fs::path(program).replace_extension(".dpt"));
    dpt[9 + 39] ^= 0x01;
    writeBytes(fs::path(program).replace_extension(".dpt"), dpt);
    const std::string list = "000005002\r\n000005003\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), {list.begin(), list.end()});
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(run({program.string(), "update", "0", farPort, "38400"}), kExitSucceeded) << err.str();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(reg->tap.numbers('U'), (std::vector<std::uint16_t>{5002, 5003}));
    // Identification, memory map, two records: each block is two round trips.
    EXPECT_GE(took, std::chrono::milliseconds(800)) << "the proxy delayed every exchange";
}

}  // namespace
}  // namespace tramond::testing
