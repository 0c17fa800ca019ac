#include "history/program_history.h"

#include <fcntl.h>
#include <git2.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

#include "program/file_io.h"
#include "program/file_set.h"
#include "program/process_stamp.h"

namespace tramond::history {
namespace fs = std::filesystem;

namespace {

// ---- libgit2 plumbing -------------------------------------------------------

// libgit2 counts its initialisations; each history object holds one.
struct Library {
    Library() {
        git_libgit2_init();
        static std::once_flag once;
        // A history torn by a power cut is worse than a few milliseconds.
        std::call_once(once, [] { git_libgit2_opts(GIT_OPT_ENABLE_FSYNC_GITDIR, 1); });
    }
    ~Library() { git_libgit2_shutdown(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

template <class T, void (*Free)(T*)>
struct Freer {
    void operator()(T* p) const { Free(p); }
};
template <class T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, Freer<T, Free>>;

using RepoPtr = Owned<git_repository, git_repository_free>;
using CommitPtr = Owned<git_commit, git_commit_free>;
using TreePtr = Owned<git_tree, git_tree_free>;
using BlobPtr = Owned<git_blob, git_blob_free>;
using BuilderPtr = Owned<git_treebuilder, git_treebuilder_free>;
using SignaturePtr = Owned<git_signature, git_signature_free>;
using ReferencePtr = Owned<git_reference, git_reference_free>;
using RemotePtr = Owned<git_remote, git_remote_free>;

std::string gitError(const std::string& what) {
    const git_error* e = git_error_last();
    return what + ": " + (e != nullptr && e->message != nullptr ? e->message : "unknown error");
}

void check(int rc, const std::string& what) {
    if (rc < 0) throw HistoryError(gitError(what));
}

std::string hex(const git_oid& id) {
    char text[GIT_OID_HEXSZ + 1];
    git_oid_tostr(text, sizeof text, &id);
    return text;
}

// ---- the repository ---------------------------------------------------------

fs::path folderOf(const fs::path& appPath) {
    const auto parent = appPath.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

RepoPtr openRepository(const fs::path& repoDir) {
    git_repository* repo = nullptr;
    check(git_repository_open_ext(&repo, repoDir.c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH | GIT_REPOSITORY_OPEN_BARE,
                                  nullptr),
          "cannot open the history in " + repoDir.string());
    return RepoPtr(repo);
}

// What a creation cut short by a kill left: its owner's stamp is in the
// name, so only those of processes that are gone are cleared.
void removeAbandonedCreations(const fs::path& folder, const std::string& prefix) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const auto name = e.path().filename().string();
        if (!name.starts_with(prefix)) continue;
        const auto owner = ProcessStamp::parse(std::string_view(name).substr(prefix.size()));
        std::error_code rc;
        if (owner && !processAlive(*owner)) fs::remove_all(e.path(), rc);
    }
}

// The repository is made whole in a folder of its own and renamed into
// place, so a second process never finds half of one.
RepoPtr openOrCreateRepository(const fs::path& repoDir) {
    std::error_code ec;
    if (fs::exists(repoDir, ec)) return openRepository(repoDir);
    std::random_device rd;
    const std::string prefix = std::string(kHistoryFolder) + ".new-";
    removeAbandonedCreations(repoDir.parent_path(), prefix);
    const auto temporary =
        repoDir.parent_path() / (prefix + currentProcess().text() + "-" + std::to_string(rd()));
    git_repository_init_options options = GIT_REPOSITORY_INIT_OPTIONS_INIT;
    options.flags = GIT_REPOSITORY_INIT_BARE | GIT_REPOSITORY_INIT_MKPATH;
    options.description = "Tramond program history: one branch per program";
    git_repository* made = nullptr;
    if (git_repository_init_ext(&made, temporary.c_str(), &options) < 0) {
        const auto why = gitError("cannot create the history in " + repoDir.string());
        fs::remove_all(temporary, ec);
        throw HistoryError(why);
    }
    git_repository_free(made);
    fs::rename(temporary, repoDir, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove_all(temporary, ignored);
        // Another process made it first: theirs is as good as ours.
        if (!fs::is_directory(repoDir, ignored))
            throw HistoryError("cannot create the history in " + repoDir.string() + ": " + ec.message());
    }
    return openRepository(repoDir);
}

// Git allows nearly any byte in a branch name; the few it does not (and the
// escape itself) are written as %XX, so every base name has its own branch.
std::string branchName(const std::string& stem) {
    std::string out;
    for (std::size_t i = 0; i < stem.size(); ++i) {
        const auto c = static_cast<unsigned char>(stem[i]);
        const bool special = c < 0x20 || c == 0x7F || c == ' ' || c == '~' || c == '^' || c == ':' || c == '?' ||
                             c == '*' || c == '[' || c == '\\' || c == '%' || c == '/' ||
                             (c == '.' && (i == 0 || i + 1 == stem.size() || stem[i - 1] == '.')) ||
                             (c == '{' && i > 0 && stem[i - 1] == '@') || (c == '@' && stem.size() == 1);
        if (special) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (out.size() >= 5 && out.ends_with(".lock")) out.replace(out.size() - 5, 1, "%2E");
    if (out.empty()) out = "%00";
    return "refs/heads/" + out;
}

std::optional<git_oid> tipOf(git_repository* repo, const std::string& branch) {
    git_oid id;
    const int rc = git_reference_name_to_id(&id, repo, branch.c_str());
    if (rc == GIT_ENOTFOUND) return std::nullopt;
    check(rc, "cannot read " + branch);
    return id;
}

CommitPtr lookupCommit(git_repository* repo, const git_oid& id) {
    git_commit* c = nullptr;
    check(git_commit_lookup(&c, repo, &id), "cannot read version " + hex(id));
    return CommitPtr(c);
}

TreePtr commitTree(git_commit* commit) {
    git_tree* t = nullptr;
    check(git_commit_tree(&t, commit), "cannot read the files of version " + hex(*git_commit_id(commit)));
    return TreePtr(t);
}

// The commits of the branch, newest first, along the first parents.
std::vector<git_oid> chain(git_repository* repo, const git_oid& tip) {
    std::vector<git_oid> ids{tip};
    CommitPtr c = lookupCommit(repo, tip);
    while (git_commit_parentcount(c.get()) > 0) {
        const git_oid parent = *git_commit_parent_id(c.get(), 0);
        ids.push_back(parent);
        c = lookupCommit(repo, parent);
    }
    return ids;
}

// The version number a commit carries, counted along the branch when it
// carries none.
int numberOf(git_repository* repo, git_commit* c) {
    const char* message = git_commit_message(c);
    const char* at = message != nullptr ? std::strstr(message, "\nVersion: ") : nullptr;
    const int n = at != nullptr ? std::atoi(at + 10) : 0;
    return n > 0 ? n : static_cast<int>(chain(repo, *git_commit_id(c)).size());
}

// ---- files and trees --------------------------------------------------------

git_oid writeBlob(git_repository* repo, const std::uint8_t* data, std::size_t size, const std::string& name) {
    git_oid id;
    check(git_blob_create_from_buffer(&id, repo, data, size), "cannot store " + name);
    return id;
}

void insert(git_treebuilder* builder, const std::string& name, const git_oid& id, git_filemode_t mode) {
    check(git_treebuilder_insert(nullptr, builder, name.c_str(), &id, mode), "cannot store " + name);
}

BuilderPtr newBuilder(git_repository* repo) {
    git_treebuilder* b = nullptr;
    check(git_treebuilder_new(&b, repo, nullptr), "cannot store the program");
    return BuilderPtr(b);
}

std::string pieceName(std::size_t i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%05zu", i);
    return buf;
}

git_oid writeTree(git_repository* repo, const FileSet& files) {
    auto root = newBuilder(repo);
    for (const auto& [name, bytes] : files) {
        if (bytes.size() <= kPieceSize) {
            insert(root.get(), name, writeBlob(repo, bytes.data(), bytes.size(), name), GIT_FILEMODE_BLOB);
            continue;
        }
        auto pieces = newBuilder(repo);
        for (std::size_t at = 0, i = 0; at < bytes.size(); at += kPieceSize, ++i) {
            const auto n = std::min(kPieceSize, bytes.size() - at);
            insert(pieces.get(), pieceName(i), writeBlob(repo, bytes.data() + at, n, name), GIT_FILEMODE_BLOB);
        }
        git_oid sub;
        check(git_treebuilder_write(&sub, pieces.get()), "cannot store " + name);
        insert(root.get(), name, sub, GIT_FILEMODE_TREE);
    }
    git_oid id;
    check(git_treebuilder_write(&id, root.get()), "cannot store the program");
    return id;
}

void appendBlob(git_repository* repo, const git_oid& id, const std::string& name, std::vector<std::uint8_t>& out) {
    git_blob* b = nullptr;
    check(git_blob_lookup(&b, repo, &id), "cannot read " + name);
    BlobPtr blob(b);
    const auto* data = static_cast<const std::uint8_t*>(git_blob_rawcontent(blob.get()));
    out.insert(out.end(), data, data + git_blob_rawsize(blob.get()));
}

FileSet readTree(git_repository* repo, git_tree* tree) {
    FileSet files;
    for (std::size_t i = 0, n = git_tree_entrycount(tree); i < n; ++i) {
        const git_tree_entry* e = git_tree_entry_byindex(tree, i);
        const std::string name = git_tree_entry_name(e);
        auto& bytes = files[name];
        if (git_tree_entry_type(e) == GIT_OBJECT_BLOB) {
            appendBlob(repo, *git_tree_entry_id(e), name, bytes);
        } else if (git_tree_entry_type(e) == GIT_OBJECT_TREE) {
            git_tree* p = nullptr;
            check(git_tree_lookup(&p, repo, git_tree_entry_id(e)), "cannot read " + name);
            TreePtr pieces(p);
            // Piece names sort in their order.
            for (std::size_t k = 0, m = git_tree_entrycount(pieces.get()); k < m; ++k)
                appendBlob(repo, *git_tree_entry_id(git_tree_entry_byindex(pieces.get(), k)), name, bytes);
        }
    }
    return files;
}

// The extensions of the files that differ between two versions' trees;
// nothing for a first version (everything is new there).
std::vector<std::string> changedFiles(git_tree* before, git_tree* after, const std::string& stem) {
    if (before == nullptr) return {};
    std::map<std::string, git_oid> old;
    for (std::size_t i = 0, n = git_tree_entrycount(before); i < n; ++i) {
        const auto* e = git_tree_entry_byindex(before, i);
        old[git_tree_entry_name(e)] = *git_tree_entry_id(e);
    }
    std::vector<std::string> changed;
    auto extension = [&](const std::string& name) {
        return name.size() > stem.size() ? name.substr(stem.size()) : name;
    };
    for (std::size_t i = 0, n = git_tree_entrycount(after); i < n; ++i) {
        const auto* e = git_tree_entry_byindex(after, i);
        const auto it = old.find(git_tree_entry_name(e));
        if (it == old.end() || !git_oid_equal(&it->second, git_tree_entry_id(e)))
            changed.push_back(extension(git_tree_entry_name(e)));
        if (it != old.end()) old.erase(it);
    }
    for (const auto& [name, id] : old) changed.push_back(extension(name));
    std::sort(changed.begin(), changed.end());
    return changed;
}

// The update list alone changing (a transfer cleared it) is bookkeeping,
// not an edit worth a version of its own.
bool worthKeeping(const std::vector<std::string>& changed) {
    return std::any_of(changed.begin(), changed.end(), [](const std::string& e) { return e != ".upd"; });
}

// ---- the commit message -----------------------------------------------------

std::string oneLine(std::string s) {
    for (auto& c : s)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string currentUser() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_name != nullptr && *pw->pw_name)
        return pw->pw_name;
    if (const char* u = std::getenv("USER"); u != nullptr && *u) return u;
    return "unknown";
}

std::string currentHost() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == 0) return "localhost";
    return name.data();
}

// git refuses these in a signature.
std::string signatureText(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '<' || c == '>' || c == '\n'; }),
            s.end());
    return s.empty() ? "unknown" : s;
}

