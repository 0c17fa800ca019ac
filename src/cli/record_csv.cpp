#include "cli/record_csv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "cli/csv.h"
#include "cli/record_columns.h"
#include "editors/packed_field.h"
#include "editors/plu_list.h"
#include "editors/plu_record.h"
#include "editors/record_editor.h"
#include "program/file_io.h"
#include "program/program_changes.h"
#include "program/update_list.h"

namespace tramond {

namespace {

RecordTable tableFor(const ProgramImage& program, RecordKind kind) {
    auto table = recordTable(kind, program.app);
    if (!table) throw ProgramError("the " + std::string(kindInfo(kind).name) + " file has no editor layout");
    return std::move(*table);
}

std::vector<std::uint8_t> readRecords(const ProgramImage& program, const RecordTable& table) {
    const auto path = program.file(kindInfo(table.kind).extension);
    // A kind without records has no file (a program without salespersons
    // has no ".sps"): its CSV is the header alone.
    std::error_code ec;
    if (table.count == 0 && !std::filesystem::exists(path, ec) && !ec) return {};
    try {
        return readFile(path);
    } catch (const FileError& e) {
        throw ProgramError(path.string() + ": " + e.what());
    }
}

// Records the file holds, up to the kind's count.
std::size_t available(const RecordTable& table, const std::vector<std::uint8_t>& file) {
    return std::min(table.count, file.size() / table.recordSize);
}

// The length of the well-formed UTF-8 sequence s starts with; 0 when it
// does not start with one (overlong forms and surrogates included).
std::size_t utf8SequenceLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) return 1;
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < len) return 0;
    const auto b1 = static_cast<unsigned char>(s[1]);
    if (b1 < lo || b1 > hi) return 0;
    for (std::size_t i = 2; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80 || b > 0xBF) return 0;
    }
    return len;
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto len = utf8SequenceLength(text.substr(i));
        if (len == 0) return i;
        i += len;
    }
    return std::nullopt;
}

std::string_view trimmedCell(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

void ImportOutcome::add(ImportProblem problem) {
    ++problemCount;
    if (problems.size() < kKeptProblems) problems.push_back(std::move(problem));
}

std::string shownCell(std::string_view cell, bool quoted) {
    constexpr std::size_t kShownBytes = 40;
    std::string out = quoted ? "\"" : "";
    const auto shown = cell.substr(0, kShownBytes);
    for (std::size_t i = 0; i < shown.size();) {
        const auto c = static_cast<unsigned char>(shown[i]);
        const auto len = utf8SequenceLength(shown.substr(i));
        if (c >= 0x20 && c != 0x7F && len > 0) {
            out.append(shown.substr(i, len));
            i += len;
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += hex;
        ++i;
    }
    if (quoted) out += "\"";
    if (cell.size() > kShownBytes) out += " (cut short: " + std::to_string(cell.size()) + " bytes)";
    return out;
}

std::string readCsvFile(const std::filesystem::path& path) {
    auto refuse = [&](const std::string& why) { return ProgramError(path.string() + ": " + why); };
    // Not blocking: a FIFO must be refused, not waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        throw refuse(err == ENOENT ? "no such file" : std::string("cannot be read: ") + std::strerror(err));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw refuse(std::string("cannot be read: ") + std::strerror(errno));
    if (S_ISDIR(st.st_mode)) throw refuse("is a folder, not a CSV file");
    if (!S_ISREG(st.st_mode)) throw refuse("is not a regular file (a FIFO or a device), not a CSV file");
    if (static_cast<std::uint64_t>(st.st_size) > kMaxCsvBytes)
        throw refuse("holds " + std::to_string(st.st_size) + " bytes; an import takes at most " +
                     std::to_string(kMaxCsvBytes >> 20) + " MiB");
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw refuse(std::string("cannot be read: ") + std::strerror(errno));
        }
        if (got == 0) break;
        text.append(buf, static_cast<std::size_t>(got));
        // A file that grows while it is read is held to the same bound.
        if (text.size() > kMaxCsvBytes)
            throw refuse("grew past the " + std::to_string(kMaxCsvBytes >> 20) + " MiB an import takes");
    }
    return text;
}

