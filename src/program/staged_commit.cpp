#include "program/staged_commit.h"

#include <fcntl.h>
#include <sys/stat.h>
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
#include "program/process_stamp.h"

namespace tramond {
namespace fs = std::filesystem;

namespace {

constexpr const char* kRecordName = ".commit";
constexpr const char* kRecordHeaderV1 = "tramond-commit 1";
constexpr const char* kRecordHeader = "tramond-commit 2";
constexpr const char* kPreviousName = "previous";
constexpr int kMaxLinkDepth = 40;

std::atomic<CommitStepHook> g_stepHook{nullptr};

std::mutex g_liveMutex;
// Names of this process's live staging folders.
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

fs::path absoluteFolder(const fs::path& dir) {
    std::error_code ec;
    auto abs = fs::absolute(dir.empty() ? fs::path(".") : dir, ec);
    if (ec) abs = dir;
    abs = abs.lexically_normal();
    // "SHOP/." normalises to "SHOP/": the same folder must read the same.
    if (!abs.has_filename() && abs.has_relative_path()) abs = abs.parent_path();
    return abs;
}

// Where writing p ends up: p itself, or what its chain of links names (a
// link that leads nowhere included, so that the name stays the same before
// and after its target was parked). nullopt for a loop.
std::optional<fs::path> followLinks(fs::path p) {
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) return p.lexically_normal();
        const auto target = fs::read_symlink(p, ec);
        if (ec) return std::nullopt;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return std::nullopt;
}

std::optional<dev_t> deviceOf(const fs::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return std::nullopt;
    return st.st_dev;
}

enum class Op { Move, Remove };

struct Entry {
    Op op = Op::Move;
    std::string name;  // in the program's folder, the staging folder and "previous"
    fs::path dest;     // absolute
};

// Where the entry's name in the program's folder leads now.
std::optional<fs::path> destinationOf(const fs::path& programFolder, const Entry& e) {
    const auto p = programFolder / e.name;
    return e.op == Op::Remove ? std::optional<fs::path>(p.lexically_normal()) : followLinks(p);
}

std::string recordText(const std::vector<Entry>& entries) {
    std::string text = std::string(kRecordHeader) + "\n";
    for (const auto& e : entries)
        text += std::string(e.op == Op::Move ? "move" : "remove") + "\t" + e.name + "\t" + e.dest.string() + "\n";
    return text;
}

bool plainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\t\n") == std::string::npos;
}

// Nothing from a damaged record is acted upon. An older record's places
// were written as given (perhaps relative to a working folder long gone):
// only its names are used.
bool parseRecord(const fs::path& record, std::vector<Entry>& entries) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readFile(record);
    } catch (const FileError&) {
        return false;
    }
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    if (!std::getline(in, line)) return false;
    const bool v1 = line == kRecordHeaderV1;
    if (!v1 && line != kRecordHeader) return false;
    while (std::getline(in, line)) {
        std::vector<std::string> parts;
        std::size_t from = 0;
        for (;;) {
            const auto tab = line.find('\t', from);
            parts.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        Entry e;
        if (v1) {
            if (parts.size() != 2 || parts[1].empty()) return false;
            e.name = parts[0];
        } else {
            if (parts.size() != 3 || (parts[0] != "move" && parts[0] != "remove")) return false;
            e.op = parts[0] == "move" ? Op::Move : Op::Remove;
            e.name = parts[1];
            e.dest = fs::path(parts[2]);
            if (!e.dest.is_absolute()) return false;
        }
        if (!plainName(e.name)) return false;
        entries.push_back(std::move(e));
    }
    return true;
}

std::string folderStamp(const std::string& folderName) {
    return folderName.substr(kStagingFolderPrefix.size());
}

