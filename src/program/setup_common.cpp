#include "program/setup_common.h"

#include "program/file_io.h"
#include "program/program_changes.h"

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

namespace {
std::vector<std::uint8_t> applicationOnDisk(const ProgramSession& session) {
    try {
        if (session.loaded && !session.programPath.empty()) return readFile(session.programPath);
    } catch (const FileError&) {
    }
    return {};
}
}  // namespace

SetupCancel::SetupCancel(ProgramSession& session)
    : session_(session), snapshot_(session.app), disk_(applicationOnDisk(session)) {}

void SetupCancel::restore() {
    const auto now = applicationOnDisk(session_);
    if (now == disk_ || now.size() != ApplicationBlock::kSize) {
        session_.app = snapshot_;
        return;
    }
    std::copy(now.begin(), now.end(), session_.app.bytes().begin());
}

void writeApplicationFile(const ProgramSession& session) {
    if (!session.loaded || session.programPath.empty()) return;
    writeApplication(session);
}

}  // namespace tramond::setup
