#include "program/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "program/process_stamp.h"

namespace tramond {
namespace {

std::atomic<WriteFaultHook> g_faultHook{nullptr};

bool injected(WriteStage stage, std::size_t written) {
    auto hook = g_faultHook.load();
    return hook != nullptr && hook(stage, written);
}

[[noreturn]] void fail(const std::filesystem::path& target, const std::string& what, int err) {
    throw FileError("Cannot write \"" + target.string() + "\": " + what + ": " +
                    std::strerror(err));
}

// Closes and removes the temporary unless the rename has taken it over.
class TempFile {
public:
    TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }
    void commit() { committed_ = true; }

private:
    int fd_;
    std::string path_;
    bool committed_ = false;
};

void syncDirectory(const std::filesystem::path& dir) {
    // Best effort: the rename is already done; a directory that cannot be
    // synced (some network file systems) does not undo it.
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

}  // namespace

void setWriteFaultHookForTesting(WriteFaultHook hook) {
    g_faultHook.store(hook);
}

bool writeFaultInjected(WriteStage stage, std::size_t bytesWritten) { return injected(stage, bytesWritten); }

void writeFileAtomic(const std::filesystem::path& requested, std::span<const std::uint8_t> data) {
    if (requested.empty()) throw FileError("Cannot write a file without a name");
    std::error_code ec;
    // Replace the file a link points to, not the link itself.
    auto target = requested;
    if (std::filesystem::is_symlink(requested, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(requested, ec);
        if (!ec) target = resolved;
    }
    if (std::filesystem::is_directory(target, ec))
        throw FileError("Cannot write \"" + target.string() + "\": it is a directory");

    const auto dir = target.parent_path();
    // The owner's stamp in the name tells a later load which leftovers are
    // abandoned (removeAbandonedTemporaries).
    std::string pattern = (dir.empty() ? std::filesystem::path(".") : dir) /
                          ("." + target.filename().string() + kTemporaryMark + currentProcess().text() + "-XXXXXX");
    if (injected(WriteStage::Create, 0)) fail(target, "creating a temporary file", ENOSPC);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) fail(target, "creating a temporary file in \"" + dir.string() + "\"", errno);
    TempFile tmp(fd, pattern);

    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones rather than mkstemp's owner-only mode.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    std::size_t written = 0;
    while (written < data.size()) {
        if (injected(WriteStage::Write, written)) fail(target, "writing", ENOSPC);
        const std::size_t chunk = std::min<std::size_t>(data.size() - written, 1 << 20);
        const ssize_t n = ::write(fd, data.data() + written, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(target, "writing", errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (injected(WriteStage::Sync, written)) fail(target, "flushing to disk", EIO);
    if (::fsync(fd) != 0) fail(target, "flushing to disk", errno);
    if (tmp.close() != 0) fail(target, "closing", errno);
    if (injected(WriteStage::Rename, written)) fail(target, "replacing the file", EIO);
    if (::rename(tmp.path().c_str(), target.c_str()) != 0)
        fail(target, "replacing the file", errno);
    tmp.commit();
    syncDirectory(dir);
}

void removeAbandonedTemporaries(const std::filesystem::path& dirIn, std::string_view stem) {
    namespace fs = std::filesystem;
    const auto dir = dirIn.empty() ? fs::path(".") : dirIn;
    const std::string prefix = "." + std::string(stem) + ".";
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const auto name = e.path().filename().string();
        const auto mark = name.rfind(kTemporaryMark);
        if (!name.starts_with(prefix) || mark == std::string::npos || mark < prefix.size()) continue;
        std::error_code fc;
        if (!e.is_regular_file(fc) || e.is_symlink(fc)) continue;
        const auto owner = std::string_view(name).substr(mark + std::strlen(kTemporaryMark));
        bool abandoned;
        if (const auto stamp = ProcessStamp::parse(owner)) {
            abandoned = !processAlive(*stamp);
        } else {
            // Named without an owner (an older version): no write of a
            // program's file takes a minute.
            const auto age = fs::file_time_type::clock::now() - fs::last_write_time(e.path(), fc);
            abandoned = !fc && age > std::chrono::minutes(1);
        }
        if (abandoned) fs::remove(e.path(), fc);
    }
}

void writeTextFileAtomic(const std::filesystem::path& target, const std::string& text) {
    writeFileAtomic(target,
                    std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw FileError("Cannot read \"" + path.string() + "\": it is a directory");
    // Opening a FIFO or a device would wait for a writer or read forever.
    const auto st = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(st) && !std::filesystem::is_regular_file(st))
        throw FileError("Cannot read \"" + path.string() + "\": it is not a regular file");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int err = errno;
        throw FileError("Cannot read \"" + path.string() +
                        "\": " + std::strerror(err ? err : ENOENT));
    }
    std::vector<std::uint8_t> bytes;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buf, buf + in.gcount());
        if (!in) break;
    }
    if (in.bad()) throw FileError("Cannot read \"" + path.string() + "\": read error");
    return bytes;
}

}  // namespace tramond
