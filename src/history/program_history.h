#pragma once
// The versions of a program: what it held after every load from a register,
// every transfer, import and restore, and when the window closed it after
// edits. They live in a bare git repository in a hidden folder beside the
// programs, one branch per program base name; a version is a commit whose
// tree is the program's files (update list included). Git stores every
// content once, and record files larger than one piece are kept as a folder
// of pieces, so one changed price costs one piece, not the whole PLU file.
//
// Recording never throws and never stops what the dealer was doing: a
// failure comes back as a warning to show.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tramond::history {

// The repository's folder in the program's folder.
inline constexpr std::string_view kHistoryFolder = ".tramond-history";
// Files above this size are stored as pieces of this size.
inline constexpr std::size_t kPieceSize = 64 * 1024;

class HistoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Event { Edit, Load, Install, ClearInstall, Update, ClearPlu, Import, Restore, Record };

std::string_view eventWord(Event event);      // "edit", "clear-install", ...
std::optional<Event> eventFromWord(std::string_view word);
std::string_view eventTitle(Event event);     // "Update Register", ...

// A register operation: which registers, over which line, and how it went.
struct Transfer {
    std::string registers;  // "0" the attached register, "3", "1-4"
    std::string port;
    int baud = 0;
    std::string result;  // "ok", or "failed: " and what the dealer was told
};

struct RecordRequest {
    Event event = Event::Edit;
    std::string note;
    std::optional<Transfer> transfer;
    // Record only when the files differ from the last version, the update
    // list aside (closing a program, or keeping the files an operation is
    // about to replace).
    bool onlyIfChanged = false;
};

struct Version {
    int number = 0;  // from 1, the oldest
    std::string id;  // the commit
    std::int64_t time = 0;        // seconds since 1970
    int offsetMinutes = 0;        // of the recording machine's clock
    Event event = Event::Edit;
    std::optional<Transfer> transfer;
    std::string person;  // user@host
    std::string note;
    std::vector<std::string> changed;  // extensions whose file changed, ".plu" (none in the first)
};

struct RecordOutcome {
    bool recorded = false;  // a new version was made
    int version = 0;        // the program's latest version (0: none)
    std::string warning;    // set when the version could not be recorded
};

// The program's files by name ("shop.plu") with their bytes.
using FileSet = std::map<std::string, std::vector<std::uint8_t>>;

// The files of the program at appPath on disk: the ".app" and every sibling
// of the file set, keyboards and printer files of network registers
// included; archives, staging folders and temporary files are not. Throws
// HistoryError when one cannot be read.
FileSet programFiles(const std::filesystem::path& appPath);
// The extension of a file of the set ("shop.kb3" -> ".kb3"); empty when the
// name is not one of the program's files.
std::string programExtension(std::string_view programStem, std::string_view fileName);

class ProgramHistory {
public:
    explicit ProgramHistory(std::filesystem::path appPath);
    ~ProgramHistory();
    ProgramHistory(const ProgramHistory&) = delete;
    ProgramHistory& operator=(const ProgramHistory&) = delete;

    const std::filesystem::path& appPath() const { return appPath_; }
    std::filesystem::path repositoryPath() const;
    std::string branch() const;  // "refs/heads/<base name>"

    // Records the files on disk as a new version. Several processes may
    // record into one repository at once.
    RecordOutcome record(const RecordRequest& request) noexcept;
    // The same for files read earlier (what an operation that has since
    // changed them found).
    RecordOutcome record(const RecordRequest& request, const FileSet& files) noexcept;
    // Records the files as "edit" when they differ from the last version,
    // so that what an operation is about to replace can be put back.
    RecordOutcome keepCurrent() noexcept { return record({Event::Edit, {}, {}, true}); }

    // Oldest first; empty when nothing was recorded. Throws HistoryError.
    std::vector<Version> versions() const;
    // The version that was current at the time (the last one recorded at or
    // before it); nothing when the first came later.
    std::optional<Version> versionAt(std::int64_t time) const;
    // Throws HistoryError when there is no such version.
    FileSet files(int number) const;
    // True when the files on disk differ from the last version, the update
    // list aside (or there is none). Throws HistoryError.
    bool changedSinceLastVersion() const;

    // Sends the program's branch to a git remote: a URL, or a folder (a
    // bare repository is made there when it does not exist yet). The
    // remote's branch must not hold versions this one lacks. Throws
    // HistoryError.
    void push(const std::string& remote) const;

private:
    struct Repository;
    std::filesystem::path appPath_;
};

// "Program history: " and the warning, for a message box or stderr.
std::string warningText(const RecordOutcome& outcome);

// Local time "2026-12-01 18:00:03" of a version, and the parse of
// "2026-12-01 18:00[:SS]" or "2026-12-01" (the end of that day) in local time.
std::string localTimeText(std::int64_t time);
std::string isoTimeText(std::int64_t time, int offsetMinutes);
std::optional<std::int64_t> parseLocalTime(std::string_view text);

}  // namespace tramond::history
