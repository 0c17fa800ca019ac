#include "platform/tcp_connect.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/poll_wait.h"

namespace tramond::platform {

std::string errnoProblem(int error) {
    switch (error) {
    case ECONNREFUSED: return kConnectionRefused;
    case ETIMEDOUT: return kNoAnswer;
    case ECONNRESET:
    case EPIPE: return kConnectionClosed;
    case EAFNOSUPPORT:
    case EACCES:
    case EPERM: return kNetworkForbidden;
    default: return std::strerror(error);
    }
}

TcpConnection connectTcp(const NetworkPortAddress& address, int wakeFd, int timeoutMs) {
    TcpConnection out;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found);
    if (rc != 0) {
        out.problem = rc == EAI_NONAME || rc == EAI_AGAIN || rc == EAI_FAIL ? kHostNotFound : ::gai_strerror(rc);
        return out;
    }
    int lastError = ETIMEDOUT;
    for (addrinfo* a = found; a && out.fd < 0 && !out.woken; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int error = 0;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                const Ready r = waitFor(fd, POLLOUT, wakeFd, timeoutMs);
                socklen_t len = sizeof error;
                if (r == Ready::Woken) out.woken = true;
                if (r != Ready::Yes) error = ETIMEDOUT;
                else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
            }
        }
        if (error != 0) {
            lastError = error;
            ::close(fd);
            continue;
        }
        out.fd = fd;
    }
    ::freeaddrinfo(found);
    if (out.fd < 0) out.problem = out.woken ? "cancelled" : errnoProblem(lastError);
    return out;
}

}  // namespace tramond::platform