std::string summaryLine(const RecordRequest& r) {
    std::string line(eventTitle(r.event));
    if (r.transfer) {
        const auto& t = *r.transfer;
        line += ": register " + t.registers + ", " + t.port + ", " + std::to_string(t.baud) + " baud: " + t.result;
    } else if (!r.note.empty()) {
        line += ": " + r.note;
    }
    return oneLine(line);
}

std::string commitMessage(const RecordRequest& r, const std::string& person, const std::vector<std::string>& changed,
                          int number) {
    std::ostringstream m;
    m << summaryLine(r) << "\n\n";
    m << "Event: " << eventWord(r.event) << "\n";
    if (r.transfer) {
        m << "Register: " << oneLine(r.transfer->registers) << "\n";
        m << "Port: " << oneLine(r.transfer->port) << "\n";
        m << "Baud: " << r.transfer->baud << "\n";
        m << "Result: " << oneLine(r.transfer->result) << "\n";
    }
    m << "Person: " << oneLine(person) << "\n";
    m << "Changed:";
    for (const auto& c : changed) m << ' ' << c;
    m << "\n";
    if (!r.note.empty()) m << "Note: " << oneLine(r.note) << "\n";
    m << "Version: " << number << "\n";
    return m.str();
}

// "Key: value" lines after the summary line and its blank line.
std::map<std::string, std::string> trailers(const char* message) {
    std::map<std::string, std::string> out;
    std::istringstream in(message != nullptr ? message : "");
    std::string line;
    while (std::getline(in, line) && !line.empty()) {
    }
    while (std::getline(in, line)) {
        const auto colon = line.find(": ");
        if (colon == std::string::npos || colon == 0) continue;
        const auto key = line.substr(0, colon);
        if (!std::all_of(key.begin(), key.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }))
            continue;
        out.emplace(key, line.substr(colon + 2));
    }
    return out;
}

