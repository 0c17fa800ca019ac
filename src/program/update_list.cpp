#include "program/update_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "program/file_io.h"

namespace tramond {
namespace {

constexpr std::uint32_t kLargestCode = 999'999'999;
constexpr std::size_t kCodeLength = 9;
constexpr std::size_t kPluLineLength = 22;

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string_view trimmed(std::string_view s) {
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!s.empty() && isSpace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && isSpace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// A change code of 9 digits, or a PLU line: an action letter and 21 digits.
bool isValidLine(std::string_view line) {
    if (line.size() == kCodeLength) return allDigits(line);
    if (line.size() == kPluLineLength)
        return (line[0] == 'R' || line[0] == 'N' || line[0] == 'D') && allDigits(line.substr(1));
    return false;
}

struct Contents {
    bool exists = false;
    std::string raw;
    std::vector<std::string> lines;  // sorted and unique
};

Contents readContents(const std::filesystem::path& file) {
    Contents c;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return c;
    const auto bytes = readFile(file);
    c.exists = true;
    c.raw.assign(bytes.begin(), bytes.end());
    c.lines = UpdateList::parse(c.raw);
    return c;
}

std::string render(const std::vector<std::string>& lines) {
    std::string out;
    out.reserve(lines.size() * (kCodeLength + 2));
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

// One read, one write (or none when the file already says exactly this).
void addAll(const std::filesystem::path& file, std::vector<std::string> added) {
    auto current = readContents(file);
    std::sort(added.begin(), added.end());
    added.erase(std::unique(added.begin(), added.end()), added.end());
    // A deleted PLU no longer needs its pending insert or replace. The
    // delete itself always stays: a pending insert does not mean the register
    // lacks the PLU, as an Update that was not followed by clearing the list
    // (unattended, one register of several, or answered No) leaves its lines
    // behind, and a delete of a code the register does not hold is harmless.
    for (const auto& line : added) {
        if (line.size() != kPluLineLength || line[0] != 'D') continue;
        const auto key = std::string_view(line).substr(1);
        std::erase_if(current.lines, [&](const std::string& l) {
            return l.size() == kPluLineLength && (l[0] == 'N' || l[0] == 'R') && std::string_view(l).substr(1) == key;
        });
    }
    std::vector<std::string> merged;
    merged.reserve(current.lines.size() + added.size());
    std::set_union(current.lines.begin(), current.lines.end(), added.begin(), added.end(),
                   std::back_inserter(merged));
    auto text = render(merged);
    if (current.exists && text == current.raw) return;
    writeTextFileAtomic(file, text);
}

std::string checkedLine(const std::string& line) {
    const auto t = trimmed(line);
    if (!isValidLine(t))
        throw std::invalid_argument("not an update-list line: \"" + line +
                                    "\" (9 digits, or R/N/D and 21 digits)");
    return std::string(t);
}

}  // namespace

std::string UpdateList::formatCode(std::uint32_t code) {
    if (code > kLargestCode)
        throw std::out_of_range("change code " + std::to_string(code) + " has more than 9 digits");
    char buf[16];
    std::snprintf(buf, sizeof buf, "%09u", static_cast<unsigned>(code));
    return buf;
}

void UpdateList::mark(std::uint32_t code) const {
    addAll(file_, {formatCode(code)});
}

void UpdateList::markMany(std::span<const std::uint32_t> codes) const {
    std::vector<std::string> added;
    added.reserve(codes.size());
    for (auto c : codes) added.push_back(formatCode(c));
    addAll(file_, std::move(added));
}

void UpdateList::markLine(const std::string& line) const {
    addAll(file_, {checkedLine(line)});
}

void UpdateList::markLines(std::span<const std::string> lines) const {
    std::vector<std::string> added;
    added.reserve(lines.size());
    for (const auto& l : lines) added.push_back(checkedLine(l));
    addAll(file_, std::move(added));
}

std::vector<std::string> UpdateList::parse(std::string_view text) {
    // Every line is kept, hand-made ones too: Update Register sends or
    // refuses them with a message, and dropping them would lose a change.
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        const auto line = trimmed(text.substr(0, nl));
        if (!line.empty()) lines.emplace_back(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

std::vector<std::string> UpdateList::lines() const {
    return readContents(file_).lines;
}

void UpdateList::ensureExists() const {
    std::error_code ec;
    if (std::filesystem::exists(file_, ec)) {
        if (std::filesystem::is_directory(file_, ec))
            throw FileError("Cannot use \"" + file_.string() +
                            "\" as update list: it is a directory");
        return;
    }
    writeTextFileAtomic(file_, std::string());
}

void UpdateList::clear() const {
    writeTextFileAtomic(file_, std::string());
}

std::string pluUpdateLine(char action, std::string_view codeDigits, int record) {
    std::string out(22, '0');
    out[0] = action;
    if (codeDigits.size() > 14) codeDigits = codeDigits.substr(codeDigits.size() - 14);
    std::copy(codeDigits.begin(), codeDigits.end(), out.begin() + static_cast<std::ptrdiff_t>(15 - codeDigits.size()));
    char number[16];
    std::snprintf(number, sizeof number, "%05d", record);
    std::copy_n(number, 5, out.begin() + 15);
    return out;
}

std::string pluUpdateLine(char action, std::span<const std::uint8_t> codeField, int record) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    for (auto it = codeField.rbegin(); it != codeField.rend(); ++it) {
        digits.push_back(kDigits[*it >> 4]);
        digits.push_back(kDigits[*it & 15]);
    }
    return pluUpdateLine(action, digits, record);
}

}  // namespace tramond
