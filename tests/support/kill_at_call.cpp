// Preloaded into the real executable by the commit-kill tests: counts the
// renames and flushes (fsync, fdatasync) that touch a path containing
// TRAMOND_KILL_MATCH and kills the process with SIGKILL just before the
// call numbered TRAMOND_KILL_AT (from 1; 0 or unset: never), as a power cut
// or "kill -9" would. TRAMOND_KILL_LOG, when set, gets one line per counted
// call, so a test can learn how many there are. Relative paths count by
// where they lead.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> g_calls{0};

const char* env(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

bool matches(const char* path) {
    const char* want = env("TRAMOND_KILL_MATCH");
    return want && path && std::strstr(path, want) != nullptr;
}

// A path as the call names it, made absolute against the working folder or
// the folder descriptor (a program opened as "shop.app" renames
// ".shop.plu.tmp-..." in the working folder).
const char* absolute(int dirFd, const char* path, char* buf, std::size_t size) {
    if (!path || path[0] == '/') return path;
    char dir[4096];
    if (dirFd == AT_FDCWD) {
        if (!::getcwd(dir, sizeof dir)) return path;
    } else {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirFd);
        const ssize_t n = ::readlink(link, dir, sizeof dir - 1);
        if (n < 0) return path;
        dir[n] = '\0';
    }
    std::snprintf(buf, size, "%s/%s", dir, path);
    return buf;
}

void counted(const char* call, const char* a, const char* b) {
    const long n = ++g_calls;
    if (const char* log = env("TRAMOND_KILL_LOG")) {
        const int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char line[8192];
            const int len = std::snprintf(line, sizeof line, "%ld %s %s %s\n", n, call, a, b ? b : "");
            if (len > 0) (void)!::write(fd, line, static_cast<std::size_t>(len) < sizeof line ? len : sizeof line - 1);
            ::close(fd);
        }
    }
    const char* at = env("TRAMOND_KILL_AT");
    if (at && std::atol(at) == n) ::kill(::getpid(), SIGKILL);
}

const char* pathOf(int fd, char* buf, std::size_t size) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, buf, size - 1);
    if (n < 0) return nullptr;
    buf[n] = '\0';
    return buf;
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int rename(const char* from, const char* to) {
    static const auto next = real<int (*)(const char*, const char*)>("rename");
    char a[8192], b[8192];
    const char* absFrom = absolute(AT_FDCWD, from, a, sizeof a);
    const char* absTo = absolute(AT_FDCWD, to, b, sizeof b);
    if (matches(absFrom) || matches(absTo)) counted("rename", absFrom, absTo);
    return next(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static const auto next = real<int (*)(int, const char*, int, const char*)>("renameat");
    char a[8192], b[8192];
    const char* absFrom = absolute(fromDir, from, a, sizeof a);
    const char* absTo = absolute(toDir, to, b, sizeof b);
    if (matches(absFrom) || matches(absTo)) counted("renameat", absFrom, absTo);
    return next(fromDir, from, toDir, to);
}

int fsync(int fd) {
    static const auto next = real<int (*)(int)>("fsync");
    char buf[4096];
    const char* p = pathOf(fd, buf, sizeof buf);
    if (matches(p)) counted("fsync", p, nullptr);
    return next(fd);
}

int fdatasync(int fd) {
    static const auto next = real<int (*)(int)>("fdatasync");
    char buf[4096];
    const char* p = pathOf(fd, buf, sizeof buf);
    if (matches(p)) counted("fdatasync", p, nullptr);
    return next(fd);
}

}  // extern "C"