// Numbered by the caller, who knows its place on the branch.
Version versionOf(git_commit* c) {
    Version v;
    v.id = hex(*git_commit_id(c));
    v.time = git_commit_time(c);
    v.offsetMinutes = git_commit_time_offset(c);
    auto t = trailers(git_commit_message(c));
    v.event = eventFromWord(t["Event"]).value_or(Event::Record);
    if (t.count("Register") != 0) {
        Transfer x;
        x.registers = t["Register"];
        x.port = t["Port"];
        x.baud = std::atoi(t["Baud"].c_str());
        x.result = t["Result"];
        v.transfer = x;
    }
    v.person = t["Person"];
    v.note = t["Note"];
    std::istringstream changed(t["Changed"]);
    for (std::string e; changed >> e;) v.changed.push_back(e);
    return v;
}

// ---- concurrency ------------------------------------------------------------

// A lock left by a process that died would stop every later recording;
// ref updates take milliseconds, so one this old is nobody's.
void removeStaleLock(const fs::path& lock) {
    std::error_code ec;
    const auto written = fs::last_write_time(lock, ec);
    if (ec) return;
    if (fs::file_time_type::clock::now() - written > std::chrono::seconds(30)) fs::remove(lock, ec);
}

constexpr int kAttempts = 200;  // about five seconds of a busy repository