bool ownedByLiveProcess(const fs::path& folder) {
    const auto name = folder.filename().string();
    if (!name.starts_with(kStagingFolderPrefix)) return false;
    const auto rest = folderStamp(name);
    if (const auto stamp = ProcessStamp::parse(rest)) {
        if (stamp->pid == currentProcess().pid && processAlive(*stamp)) {
            std::lock_guard lock(g_liveMutex);
            return liveFolders().count(name) != 0;
        }
        return processAlive(*stamp);
    }
    // An older layout: the id alone, judged with the folder's age.
    const auto dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 9) return false;
    if (!std::all_of(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(dash),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const long pid = std::stol(rest.substr(0, dash));
    if (pid == currentProcess().pid) {
        std::lock_guard lock(g_liveMutex);
        return liveFolders().count(name) != 0;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return false;
    return processIdAliveSince(pid, static_cast<long long>(st.st_mtime));
}

// Puts every staged file that has not moved yet in place, parking the old
// file first, and parks the files to be removed. Safe to repeat after any
// interruption. Every place was checked against the program's folder.
void rollForward(const fs::path& folder, const std::vector<Entry>& entries) {
    const auto previous = folder / kPreviousName;
    std::set<fs::path> touched{folder.parent_path()};
    for (const auto& e : entries) {
        const auto staged = folder / e.name;
        if (e.op == Op::Move && !present(staged)) continue;  // already in place
        const auto saved = previous / e.name;
        std::error_code ec;
        if (present(e.dest) && !present(saved)) {
            fs::create_directory(previous, ec);
            fs::rename(e.dest, saved, ec);
            if (ec) throw FileError("Cannot replace \"" + e.dest.string() + "\": " + ec.message());
        }
        if (e.op == Op::Remove) continue;
        fs::rename(staged, e.dest, ec);
        if (ec) throw FileError("Cannot write \"" + e.dest.string() + "\": " + ec.message());
        touched.insert(e.dest.parent_path());
    }
    for (const auto& d : touched) syncPath(d, true);
}

// The record's entries with the places the program folder's names lead to
// now; an entry whose recorded place differs is refused (the folder was
// moved, or a link changed): nothing outside is touched on a guess.
std::string checkedEntries(const fs::path& folder, std::vector<Entry>& entries) {
    const auto programFolder = folder.parent_path();
    for (auto& e : entries) {
        const auto now = destinationOf(programFolder, e);
        if (!now) return "\"" + (programFolder / e.name).string() + "\" is a loop of links";
        if (!e.dest.empty() && e.dest.lexically_normal() != *now)
            return "its record names \"" + e.dest.string() + "\", which is not where \"" +
                   (programFolder / e.name).string() + "\" leads";
        e.dest = *now;
    }
    return {};
}

std::string stemOf(const std::string& name) { return fs::path(name).stem().string(); }

// A staging folder belongs to the program called stem when its record names
// one of the program's files, or (without a readable record) by its name.
bool belongsTo(const fs::path& folder, const std::vector<Entry>& entries, bool recordRead, const std::string& stem) {
    if (recordRead) {
        return std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return stemOf(e.name) == stem; });
    }
    const auto name = folder.filename().string();
    return name.size() > stem.size() && name.ends_with(stem) && name[name.size() - stem.size() - 1] == '-';
}

struct Recovery {
    std::vector<std::string> problems;
    std::string refusal;  // for the program asked about
};

Recovery recoverIn(const fs::path& dirIn, const std::string* stem, const fs::path& appPath) {
    const auto dir = absoluteFolder(dirIn);
    Recovery out;
    std::error_code ec;
    std::vector<fs::path> folders;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const auto name = e.path().filename().string();
        std::error_code dc;
        if (name.starts_with(kStagingFolderPrefix) && e.is_directory(dc) && !e.is_symlink(dc))
            folders.push_back(e.path());
    }
    std::sort(folders.begin(), folders.end());
    for (const auto& folder : folders) {
        const auto record = folder / kRecordName;
        const bool hasRecord = present(record);
        std::vector<Entry> entries;
        const bool recordRead = hasRecord && parseRecord(record, entries);
        const bool mine = stem != nullptr && belongsTo(folder, entries, recordRead, *stem);
        auto problem = [&](const std::string& why) {
            if (mine && out.refusal.empty())
                out.refusal = "\"" + appPath.string() +
                              "\" cannot be read: its last load from the register is not finished. " + why;
            else
                out.problems.push_back(why);
        };
        if (ownedByLiveProcess(folder)) {
            // Still receiving is no concern of a reader; putting files in
            // place is, until it is done.
            if (hasRecord && mine)
                problem("Another Tramond is putting the register's files in place right now (\"" +
                        folder.string() + "\"); try again when it has finished");
            continue;
        }
        if (hasRecord) {
            if (!recordRead) {
                problem("An interrupted load left \"" + folder.string() +
                        "\" with a damaged record; it was kept for inspection");
                continue;
            }
            if (const auto why = checkedEntries(folder, entries); !why.empty()) {
                problem("An interrupted load left \"" + folder.string() + "\", kept for inspection: " + why);
                continue;
            }
            try {
                rollForward(folder, entries);
            } catch (const FileError& e) {
                problem(std::string("Cannot complete an interrupted load: ") + e.what());
                continue;
            }
        }
        std::error_code rc;
        fs::remove_all(folder, rc);
        if (rc) out.problems.push_back("Cannot remove \"" + folder.string() + "\": " + rc.message());
    }
    return out;
}

}  // namespace

void setCommitStepHookForTesting(CommitStepHook hook) { g_stepHook.store(hook); }

