#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "regsim/channel.h"

namespace tramond::regsim {
namespace {

speed_t speedFor(int baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B38400;
    }
}

int baudOf(speed_t speed) {
    for (const int baud : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        if (speedFor(baud) == speed) return baud;
    return 0;
}

void makeRaw(int fd, int baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speedFor(baud));
    cfsetospeed(&t, speedFor(baud));
    tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

std::unique_ptr<TtyChannel> TtyChannel::openPseudoTerminal() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        ::close(master);
        throw std::runtime_error("cannot unlock the pseudo-terminal");
    }
    const char* name = ptsname(master);
    if (!name) {
        ::close(master);
        throw std::runtime_error("no pseudo-terminal name");
    }
    std::string path = name;
    // Both ends raw: no echo, no line discipline, no CR/LF translation.
    makeRaw(master, 38400);
    const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (slave >= 0) makeRaw(slave, 38400);
    return std::unique_ptr<TtyChannel>(new TtyChannel(master, path, slave));
}

std::unique_ptr<TtyChannel> TtyChannel::openDevice(const std::string& path, int baudRate) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    makeRaw(fd, baudRate);
    return std::unique_ptr<TtyChannel>(new TtyChannel(fd, path, -1));
}

TtyChannel::TtyChannel(int fd, std::string path, int keepSlaveFd)
    : fd_(fd), slaveFd_(keepSlaveFd), path_(std::move(path)) {}

TtyChannel::~TtyChannel() {
    if (slaveFd_ >= 0) ::close(slaveFd_);
    ::close(fd_);
}

int TtyChannel::readByte(int timeoutMs) {
    if (bufPos_ < bufLen_) return buf_[bufPos_++];
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return -1;
        const ssize_t n = ::read(fd_, buf_, sizeof buf_);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            // A pty master reports EIO while no one holds the slave open.
            ::usleep(static_cast<useconds_t>(std::min(timeoutMs, 10)) * 1000);
            return -1;
        }
        bufLen_ = static_cast<int>(n);
        bufPos_ = 1;
        return buf_[0];
    }
}

int TtyChannel::lineBaud() const {
    // A pseudo-terminal's settings are its slave's, whoever holds it open.
    termios t{};
    if (tcgetattr(slaveFd_ >= 0 ? slaveFd_ : fd_, &t) != 0) return 0;
    return baudOf(cfgetospeed(&t));
}

bool TtyChannel::available() {
    if (bufPos_ < bufLen_) return true;
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

void TtyChannel::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                ::poll(&p, 1, 100);
                continue;
            }
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace tramond::regsim