// Every recording moves its branch while it holds this lock, and the system
// lets go of it when its holder dies, however it dies. Git's own ref lock
// is a file that a killed process leaves behind; found while this lock is
// held, it can only be such a leftover and is removed at once instead of
// stopping every recording until it is old enough to judge.
class RecordingLock {
public:
    explicit RecordingLock(const fs::path& repoDir)
        : fd_(::open((repoDir / "tramond-recording.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {}
    ~RecordingLock() {
        if (fd_ >= 0) ::close(fd_);  // closing lets go
    }
    RecordingLock(const RecordingLock&) = delete;
    RecordingLock& operator=(const RecordingLock&) = delete;

    // False while another recording holds it. A repository where the lock
    // cannot be made (read-only) is left to git's own locking.
    bool tryTake() {
        if (fd_ < 0) return true;
        held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
        return held_ || errno != EWOULDBLOCK;
    }
    bool held() const { return held_; }
    void release() {
        if (held_) ::flock(fd_, LOCK_UN);
        held_ = false;
    }

private:
    int fd_;
    bool held_ = false;
};

}  // namespace

// ---- events -----------------------------------------------------------------

namespace {
struct EventName {
    Event event;
    std::string_view word;
    std::string_view title;
};
constexpr EventName kEvents[] = {
    {Event::Edit, "edit", "Edited"},
    {Event::Load, "load", "Load from Register"},
    {Event::Install, "install", "Install Register"},
    {Event::ClearInstall, "clear-install", "Clear & Install Register"},
    {Event::Update, "update", "Update Register"},
    {Event::ClearPlu, "clear-plu", "Clear PLU File in Register"},
    {Event::Import, "import", "CSV import"},
    {Event::Restore, "restore", "Restore"},
    {Event::Record, "record", "Recorded"},
};
}  // namespace

std::string_view eventWord(Event event) {
    for (const auto& e : kEvents)
        if (e.event == event) return e.word;
    return "record";
}

std::string_view eventTitle(Event event) {
    for (const auto& e : kEvents)
        if (e.event == event) return e.title;
    return "Recorded";
}

std::optional<Event> eventFromWord(std::string_view word) {
    for (const auto& e : kEvents)
        if (e.word == word) return e.event;
    return std::nullopt;
}

// ---- the program's files ----------------------------------------------------

std::string programExtension(std::string_view stem, std::string_view name) {
    if (name.size() <= stem.size() || name.substr(0, stem.size()) != stem) return {};
    const std::string_view ext = name.substr(stem.size());
    if (ext == ".app" || ext == ".stf") return std::string(ext);
    for (auto e : fileset::kProgramExtensions)
        if (ext == e) return std::string(ext);
    // Keyboards and printer files of network registers: ".kb2", ".pr12".
    for (std::string_view prefix : {".kb", ".pr"}) {
        if (!ext.starts_with(prefix)) continue;
        const auto digits = ext.substr(prefix.size());
        if (!digits.empty() && digits.size() <= 2 && digits[0] != '0' &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::string(ext);
    }
    return {};
}

FileSet programFiles(const fs::path& appPath) {
    const auto dir = folderOf(appPath);
    const auto stem = appPath.stem().string();
    const auto appName = appPath.filename().string();
    FileSet files;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) throw HistoryError("cannot read the folder " + dir.string() + ": " + ec.message());
    for (const auto& entry : it) {
        const auto name = entry.path().filename().string();
        if (name != appName && programExtension(stem, name).empty()) continue;
        std::error_code typeError;
        if (!fs::is_regular_file(entry.path(), typeError)) continue;
        try {
            files[name] = readFile(entry.path());
        } catch (const FileError& e) {
            throw HistoryError(e.what());
        }
    }
    if (files.count(appName) == 0) throw HistoryError("there is no program " + appPath.string());
    return files;
}

// ---- ProgramHistory ---------------------------------------------------------

struct ProgramHistory::Repository {
    Library library;
    RepoPtr repo;
};

ProgramHistory::ProgramHistory(fs::path appPath) : appPath_(std::move(appPath)) {
    if (appPath_.extension().empty()) appPath_.replace_extension(".app");
}

ProgramHistory::~ProgramHistory() = default;

fs::path ProgramHistory::repositoryPath() const { return folderOf(appPath_) / kHistoryFolder; }

std::string ProgramHistory::branch() const { return branchName(appPath_.stem().string()); }

RecordOutcome ProgramHistory::record(const RecordRequest& request) noexcept {
    std::error_code ec;
    // Nothing to keep is no failure.
    if (request.onlyIfChanged && !fs::exists(appPath_, ec)) return {};
    try {
        return record(request, programFiles(appPath_));
    } catch (const std::exception& e) {
        return {false, 0, e.what()};
    }
}

RecordOutcome ProgramHistory::record(const RecordRequest& request, const FileSet& files) noexcept {
    RecordOutcome outcome;
    try {
        Library library;
        RepoPtr repo = openOrCreateRepository(repositoryPath());
        const git_oid treeId = writeTree(repo.get(), files);
        git_tree* t = nullptr;
        check(git_tree_lookup(&t, repo.get(), &treeId), "cannot store the program");
        TreePtr tree(t);
        const std::string stem = appPath_.stem().string();
        const std::string ref = branch();
        const std::string person = currentUser() + "@" + currentHost();
        git_signature* s = nullptr;
        check(git_signature_now(&s, signatureText(currentUser()).c_str(), signatureText(person).c_str()),
              "cannot sign the version");
        SignaturePtr signature(s);

        std::mt19937 jitter(std::random_device{}());
        RecordingLock lock(repositoryPath());
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            lock.release();
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5 + jitter() % 20));
            if (!lock.tryTake()) continue;
            if (lock.held()) {
                std::error_code ec;
                fs::remove(repositoryPath() / (ref + ".lock"), ec);
            }
            const auto tip = tipOf(repo.get(), ref);
            CommitPtr parent;
            TreePtr parentTree;
            int number = 1;
            if (tip) {
                parent = lookupCommit(repo.get(), *tip);
                parentTree = commitTree(parent.get());
                if (request.onlyIfChanged && !worthKeeping(changedFiles(parentTree.get(), tree.get(), stem))) {
                    outcome.version = numberOf(repo.get(), parent.get());
                    return outcome;
                }
                number = numberOf(repo.get(), parent.get()) + 1;
            }
            const auto changed = changedFiles(parentTree.get(), tree.get(), stem);
            const auto message = commitMessage(request, person, changed, number);
            git_oid commitId;
            const git_commit* parents[] = {parent.get()};
            check(git_commit_create(&commitId, repo.get(), nullptr, signature.get(), signature.get(), "UTF-8",
                                    message.c_str(), tree.get(), parent ? 1 : 0, parents),
                  "cannot store the version");
            git_reference* r = nullptr;
            const auto log = oneLine(summaryLine(request));
            const int rc = tip ? git_reference_create_matching(&r, repo.get(), ref.c_str(), &commitId, 1, &*tip,
                                                               log.c_str())
                               : git_reference_create(&r, repo.get(), ref.c_str(), &commitId, 0, log.c_str());
            ReferencePtr made(r);
            if (rc == 0) {
                outcome.recorded = true;
                outcome.version = number;
                return outcome;
            }
            // Another process moved the branch or holds its lock: the
            // version is made again on top of theirs.
            if (rc != GIT_ELOCKED && rc != GIT_EMODIFIED && rc != GIT_EEXISTS) check(rc, "cannot record " + ref);
            if (rc == GIT_ELOCKED && attempt > 0 && attempt % 40 == 0)
                removeStaleLock(repositoryPath() / (ref + ".lock"));
        }
        throw HistoryError("the history of " + appPath_.filename().string() +
                           " stayed locked by another process; nothing was recorded");
    } catch (const std::exception& e) {
        outcome.recorded = false;
        outcome.warning = e.what();
    } catch (...) {
        outcome.warning = "unknown failure";
    }
    return outcome;
}

