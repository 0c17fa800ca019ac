#include "program/staged_commit.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <system_error>

#include "program/file_io.h"

namespace tramond {
namespace fs = std::filesystem;

namespace {

constexpr const char* kRecordName = ".commit";
constexpr const char* kRecordHeader = "tramond-commit 1";
constexpr const char* kPreviousName = "previous";

std::atomic<CommitStepHook> g_stepHook{nullptr};

std::mutex g_liveMutex;
std::set<std::string>& liveFolders() {
    static std::set<std::string> folders;
    return folders;
}

void step(int& n) {
    auto hook = g_stepHook.load();
    if (hook != nullptr && hook(n)) throw CommitKilled{};
    ++n;
}

bool syncPath(const fs::path& p, bool directory) {
    const int fd = ::open(p.c_str(), directory ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool present(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

// Writes go to what a link points to, as every other whole-file write does.
fs::path throughLink(const fs::path& dest) {
    std::error_code ec;
    if (!fs::is_symlink(dest, ec)) return dest;
    auto resolved = fs::weakly_canonical(dest, ec);
    return ec ? dest : resolved;
}

struct Entry {
    std::string name;  // in the staging folder (and in "previous")
    fs::path dest;
};

std::string recordText(const std::vector<Entry>& entries) {
    std::string text = std::string(kRecordHeader) + "\n";
    for (const auto& e : entries) text += e.name + "\t" + e.dest.string() + "\n";
    return text;
}

// Nothing from a damaged record is acted upon.
bool parseRecord(const fs::path& record, std::vector<Entry>& entries) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readFile(record);
    } catch (const FileError&) {
        return false;
    }
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    if (!std::getline(in, line) || line != kRecordHeader) return false;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) return false;
        Entry e{line.substr(0, tab), fs::path(line.substr(tab + 1))};
        if (e.name.find('/') != std::string::npos || e.name == "." || e.name == "..") return false;
        entries.push_back(std::move(e));
    }
    return true;
}

std::optional<long> ownerPid(const std::string& folderName) {
    if (!folderName.starts_with(kStagingFolderPrefix)) return std::nullopt;
    const auto rest = folderName.substr(kStagingFolderPrefix.size());
    const auto dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos) return std::nullopt;
    long pid = 0;
    for (std::size_t i = 0; i < dash; ++i) {
        if (rest[i] < '0' || rest[i] > '9' || pid > 100000000) return std::nullopt;
        pid = pid * 10 + (rest[i] - '0');
    }
    return pid;
}

bool ownedByLiveProcess(const fs::path& folder) {
    const auto pid = ownerPid(folder.filename().string());
    if (!pid || *pid <= 0) return false;  // an older layout or not ours to judge: stale
    if (*pid == static_cast<long>(::getpid())) {
        std::lock_guard lock(g_liveMutex);
        return liveFolders().count(folder.lexically_normal().string()) != 0;
    }
    return ::kill(static_cast<pid_t>(*pid), 0) == 0 || errno == EPERM;
}

// Puts every staged file that has not moved yet in place, parking the old
// file first. Safe to repeat after any interruption.
void rollForward(const fs::path& folder, const std::vector<Entry>& entries) {
    const auto previous = folder / kPreviousName;
    for (const auto& e : entries) {
        const auto staged = folder / e.name;
        if (!present(staged)) continue;  // already in place
        const auto saved = previous / e.name;
        std::error_code ec;
        if (present(e.dest) && !present(saved)) {
            fs::create_directory(previous, ec);
            fs::rename(e.dest, saved, ec);
            if (ec) throw FileError("Cannot replace \"" + e.dest.string() + "\": " + ec.message());
        }
        fs::rename(staged, e.dest, ec);
        if (ec) throw FileError("Cannot write \"" + e.dest.string() + "\": " + ec.message());
    }
    syncPath(entries.empty() ? folder : entries.back().dest.parent_path(), true);
}

}  // namespace

void setCommitStepHookForTesting(CommitStepHook hook) { g_stepHook.store(hook); }

fs::path createStagingFolder(const fs::path& dirIn, std::string_view stem) {
    const auto dir = dirIn.empty() ? fs::path(".") : dirIn;
    std::random_device rd;
    std::error_code ec;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        auto folder = dir / (std::string(kStagingFolderPrefix) + std::to_string(::getpid()) + "-" +
                             std::to_string(now) + "-" + std::to_string(rd()) + "-" + std::string(stem));
        if (fs::create_directory(folder, ec)) {
            std::lock_guard lock(g_liveMutex);
            liveFolders().insert(folder.lexically_normal().string());
            return folder;
        }
    }
    throw FileError("Cannot create a working folder in \"" + dir.string() + "\": " + ec.message());
}