fs::path createStagingFolder(const fs::path& dirIn, std::string_view stem) {
    const auto dir = absoluteFolder(dirIn);
    std::random_device rd;
    std::error_code ec;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        const auto name = std::string(kStagingFolderPrefix) + currentProcess().text() + "-" + std::to_string(now) +
                          "-" + std::to_string(rd()) + "-" + std::string(stem);
        if (fs::create_directory(dir / name, ec)) {
            std::lock_guard lock(g_liveMutex);
            liveFolders().insert(name);
            return dir / name;
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
    liveFolders().erase(folder.filename().string());
}

std::string unusableCommitDestination(const fs::path& dirIn, const std::string& name) {
    const auto dir = absoluteFolder(dirIn);
    const auto p = dir / name;
    if (!present(p)) return {};
    const auto quoted = "\"" + p.string() + "\"";
    const auto target = followLinks(p);
    if (!target) return quoted + " is a loop of links";
    std::error_code ec;
    const auto st = fs::status(*target, ec);
    if (*target != p.lexically_normal()) {
        if (!fs::exists(st))
            return quoted + " is a link to \"" + target->string() + "\", which does not exist";
        const auto here = deviceOf(dir);
        const auto there = deviceOf(target->parent_path());
        if (here && there && *here != *there)
            return quoted + " is a link to \"" + target->string() +
                   "\" on another file system, where the new file cannot be moved in one step";
    }
    if (!fs::is_regular_file(st)) return quoted + " is not a regular file";
    return {};
}

void commitStagingFolder(const fs::path& folderIn, const fs::path& dirIn, std::string_view lastName,
                         const std::vector<std::string>& removeNames) {
    const auto dir = absoluteFolder(dirIn);
    const auto folder = absoluteFolder(folderIn);
    std::vector<Entry> entries;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const auto name = e.path().filename().string();
        if (name == kRecordName || !e.is_regular_file()) continue;
        entries.push_back({Op::Move, name, {}});
    }
    if (ec) throw FileError("Cannot read \"" + folder.string() + "\": " + ec.message());
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    for (const auto& name : removeNames) {
        const bool staged = std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.name == name; });
        // Files and links only: a folder under a program file's name is
        // somebody's, and goes nowhere near the staging folder's clean-up.
        const auto st = fs::symlink_status(dir / name, ec);
        if (!staged && (fs::is_regular_file(st) || fs::is_symlink(st))) entries.push_back({Op::Remove, name, {}});
    }
    // The ".app" goes last: until it has moved, the old program is still the
    // one the application file describes.
    std::stable_partition(entries.begin(), entries.end(), [&](const Entry& e) { return e.name != lastName; });

    for (auto& e : entries) {
        if (!plainName(e.name)) throw FileError("Cannot put \"" + e.name + "\" in place: not a plain file name");
        if (e.op == Op::Move)
            if (auto why = unusableCommitDestination(dir, e.name); !why.empty())
                throw FileError("Cannot replace " + why);
        const auto dest = destinationOf(dir, e);
        if (!dest) throw FileError("Cannot replace \"" + (dir / e.name).string() + "\": a loop of links");
        e.dest = *dest;
        if (e.op == Op::Move && !syncPath(folder / e.name, false))
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
            if (e.op == Op::Move) {
                fs::rename(e.dest, folder / e.name, rc);
                if (rc) clean = false;
            }
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

    std::set<fs::path> touched{dir};
    int n = 0;
    for (const auto& e : entries) {
        step(n);
        if (present(e.dest)) {
            fs::rename(e.dest, previous / e.name, ec);
            if (ec) rollBack("Cannot replace \"" + e.dest.string() + "\": " + ec.message());
        }
        if (e.op == Op::Move) {
            step(n);
            fs::rename(folder / e.name, e.dest, ec);
            if (ec) {
                std::error_code rc;
                fs::rename(previous / e.name, e.dest, rc);
                rollBack("Cannot write \"" + e.dest.string() + "\": " + ec.message());
            }
            touched.insert(e.dest.parent_path());
        }
        ++placed;
    }
    for (const auto& d : touched) syncPath(d, true);
    step(n);
    fs::remove(folder / kRecordName, ec);
    releaseStagingFolder(folder);
}

std::vector<std::string> recoverStagingFolders(const fs::path& dir) { return recoverIn(dir, nullptr, {}).problems; }

std::string finishInterruptedLoads(const fs::path& appPath, std::vector<std::string>* otherProblems) {
    const auto stem = appPath.stem().string();
    auto r = recoverIn(appPath.parent_path(), &stem, appPath);
    if (otherProblems) otherProblems->insert(otherProblems->end(), r.problems.begin(), r.problems.end());
    return r.refusal;
}

}  // namespace tramond