std::vector<Version> ProgramHistory::versions() const {
    std::error_code ec;
    if (!fs::exists(repositoryPath(), ec)) return {};
    Library library;
    RepoPtr repo = openRepository(repositoryPath());
    const auto tip = tipOf(repo.get(), branch());
    if (!tip) return {};
    std::vector<Version> out;
    CommitPtr c = lookupCommit(repo.get(), *tip);
    for (;;) {
        out.push_back(versionOf(c.get()));
        if (git_commit_parentcount(c.get()) == 0) break;
        c = lookupCommit(repo.get(), *git_commit_parent_id(c.get(), 0));
    }
    std::reverse(out.begin(), out.end());
    for (std::size_t i = 0; i < out.size(); ++i) out[i].number = static_cast<int>(i + 1);
    return out;
}

std::optional<Version> ProgramHistory::versionAt(std::int64_t time) const {
    const auto all = versions();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->time <= time) return *it;
    return std::nullopt;
}

FileSet ProgramHistory::files(int number) const {
    std::error_code ec;
    const auto none = [&](std::size_t count) {
        return HistoryError("there is no version " + std::to_string(number) + " of " + appPath_.filename().string() +
                            (count == 0 ? " (nothing was recorded)" : " (it has 1 to " + std::to_string(count) + ")"));
    };
    if (!fs::exists(repositoryPath(), ec)) throw none(0);
    Library library;
    RepoPtr repo = openRepository(repositoryPath());
    const auto tip = tipOf(repo.get(), branch());
    if (!tip) throw none(0);
    const auto ids = chain(repo.get(), *tip);
    if (number < 1 || static_cast<std::size_t>(number) > ids.size()) throw none(ids.size());
    CommitPtr c = lookupCommit(repo.get(), ids[ids.size() - static_cast<std::size_t>(number)]);
    TreePtr tree = commitTree(c.get());
    return readTree(repo.get(), tree.get());
}