void releaseStagingFolder(const fs::path& folder) {
    // A commit that could neither finish nor be undone keeps its record and
    // its files for the next recovery.
    std::error_code ec;
    if (!present(folder / kRecordName)) fs::remove_all(folder, ec);
    std::lock_guard lock(g_liveMutex);
    liveFolders().erase(folder.lexically_normal().string());
}

void commitStagingFolder(const fs::path& folder, const fs::path& dirIn, std::string_view lastName) {
    const auto dir = dirIn.empty() ? fs::path(".") : dirIn;
    std::vector<Entry> entries;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const auto name = e.path().filename().string();
        if (name == kRecordName || !e.is_regular_file()) continue;
        entries.push_back({name, throughLink(dir / name)});
    }
    if (ec) throw FileError("Cannot read \"" + folder.string() + "\": " + ec.message());
    // The ".app" goes last: until it has moved, the old program is still the
    // one the application file describes.
    std::stable_partition(entries.begin(), entries.end(), [&](const Entry& e) { return e.name != lastName; });

    for (const auto& e : entries) {
        if (present(e.dest) && !fs::is_regular_file(e.dest, ec))
            throw FileError("Cannot replace \"" + e.dest.string() + "\": it is not a regular file");
        if (!syncPath(folder / e.name, false))
            throw FileError("Cannot write \"" + (folder / e.name).string() + "\": " + std::strerror(errno));
    }
    syncPath(folder, true);
    writeTextFileAtomic(folder / kRecordName, recordText(entries));

    const auto previous = folder / kPreviousName;
    fs::create_directory(previous, ec);
    if (ec) throw FileError("Cannot create \"" + previous.string() + "\": " + ec.message());

    std::size_t placed = 0;
    auto rollBack = [&](std::string why) {
        // New files go back into the folder (not deleted): should this be
        // cut short too, the record can still finish the commit.
        bool clean = true;
        for (std::size_t i = placed; i-- > 0;) {
            const auto& e = entries[i];
            std::error_code rc;
            fs::rename(e.dest, folder / e.name, rc);
            if (rc) clean = false;
            if (present(previous / e.name)) {
                fs::rename(previous / e.name, e.dest, rc);
                if (rc) clean = false;
            }
        }
        std::error_code rc;
        if (clean) fs::remove(folder / kRecordName, rc);
        else why += " (the program will be completed at its next load)";
        throw FileError(why);
    };

    int n = 0;
    for (const auto& e : entries) {
        step(n);
        if (present(e.dest)) {
            fs::rename(e.dest, previous / e.name, ec);
            if (ec) rollBack("Cannot replace \"" + e.dest.string() + "\": " + ec.message());
        }
        step(n);
        fs::rename(folder / e.name, e.dest, ec);
        if (ec) {
            std::error_code rc;
            fs::rename(previous / e.name, e.dest, rc);
            rollBack("Cannot write \"" + e.dest.string() + "\": " + ec.message());
        }
        ++placed;
    }
    syncPath(dir, true);
    step(n);
    fs::remove(folder / kRecordName, ec);
    releaseStagingFolder(folder);
}

std::vector<std::string> recoverStagingFolders(const fs::path& dirIn) {
    const auto dir = dirIn.empty() ? fs::path(".") : dirIn;
    std::vector<std::string> problems;
    std::error_code ec;
    std::vector<fs::path> folders;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const auto name = e.path().filename().string();
        std::error_code dc;
        if (name.starts_with(kStagingFolderPrefix) && e.is_directory(dc) && !e.is_symlink(dc))
            folders.push_back(e.path());
    }
    for (const auto& folder : folders) {
        if (ownedByLiveProcess(folder)) continue;
        const auto record = folder / kRecordName;
        if (present(record)) {
            std::vector<Entry> entries;
            if (!parseRecord(record, entries)) {
                problems.push_back("An interrupted load left \"" + folder.string() +
                                   "\" with a damaged record; it was kept for inspection");
                continue;
            }
            try {
                rollForward(folder, entries);
            } catch (const FileError& e) {
                problems.push_back(std::string("Cannot complete an interrupted load: ") + e.what());
                continue;
            }
        }
        std::error_code rc;
        fs::remove_all(folder, rc);
        if (rc) problems.push_back("Cannot remove \"" + folder.string() + "\": " + rc.message());
    }
    return problems;
}

}  // namespace tramond
