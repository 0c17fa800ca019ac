#include "platform/upload_port_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "link/serial_port.h"

namespace tramond::platform {
namespace {

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool speedFor(int rate, speed_t& speed) {
    switch (rate) {
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    default: return false;
    }
}

// Ready for `events` on fd, woken, timed out or failed.
enum class Ready { Yes, Woken, TimedOut, Failed };

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

}  // namespace

bool PosixUploadPort::open(const std::string& name) {
    close();
    const std::string path = serialDevicePath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    termios t{};
    if (!::isatty(fd) || ::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return false;
    }
    // No other program may talk to the handheld meanwhile.
    ::ioctl(fd, TIOCEXCL);
    cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    int pipeFds[2];
    if (::tcsetattr(fd, TCSANOW, &t) != 0 || ::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        ::close(fd);
        return false;
    }
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    baud_.store(9600);
    lineFreeNs_.store(0);
    setDtr(true);
    return true;
}

void PosixUploadPort::close() {
    if (fd_ >= 0) {
        // Exclusive use ends with ours, even where another descriptor keeps
        // the device open (a pseudo-terminal's other side).
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        ::close(wakeRead_);
        ::close(wakeWrite_);
    }
    fd_ = wakeRead_ = wakeWrite_ = -1;
}

bool PosixUploadPort::setBaud(int rate) {
    speed_t speed;
    termios t{};
    if (fd_ < 0 || !speedFor(rate, speed) || ::tcgetattr(fd_, &t) != 0) return false;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (::tcsetattr(fd_, TCSADRAIN, &t) != 0) return false;
    baud_.store(rate);
    return true;
}

bool PosixUploadPort::setDtr(bool on) {
    if (fd_ < 0) return false;
    int bits = TIOCM_DTR | TIOCM_RTS;
    // A pseudo-terminal has no modem lines; that is no failure of the upload.
    const int r = ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);
    return r == 0 || errno == ENOTTY || errno == EINVAL;
}

int PosixUploadPort::read(std::span<std::uint8_t> into, int timeoutMs) {
    if (fd_ < 0) return -1;
    for (;;) {
        switch (waitFor(fd_, POLLIN, wakeRead_, timeoutMs)) {
        case Ready::Woken:
        case Ready::TimedOut: return 0;
        case Ready::Failed: return -1;
        case Ready::Yes: break;
        }
        const ssize_t n = ::read(fd_, into.data(), into.size());
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        return -1;
    }
}

int PosixUploadPort::write(std::span<const std::uint8_t> bytes, int timeoutMs) {
    if (fd_ < 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            const std::int64_t byteNs = 10'000'000'000LL / baud_.load();
            const std::int64_t start = std::max(nowNs(), lineFreeNs_.load());
            lineFreeNs_.store(start + byteNs * n);
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return done ? static_cast<int>(done) : -1;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        const Ready ready = waitFor(fd_, POLLOUT, wakeRead_, static_cast<int>(left.count()));
        if (ready == Ready::Failed) return done ? static_cast<int>(done) : -1;
        if (ready != Ready::Yes) break;
    }
    return static_cast<int>(done);
}

bool PosixUploadPort::drain(int timeoutMs, int quietMs) {
    if (fd_ < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // tcdrain could wait for ever on a held-back line; ask the driver instead.
    for (;;) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // One sleep to the end of the quiet time: each sleep overshoots a little,
    // and the upload pauses once per row.
    const auto lineFree = std::max(std::chrono::steady_clock::now(),
                                   std::chrono::steady_clock::time_point(std::chrono::nanoseconds(lineFreeNs_.load())));
    const auto quietEnd = lineFree + std::chrono::milliseconds(quietMs);
    if (quietEnd > deadline) return false;
    std::this_thread::sleep_until(quietEnd);
    return true;
}

void PosixUploadPort::wake() {
    if (wakeWrite_ < 0) return;
    const std::uint8_t b = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &b, 1);
}

}  // namespace tramond::platform