bool ProgramHistory::changedSinceLastVersion() const {
    const auto all = versions();
    if (all.empty()) return true;
    auto recorded = files(all.back().number);
    auto now = programFiles(appPath_);
    const auto list = appPath_.stem().string() + ".upd";
    recorded.erase(list);
    now.erase(list);
    return recorded != now;
}

namespace {

struct PushState {
    std::string rejected;
    int credentialAttempts = 0;
};

int onPushReference(const char* refname, const char* status, void* data) {
    if (status != nullptr) static_cast<PushState*>(data)->rejected = std::string(refname) + ": " + status;
    return 0;
}

// The ssh agent's keys, asked once: libgit2 asks again after every refusal.
int onCredentials(git_credential** out, const char*, const char* user, unsigned int allowed, void* data) {
    auto& state = *static_cast<PushState*>(data);
    if ((allowed & GIT_CREDENTIAL_SSH_KEY) != 0 && state.credentialAttempts++ == 0)
        return git_credential_ssh_key_from_agent(out, user ? user : "git");
    return GIT_PASSTHROUGH;
}

bool looksLikeFolder(const std::string& remote) {
    if (remote.find("://") != std::string::npos) return false;
    // "host:path" is git's short form of an ssh address.
    const auto colon = remote.find(':');
    const auto slash = remote.find('/');
    return colon == std::string::npos || (slash != std::string::npos && slash < colon);
}

}  // namespace

