#pragma once
// Real network parts for the link tests, on 127.0.0.1 only: ser2net in front
// of a pseudo-terminal (started and stopped by the test), and a latency
// proxy that delays every byte by a fixed time in each direction.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tramond::testing {

// ser2net as the Debian package installs it, or "" when it is missing.
inline std::string ser2netPath() {
    for (const char* p : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"})
        if (::access(p, X_OK) == 0) return p;
    return {};
}

// A test that needs ser2net fails under CI when it is missing (the set-up
// installs it) and is skipped, saying why, elsewhere.
#define TRAMOND_REQUIRE_SER2NET()                                                           \
    do {                                                                                    \
        if (::tramond::testing::ser2netPath().empty()) {                                    \
            const char* ci = std::getenv("CI");                                             \
            if (ci && std::string(ci) == "true") FAIL() << "ser2net is not installed";      \
            GTEST_SKIP() << "ser2net is not installed (scripts/setup.sh installs it)";      \
        }                                                                                   \
    } while (0)

// A TCP port on 127.0.0.1 that nothing listens on now.
inline int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

// True once something listens on 127.0.0.1:port (read from the kernel's
// table, so the check itself opens no connection).
inline bool listening(int port) {
    std::ifstream tcp("/proc/net/tcp");
    std::string line;
    char want[32];
    std::snprintf(want, sizeof want, "0100007F:%04X", port);
    while (std::getline(tcp, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local == want && state == "0A") return true;
    }
    return false;
}

// How ser2net passes bytes on; the README recommends both off. The tests
// keep Nagle's delay on, as many converters have it and the client must cope
// (the README's bench_link_network also runs ser2net's defaults, both on).
struct Ser2netTiming {
    bool charDelay = false;  // waits about two characters' time before passing on what the device sent
    bool nagle = true;       // the accepted connection keeps Nagle's delay (no tcp(nodelay))
};

// ser2net serving one device on two loopback ports: RFC 2217 and raw TCP.
class Ser2net {
public:
    explicit Ser2net(const std::string& device, Ser2netTiming timing = {}) {
        dir_ = std::filesystem::temp_directory_path() / ("tramond_ser2net_" + std::to_string(::getpid()) + "_" +
                                                         std::to_string(counter()++));
        std::filesystem::create_directories(dir_);
        rfc2217Port_ = freeLoopbackPort();
        rawPort_ = freeLoopbackPort();
        while (rawPort_ == rfc2217Port_) rawPort_ = freeLoopbackPort();
        const auto config = dir_ / "ser2net.yaml";
        std::ofstream(config) << "%YAML 1.1\n---\n"
                              << section("rfc2217", "telnet(rfc2217)," + tcp(timing) + std::to_string(rfc2217Port_),
                                         device, timing)
                              << section("raw", tcp(timing) + std::to_string(rawPort_), device, timing);
        const std::string exe = ser2netPath();
        const std::string log = (dir_ / "ser2net.log").string();
        // posix_spawn, not fork: the test process has threads (and runs
        // under the sanitizers), and the child only has to exec.
        posix_spawn_file_actions_t io;
        posix_spawn_file_actions_init(&io);
        posix_spawn_file_actions_addopen(&io, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&io, STDOUT_FILENO, STDERR_FILENO);
        const std::string configPath = config.string();
        char* const argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("-n"), const_cast<char*>("-u"),
                              const_cast<char*>("-c"), const_cast<char*>(configPath.c_str()), nullptr};
        if (::posix_spawn(&pid_, exe.c_str(), &io, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&io);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!(listening(rfc2217Port_) && listening(rawPort_)) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        started_ = listening(rfc2217Port_) && listening(rawPort_);
    }
    ~Ser2net() {
        stop(SIGTERM);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    bool started() const { return started_; }
    std::string rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(rfc2217Port_); }
    std::string rawUrl() const { return "socket://127.0.0.1:" + std::to_string(rawPort_); }
    int rfc2217Port() const { return rfc2217Port_; }
    int rawPort() const { return rawPort_; }
    std::string log() const {
        std::ifstream in(dir_ / "ser2net.log");
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // SIGKILL: the connection drops without a word, as when the shop PC
    // loses power.
    void stop(int signal = SIGTERM) {
        if (pid_ <= 0) return;
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    static std::string tcp(const Ser2netTiming& timing) {
        return timing.nagle ? "tcp,127.0.0.1," : "tcp(nodelay),127.0.0.1,";
    }
    static std::string section(const std::string& name, const std::string& accepter, const std::string& device,
                               const Ser2netTiming& timing) {
        return "connection: &" + name + "\n    accepter: " + accepter + "\n    connector: serialdev," + device +
               ",38400n81,local\n    options:\n      kickolduser: true\n      chardelay: " +
               (timing.charDelay ? "true" : "false") + "\n";
    }

    std::filesystem::path dir_;
    int rfc2217Port_ = 0;
    int rawPort_ = 0;
    pid_t pid_ = -1;
    bool started_ = false;
};

// Forwards one connection at a time from a loopback port to a loopback
// target, holding every chunk for `delay` in each direction. What is held is
// bounded: past kMaxHeld bytes it stops reading until the far side catches up.
class LatencyProxy {
public:
    static constexpr std::size_t kMaxHeld = 1 << 20;

    LatencyProxy(int targetPort, std::chrono::milliseconds delay) : target_(targetPort), delay_(delay) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = loopback(0);
        socklen_t len = sizeof a;
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listen_, 4);
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LatencyProxy() {
        stop_.store(true);
        ::shutdown(listen_, SHUT_RDWR);
        thread_.join();
        ::close(listen_);
    }
    int port() const { return port_; }

private:
    using Clock = std::chrono::steady_clock;
    struct Chunk {
        Clock::time_point due;
        std::vector<char> bytes;
    };

    static sockaddr_in loopback(int port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        return a;
    }

    void serve() {
        while (!stop_.load()) {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in a = loopback(target_);
            if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
                ::close(server);
                ::close(client);
                continue;
            }
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            std::thread up([&] { pump(client, server); });
            pump(server, client);
            up.join();
            ::close(server);
            ::close(client);
        }
    }

    // from -> to, each chunk delivered delay_ after it arrived.
    void pump(int from, int to) {
        std::deque<Chunk> held;
        std::size_t heldBytes = 0;
        bool open = true;
        while (!stop_.load() && (open || !held.empty())) {
            int wait = 20;
            if (!held.empty()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(held.front().due - Clock::now());
                wait = static_cast<int>(std::clamp<long long>(left.count(), 0, 20));
            }
            pollfd p{from, static_cast<short>(open && heldBytes < kMaxHeld ? POLLIN : 0), 0};
            if (::poll(&p, 1, wait) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR))) {
                char buf[4096];
                const ssize_t n = ::recv(from, buf, sizeof buf, 0);
                if (n <= 0) {
                    open = false;
                } else {
                    held.push_back({Clock::now() + delay_, std::vector<char>(buf, buf + n)});
                    heldBytes += static_cast<std::size_t>(n);
                }
            }
            while (!held.empty() && held.front().due <= Clock::now()) {
                const auto& bytes = held.front().bytes;
                if (::send(to, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) {
                    open = false;
                    held.clear();
                    break;
                }
                heldBytes -= bytes.size();
                held.pop_front();
            }
        }
        ::shutdown(to, SHUT_WR);
    }

    int target_;
    std::chrono::milliseconds delay_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tramond::testing
