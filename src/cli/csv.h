#pragma once
// Comma-separated values as spreadsheets write them: fields separated by
// commas, records by CR LF (a bare LF is read too), a field holding a comma,
// a quote or a line break enclosed in quotes with its quotes doubled.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tramond::csv {

struct Row {
    std::size_t line = 0;  // the line the record starts on, from 1
    std::vector<std::string> fields;
};

struct ParseResult {
    std::vector<Row> rows;
    std::string error;  // "line N: ..." when the text is not well-formed
    bool ok() const { return error.empty(); }
};

// A leading UTF-8 byte-order mark is skipped; blank lines are not records.
// Spreadsheets in many European locales separate fields with ';'.
ParseResult parse(std::string_view text, char separator = ',');
// ';' when the first line has semicolons and no comma, else ','.
char guessSeparator(std::string_view text);

// One field, quoted only when it has to be.
std::string field(std::string_view value);
// A record and its CR LF.
std::string record(const std::vector<std::string>& fields);
void appendRecord(std::string& out, const std::vector<std::string>& fields);

}  // namespace tramond::csv