std::string ImportProblem::describe() const {
    std::string out;
    if (line > 0) out = "line " + std::to_string(line);
    if (!field.empty()) out += (out.empty() ? "" : ", ") + field;
    return out.empty() ? text : out + ": " + text;
}

std::string exportRecords(const ProgramImage& program, RecordKind kind, std::vector<std::string>* warnings) {
    const auto table = tableFor(program, kind);
    const auto file = readRecords(program, table);
    const auto n = available(table, file);
    if (warnings) {
        const auto name = program.file(kindInfo(kind).extension).filename().string();
        if (auto w = fewerRecordsWarning(name, file.size() / table.recordSize, table.count); !w.empty())
            warnings->push_back(std::move(w));
    }

    std::string out;
    out.reserve((n + 1) * 128);
    std::vector<std::string> row;
    row.push_back("record");
    for (const auto& c : table.columns) row.push_back(c.header);
    csv::appendRecord(out, row);
    for (std::size_t i = 0; i < n; ++i) {
        const std::span<const std::uint8_t> record(file.data() + i * table.recordSize, table.recordSize);
        if (table.inUse && !table.inUse(record)) continue;
        row.clear();
        row.push_back(std::to_string(i + 1));
        for (const auto& c : table.columns) row.push_back(c.read(record));
        csv::appendRecord(out, row);
    }
    return out;
}

