#include "platform/upload_port_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "link/serial_port.h"
#include "platform/poll_wait.h"

namespace tramond::platform {
namespace {

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
    if (::tcsetattr(fd, TCSANOW, &t) != 0 || !wake_.open()) {
        ::close(fd);
        return false;
    }
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    baud_.store(9600);
    line_.reset();
    setDtr(true);
    return true;
}

void PosixUploadPort::close() {
    if (fd_ >= 0) {
        // Exclusive use ends with ours, even where another descriptor keeps
        // the device open (a pseudo-terminal's other side).
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        wake_.close();
    }
    fd_ = -1;
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
        switch (waitFor(fd_, POLLIN, wake_.readEnd(), timeoutMs)) {
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
            line_.carried(n, baud_.load());
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return done ? static_cast<int>(done) : -1;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        const Ready ready = waitFor(fd_, POLLOUT, wake_.readEnd(), static_cast<int>(left.count()));
        if (ready == Ready::Failed) return done ? static_cast<int>(done) : -1;
        if (ready != Ready::Yes) break;
    }
    return static_cast<int>(done);
}

bool PosixUploadPort::drain(int timeoutMs, int quietMs) {
    if (fd_ < 0) return false;
    return line_.drain(fd_, timeoutMs, quietMs);
}

void PosixUploadPort::wake() { wake_.wake(); }

}  // namespace tramond::platform
