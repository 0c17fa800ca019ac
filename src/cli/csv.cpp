#include "cli/csv.h"

namespace tramond::csv {

ParseResult parse(std::string_view text, char separator) {
    ParseResult result;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t line = 1;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        Row row;
        row.line = line;
        std::string value;
        bool rowDone = false;
        while (!rowDone) {
            value.clear();
            if (i < n && text[i] == '"') {
                const std::size_t openedOn = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        result.error = "line " + std::to_string(openedOn) + ": a quoted field is not closed";
                        return result;
                    }
                    const char c = text[i++];
                    if (c == '"') {
                        if (i < n && text[i] == '"') {
                            value.push_back('"');
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') ++line;
                    value.push_back(c);
                }
                if (i < n && text[i] != separator && text[i] != '\r' && text[i] != '\n') {
                    result.error = "line " + std::to_string(line) + ": characters after a closing quote";
                    return result;
                }
            } else {
                while (i < n && text[i] != separator && text[i] != '\r' && text[i] != '\n') {
                    if (text[i] == '"') {
                        result.error = "line " + std::to_string(line) + ": a quote inside an unquoted field";
                        return result;
                    }
                    value.push_back(text[i++]);
                }
            }
            row.fields.push_back(value);
            if (i >= n) {
                rowDone = true;
            } else if (text[i] == separator) {
                ++i;
            } else {
                if (text[i] == '\r') ++i;
                if (i < n && text[i] == '\n') ++i;
                ++line;
                rowDone = true;
            }
        }
        const bool blank = row.fields.size() == 1 && row.fields[0].empty();
        if (!blank) result.rows.push_back(std::move(row));
    }
    return result;
}

char guessSeparator(std::string_view text) {
    const auto firstLine = text.substr(0, text.find_first_of("\r\n"));
    return firstLine.find(',') == std::string_view::npos && firstLine.find(';') != std::string_view::npos ? ';' : ',';
}

std::string field(std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

void appendRecord(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out.push_back(',');
        out += field(fields[i]);
    }
    out += "\r\n";
}

std::string record(const std::vector<std::string>& fields) {
    std::string out;
    appendRecord(out, fields);
    return out;
}

}  // namespace tramond::csv