ImportOutcome importRecords(const ProgramImage& program, RecordKind kind, std::string_view csvText) {
    ImportOutcome outcome;
    const auto table = tableFor(program, kind);
    auto file = readRecords(program, table);
    const auto original = file;
    const auto n = available(table, file);

    // Another encoding would be taken apart byte by byte and every accented
    // letter called a character the register cannot hold.
    if (const auto bad = firstInvalidUtf8(csvText)) {
        const auto line = 1 + static_cast<std::size_t>(std::count(csvText.begin(), csvText.begin() +
                                                                      static_cast<std::ptrdiff_t>(*bad), '\n'));
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(csvText[*bad]));
        outcome.add({line, {},
                     std::string("the file is not UTF-8 text (byte ") + hex +
                         "); save it from the spreadsheet as \"CSV UTF-8\""});
        return outcome;
    }

    auto parsed = csv::parse(csvText, csv::guessSeparator(csvText));
    if (!parsed.ok()) {
        outcome.add({0, {}, parsed.error});
        return outcome;
    }
    if (parsed.rows.empty()) {
        outcome.add({0, {}, "the file is empty; the first row names the columns"});
        return outcome;
    }

    // Header: "record" and any of the kind's columns, each once.
    const auto& header = parsed.rows.front();
    std::optional<std::size_t> recordCell;
    std::vector<std::optional<std::size_t>> columnOf(header.fields.size());
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const auto& name = header.fields[i];
        const bool repeated =
            std::find(header.fields.begin(), header.fields.begin() + static_cast<std::ptrdiff_t>(i), name) !=
            header.fields.begin() + static_cast<std::ptrdiff_t>(i);
        if (repeated) {
            outcome.add({header.line, shownCell(name, false), "the column appears twice"});
        } else if (name == "record") {
            recordCell = i;
        } else if (auto c = table.column(name)) {
            columnOf[i] = *c;
        } else {
            outcome.add({header.line, shownCell(name, false), "no such column for the " +
                                                               std::string(kindInfo(kind).name) + " file"});
        }
    }
    if (!recordCell) outcome.add({header.line, "record", "the column is missing"});
    if (!outcome.ok()) return outcome;

    std::vector<std::size_t> seenOn(n, 0);
    std::vector<bool> touched(n, false);
    for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
        const auto& row = parsed.rows[r];
        ++outcome.rows;
        if (row.fields.size() != header.fields.size()) {
            outcome.add({row.line, {},
                                        std::to_string(row.fields.size()) + " fields, the header has " +
                                            std::to_string(header.fields.size())});
            continue;
        }
        const auto number = parseWholeNumber(row.fields[*recordCell]);
        if (!number || *number < 1 || *number > n) {
            outcome.add({row.line, "record",
                                        shownCell(row.fields[*recordCell]) + " is not a record number from 1 to " +
                                            std::to_string(n)});
            continue;
        }
        const auto index = static_cast<std::size_t>(*number - 1);
        if (seenOn[index]) {
            outcome.add({row.line, "record",
                                        "record " + std::to_string(*number) + " is already on line " +
                                            std::to_string(seenOn[index])});
            continue;
        }
        seenOn[index] = row.line;
        const std::span<std::uint8_t> record(file.data() + index * table.recordSize, table.recordSize);
        if (table.inUse && !table.inUse(record)) {
            outcome.add({row.line, "record",
                                        "record " + std::to_string(*number) +
                                            " has no code; new PLUs are made in the PLU editor"});
            continue;
        }
        std::vector<bool> written(row.fields.size(), false);
        for (std::size_t i = 0; i < row.fields.size(); ++i) {
            if (!columnOf[i]) continue;
            const auto& column = table.columns[*columnOf[i]];
            // A cell that reads as the record does leaves its bytes alone,
            // so an unchanged sheet goes back byte for byte.
            if (column.read(record) == row.fields[i]) continue;
            // Spreadsheets pad or strip a code's leading zeros at will.
            if (column.key() && packed_field::stripZeros(trimmedCell(row.fields[i])) == column.read(record)) continue;
            if (column.key()) {
                outcome.add({row.line, column.name,
                                            "is " + column.read(record) + " in the program and cannot change here"});
                continue;
            }
            if (auto error = column.write(record, row.fields[i]); !error.empty()) {
                outcome.add({row.line, column.name, shownCell(row.fields[i]) + " " + error});
                continue;
            }
            touched[index] = true;
            written[i] = true;
        }
        // A field another one hides is stored as 0, as the editor stores it:
        // a row may not set it, and a row that hides it clears it.
        for (std::size_t i = 0; i < row.fields.size(); ++i) {
            if (!columnOf[i]) continue;
            const auto& column = table.columns[*columnOf[i]];
            if (written[i] && column.hidden && column.hidden(record) && column.read(record) != "0")
                outcome.add({row.line, column.name, "is not used by this record's type; only 0"});
        }
        if (touched[index])
            for (const auto& column : table.columns)
                if (column.hidden && column.hidden(record) && column.read(record) != "0") column.write(record, "0");
    }
    if (!outcome.ok()) return outcome;

    for (std::size_t i = 0; i < n; ++i) {
        if (!touched[i]) continue;
        const auto from = static_cast<std::ptrdiff_t>(i * table.recordSize);
        if (!std::equal(file.begin() + from, file.begin() + from + static_cast<std::ptrdiff_t>(table.recordSize),
                        original.begin() + from))
            outcome.changedRecords.push_back(static_cast<std::uint32_t>(i + 1));
    }
    if (outcome.changedRecords.empty()) return outcome;

    // Marked in the same step as the write, and before it: the changed
    // records' change codes, or in code mode each PLU's "R" line.
    const auto path = program.file(kindInfo(kind).extension);
    const UpdateList updates(program.file(".upd"));
    try {
        writeProgramFile(updates, program.app, path, file);
    } catch (const std::exception& e) {
        throw ProgramError(path.string() + ": " + e.what() + "; nothing was imported");
    }
    return outcome;
}

ImportOutcome importRecordsRecorded(const ProgramImage& program, RecordKind kind, std::string_view csvText,
                                    const std::string& sheetName, std::optional<history::RecordOutcome>& version) {
    version.reset();
    history::ProgramHistory history(program.appPath);
    // A mistaken sheet must be undoable: what it changed is kept first. A
    // sheet that changes nothing leaves no trace.
    history::FileSet before;
    history::RecordOutcome kept;
    try {
        before = history::programFiles(program.appPath);
    } catch (const history::HistoryError& e) {
        kept.warning = e.what();
    }
    auto outcome = importRecords(program, kind, csvText);
    if (outcome.ok() && !outcome.changedRecords.empty()) {
        if (kept.warning.empty()) kept = history.record({history::Event::Edit, {}, {}, true}, before);
        const auto n = outcome.changedRecords.size();
        version = history.record({history::Event::Import,
                                  kindWord(kind) + " from " + sheetName + ", " + std::to_string(n) +
                                      (n == 1 ? " record" : " records"),
                                  {},
                                  false});
    }
    if (!kept.warning.empty() && version && version->warning.empty()) version->warning = kept.warning;
    return outcome;
}

}  // namespace tramond
