#pragma once
// Opening a TCP connection to a network port, as both network ports do it:
// every address the name resolves to in turn, each within the time-out, and
// given up at once when the wake-up descriptor becomes readable (a Cancel
// while a far side that does not answer is waited for).

#include <string>

#include "link/network_port.h"

namespace tramond::platform {

struct TcpConnection {
    int fd = -1;          // connected, non-blocking, close-on-exec; -1 when not
    bool woken = false;   // given up because of the wake-up descriptor
    std::string problem;  // what went wrong (kHostNotFound, kConnectionRefused, ...)
};

TcpConnection connectTcp(const NetworkPortAddress& address, int wakeFd, int timeoutMs);

// A socket error as the network ports word it.
std::string errnoProblem(int error);

}  // namespace tramond::platform
