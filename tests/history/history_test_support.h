#pragma once
// Shared by the history tests: a folder nobody may write to (root
// included), and running a piece of code in a child process whose files may
// not grow past a few bytes, as on a full disk.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace tramond::testing {

// chmod is enough for a user; root needs the immutable attribute.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path dir) : dir_(std::move(dir)) {
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        if (!writable()) return;
        immutable_ = std::system(("chattr +i '" + dir_.string() + "' 2>/dev/null").c_str()) == 0;
    }
    ~ReadOnlyFolder() {
        if (immutable_) (void)std::system(("chattr -i '" + dir_.string() + "'").c_str());
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
    }
    bool writable() const {
        const auto probe = dir_ / ".probe";
        const bool made = std::ofstream(probe).good();
        std::error_code ec;
        std::filesystem::remove(probe, ec);
        return made;
    }

private:
    std::filesystem::path dir_;
    bool immutable_ = false;
};

// A test that cannot make a folder read-only fails on CI, where it must run.
#define TRAMOND_REQUIRE_READ_ONLY(folder)                                                   \
    do {                                                                                     \
        if ((folder).writable()) {                                                           \
            const char* ci = std::getenv("CI");                                              \
            if (ci != nullptr && std::string(ci) == "true") FAIL() << "cannot make a read-only folder"; \
            GTEST_SKIP() << "cannot make a read-only folder here";                           \
        }                                                                                    \
    } while (0)

// Runs body in a child process whose files cannot grow past `bytes`; the
// child's exit status is body's result.
inline int withFullDisk(std::size_t bytes, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write that does not fit fails instead
        rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

}  // namespace tramond::testing
