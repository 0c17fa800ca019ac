#pragma once
// What the two upload ports (terminal device and network) share: waiting on
// a descriptor together with a wake-up pipe, and the clock of the serial line
// behind them (a pseudo-terminal or a TCP connection takes bytes at once; the
// line still carries them at its baud rate).

#include <atomic>
#include <cstdint>

namespace tramond::platform {

// Ready for `events` on fd, woken through wakeFd, timed out or failed;
// timeoutMs -1 waits without limit.
enum class Ready { Yes, Woken, TimedOut, Failed };
Ready waitFor(int fd, short events, int wakeFd, int timeoutMs);

// A wake-up pipe: wake() makes waitFor on readEnd() return Woken until the
// pipe is opened again.
class WakePipe {
public:
    ~WakePipe() { close(); }
    bool open();
    void close();
    void wake();
    // Takes back the wake-ups given so far, keeping the pipe: another
    // thread may be about to wake it.
    void drain();
    int readEnd() const { return fds_[0]; }

private:
    int fds_[2] = {-1, -1};
};

class LineClock {
public:
    void reset() { lineFreeNs_.store(0); }
    // n bytes were handed on at the given baud rate.
    void carried(long n, int baud);
    // Waits until the driver (terminal or socket) has passed on everything
    // written to fd, the line has carried it and then stayed quiet for
    // quietMs, as one wait; false when that does not fit in timeoutMs.
    bool drain(int fd, int timeoutMs, int quietMs) const;

private:
    // When the last byte handed on will have left the line, in steady-clock
    // nanoseconds.
    std::atomic<std::int64_t> lineFreeNs_{0};
};

}  // namespace tramond::platform
