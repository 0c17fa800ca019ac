#pragma once
// A record file to and from a spreadsheet: CSV in UTF-8, a header row of the
// kind's column names, one row per record. An import is checked whole before
// anything is written; then the record file is rewritten once and exactly
// the changed records are marked for the next Update Register.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/program_image.h"
#include "history/program_history.h"
#include "program/record_kinds.h"

namespace tramond {

// The CSV text of every record of the kind (in code mode: every PLU with a
// code). Throws ProgramError when the kind has no columns or its file cannot
// be read.
// `warnings` (when given) gets what the dealer should know beside the CSV:
// a record file shorter than the program's count.
std::string exportRecords(const ProgramImage& program, RecordKind kind, std::vector<std::string>* warnings = nullptr);

struct ImportProblem {
    std::size_t line = 0;  // CSV line, from 1 (0: the file as a whole)
    std::string field;     // column name ("" when the row as a whole is wrong)
    std::string text;
    std::string describe() const;  // "line 4, price1: more than 6 digits"
};

struct ImportOutcome {
    // A sheet of junk has a problem in every cell: the first ones are kept
    // (enough to find the rows), the rest only counted.
    static constexpr std::size_t kKeptProblems = 20;
    std::vector<ImportProblem> problems;  // the first kKeptProblems
    std::size_t problemCount = 0;         // nothing was written when any
    std::size_t rows = 0;
    std::vector<std::uint32_t> changedRecords;  // record numbers, ascending
    bool ok() const { return problemCount == 0; }
    void add(ImportProblem problem);
};

// The largest CSV file an import reads: far above a full PLU file's sheet.
inline constexpr std::uint64_t kMaxCsvBytes = 64ull << 20;

// The text of the CSV file at path, for importRecords. Refuses, with
// ProgramError naming the file and why, anything but a regular file (a
// folder, a FIFO, a device: reading one would fail oddly or wait for ever)
// and a file larger than kMaxCsvBytes.
std::string readCsvFile(const std::filesystem::path& path);

// A cell as a message may quote it: control bytes and stray bytes escaped
// ("\x00"), and a long one cut short with its length, so that junk from a
// file never reaches the terminal raw. In double quotes unless quoted is false.
std::string shownCell(std::string_view cell, bool quoted = true);

// Checks every row (a file that is not UTF-8 is refused as a whole), then
// writes the record file (atomically) and marks the changed records in the
// update list: change codes, or in code mode the PLU's "R" line. Rows name their record in the "record" column; columns
// left out of the file and records without a row stay as they are, and a
// cell equal to what the record shows leaves its bytes alone. Throws
// ProgramError when the record file or the update list cannot be written.
ImportOutcome importRecords(const ProgramImage& program, RecordKind kind, std::string_view csvText);

// importRecords within the program's history: the files are kept first when
// they changed since the last version, and an import that changed records
// is a version of its own, noted with the kind and the sheet's name.
// `version` tells what was recorded (a warning when it could not be);
// nothing when the import changed nothing. Never stops the import.
ImportOutcome importRecordsRecorded(const ProgramImage& program, RecordKind kind, std::string_view csvText,
                                    const std::string& sheetName, std::optional<history::RecordOutcome>& version);

}  // namespace tramond