void ProgramHistory::push(const std::string& remote) const {
    std::error_code ec;
    if (!fs::exists(repositoryPath(), ec)) throw HistoryError("nothing of " + appPath_.filename().string() + " was recorded yet");
    Library library;
    RepoPtr repo = openRepository(repositoryPath());
    const std::string ref = branch();
    if (!tipOf(repo.get(), ref)) throw HistoryError("nothing of " + appPath_.filename().string() + " was recorded yet");

    std::string url = remote;
    if (looksLikeFolder(remote)) {
        const fs::path folder = fs::absolute(remote, ec);
        const bool empty = !fs::exists(folder, ec) || (fs::is_directory(folder, ec) && fs::is_empty(folder, ec));
        // Only the repository's own folder is made: a missing parent is most
        // often a USB stick that is not mounted, and a backup quietly made on
        // the PC's own disk instead would be no backup at all.
        if (empty && !fs::is_directory(folder.parent_path(), ec))
            throw HistoryError("there is no folder " + folder.parent_path().string() +
                               " (is the drive mounted?); the push makes only the repository's own folder");
        if (empty) {
            git_repository* made = nullptr;
            check(git_repository_init(&made, folder.c_str(), 1), "cannot make a repository in " + folder.string());
            git_repository_free(made);
        }
        url = folder.string();
    }
    git_remote* r = nullptr;
    check(git_remote_create_anonymous(&r, repo.get(), url.c_str()), "cannot use the remote " + remote);
    RemotePtr handle(r);
    PushState state;
    git_push_options options = GIT_PUSH_OPTIONS_INIT;
    options.callbacks.push_update_reference = onPushReference;
    options.callbacks.credentials = onCredentials;
    options.callbacks.payload = &state;
    // Never forced: a remote branch with versions this one lacks belongs to
    // another copy of the program and is not overwritten.
    std::string refspec = ref + ":" + ref;
    char* refspecs[] = {refspec.data()};
    const git_strarray refspecList{refspecs, 1};
    check(git_remote_push(handle.get(), &refspecList, &options), "cannot push to " + remote);
    if (!state.rejected.empty())
        throw HistoryError("the remote refused " + state.rejected +
                           " (its branch holds versions this program's history lacks)");
}

// ---- texts ------------------------------------------------------------------

std::string warningText(const RecordOutcome& outcome) { return "Program history: " + outcome.warning; }

std::string localTimeText(std::int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

std::string isoTimeText(std::int64_t time, int offsetMinutes) {
    const std::time_t t = static_cast<std::time_t>(time + std::int64_t{offsetMinutes} * 60);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[40];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    const int a = std::abs(offsetMinutes);
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+', a / 60, a % 60);
    return std::string(buf) + zone;
}

std::optional<std::int64_t> parseLocalTime(std::string_view text) {
    const std::string str(text);
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    const auto whole = [&](int fields, int want) { return fields == want && used == static_cast<int>(str.size()); };
    if (whole(std::sscanf(str.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &used), 6)) {
    } else if (s = 0, whole(std::sscanf(str.c_str(), "%4d-%2d-%2d %2d:%2d%n", &y, &mo, &d, &h, &mi, &used), 5)) {
    } else if (whole(std::sscanf(str.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used), 3)) {
        // A day alone means all of it: what the till held that evening.
        h = 23, mi = 59, s = 59;
    } else {
        return std::nullopt;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    // mktime moves 31 February on to March; a date that moved was no date.
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != d || tm.tm_mon != mo - 1) return std::nullopt;
    return static_cast<std::int64_t>(t);
}

}  // namespace tramond::history
