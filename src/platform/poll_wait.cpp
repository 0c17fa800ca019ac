#include "platform/poll_wait.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace tramond::platform {

Ready waitFor(int fd, short events, int wakeFd, int timeoutMs) {
    pollfd p[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            wait = static_cast<int>(std::max<long long>(left.count(), 0));
        }
        const int r = ::poll(p, 2, wait);
        if (r < 0) {
            if (errno == EINTR) continue;
            return Ready::Failed;
        }
        if (r == 0) return Ready::TimedOut;
        if (p[1].revents) return Ready::Woken;
        if (p[0].revents & events) return Ready::Yes;
        if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return Ready::Failed;
    }
}

bool WakePipe::open() {
    close();
    return ::pipe2(fds_, O_NONBLOCK | O_CLOEXEC) == 0;
}

void WakePipe::close() {
    for (int& fd : fds_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void WakePipe::wake() {
    if (fds_[1] < 0) return;
    const std::uint8_t b = 1;
    [[maybe_unused]] const ssize_t n = ::write(fds_[1], &b, 1);
}

void WakePipe::drain() {
    std::uint8_t b[64];
    while (fds_[0] >= 0 && ::read(fds_[0], b, sizeof b) > 0) {
    }
}

namespace {
std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void LineClock::carried(long n, int baud) {
    const std::int64_t byteNs = 10'000'000'000LL / baud;
    const std::int64_t start = std::max(nowNs(), lineFreeNs_.load());
    lineFreeNs_.store(start + byteNs * n);
}

bool LineClock::drain(int fd, int timeoutMs, int quietMs) const {
    const std::int64_t deadline = nowNs() + std::int64_t{timeoutMs} * 1'000'000;
    // tcdrain could wait for ever on a held-back line; ask the driver instead.
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
        if (nowNs() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // One sleep to the end of the quiet time: each sleep overshoots a little,
    // and the upload pauses once per row.
    const std::int64_t quietEnd = std::max(nowNs(), lineFreeNs_.load()) + std::int64_t{quietMs} * 1'000'000;
    if (quietEnd > deadline) return false;
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(std::chrono::nanoseconds(quietEnd)));
    return true;
}

}  // namespace tramond::platform
