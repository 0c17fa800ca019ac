#include "program/setup_common.h"

#include "program/file_io.h"

namespace tramond::setup {

std::optional<long> parseNumber(std::string_view text, long max) {
    if (text.empty()) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        // Stop before a long run of digits can overflow.
        if (value > max) return std::nullopt;
    }
    return value;
}

std::optional<long> parseNumberOrZero(std::string_view text, long max) {
    if (text.empty()) return 0L;
    return parseNumber(text, max);
}

void writeApplicationFile(const ProgramSession& session) {
    if (!session.loaded || session.programPath.empty()) return;
    writeFileAtomic(session.programPath, session.app.bytes());
}

}  // namespace tramond::setup
