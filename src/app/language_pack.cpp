#include "app/language_pack.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/program_dir.h"
#include "program/file_io.h"

namespace tramond {

namespace {

constexpr std::size_t kMaxLineChars = 49;
constexpr std::size_t kMaxTextChars = 39;

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Packs made for the Windows tool are in code page 1252.
std::string windows1252ToUtf8(std::string_view s) {
    static constexpr std::array<char16_t, 32> k80 = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c);
    }
    return out;
}

// Byte length of the first n characters of valid UTF-8.
std::size_t prefixBytes(std::string_view s, std::size_t chars) {
    std::size_t i = 0;
    while (i < s.size() && chars > 0) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        --chars;
    }
    return i;
}

bool parseEntryNumber(std::string_view s, int& n) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    std::size_t j = s.size();
    while (j > i && s[j - 1] == ' ') --j;
    if (i == j) return false;
    const auto [end, ec] = std::from_chars(s.data() + i, s.data() + j, n);
    return ec == std::errc{} && end == s.data() + j;
}

void readLine(LanguageTexts& table, std::string line, int& set) {
    if (!validUtf8(line)) line = windows1252ToUtf8(line);
    line.resize(prefixBytes(line, kMaxLineChars));
    const auto comma = line.find(',');
    if (comma == std::string::npos) return;
    int n = 0;
    if (!parseEntryNumber(std::string_view(line).substr(0, comma), n)) return;
    if (n <= 0 || n > LanguageTexts::kCount) return;
    std::string_view text = std::string_view(line).substr(comma + 1);
    table.setText(n - 1, std::string(text.substr(0, prefixBytes(text, kMaxTextChars))));
    ++set;
}

void appendPackLine(std::string& out, int n, const std::string& text) {
    char number[16];
    std::snprintf(number, sizeof number, "%4d,", n + 1);
    out += number;
    out += text;
    out += "\r\n";
}

constexpr std::array<LanguageChoice, 7> kChoices = {{
    {"English", "Trmd_english.mwt", "english"},
    {"Dutch", "Trmd_dutch.mwt", "dutch"},
    {"French", "Trmd_french.mwt", "french"},
    {"German", "Trmd_german.mwt", "german"},
    {"Swedish", "Trmd_swedish.mwt", "swedish"},
    {"Finnish", "Trmd_finnish.mwt", "english"},
    {"Italian", "Trmd_italian.mwt", "italian"},
}};

// A copy that keeps an existing target: the file the user already has is
// as good as the one we would copy.
bool copyKeeping(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (std::filesystem::exists(to, ec)) return true;
    if (!std::filesystem::is_regular_file(from, ec)) return false;
    return std::filesystem::copy_file(from, to, ec) && !ec;
}

}  // namespace

void writeLanguagePack(LanguageTexts& table, const std::filesystem::path& file) {
    std::string out;
    for (int n = 0; n < LanguageTexts::kCount; ++n) {
        std::string text = table.text(n);
        if (text.empty()) continue;
        if (const auto u = text.find('_'); u != std::string::npos) text[u] = '&';
        if (n != kWebAddressText) {
            // A colon between two digits is part of the text ("24:00").
            const auto isDigit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (text[i] != ':') continue;
                if (i > 0 && i + 1 < text.size() && isDigit(i - 1) && isDigit(i + 1)) continue;
                text.resize(i);
                break;
            }
        }
        table.setText(n, text);
        appendPackLine(out, n, text);
    }
    writeTextFileAtomic(file, out);
}

std::string formatLanguagePack(const LanguageTexts& table) {
    std::string out;
    for (int n = 0; n < LanguageTexts::kCount; ++n)
        if (!table.text(n).empty()) appendPackLine(out, n, table.text(n));
    return out;
}

int readLanguagePack(LanguageTexts& table, std::istream& in) {
    int set = 0;
    std::string line;
    char ch = 0;
    bool pending = false;
    while (in.get(ch)) {
        if (ch == '\r') continue;
        if (ch == '\n') {
            readLine(table, std::move(line), set);
            line.clear();
            pending = false;
            continue;
        }
        // Far beyond any valid line: keep memory bounded on a corrupt file.
        if (line.size() < 4096) line += ch;
        pending = true;
    }
    if (pending) readLine(table, std::move(line), set);
    return set;
}

PackLoadResult loadLanguagePack(LanguageTexts& table, const std::filesystem::path& programDir) {
    PackLoadResult result;
    const auto file = programDir / kLanguagePackFile;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        writeLanguagePack(table, file);
        result.created = true;
        in.open(file, std::ios::binary);
        if (!in) throw FileError("cannot read " + file.string());
    }
    result.entries = readLanguagePack(table, in);
    return result;
}

std::span<const LanguageChoice> languageChoices() { return kChoices; }

bool languageAvailable(const LanguageChoice& choice, const std::filesystem::path& programDir,
                       const std::vector<std::filesystem::path>& resourceDirs) {
    return findResource(programDir, resourceDirs, std::filesystem::path("mwt Files") / std::string(choice.pack))
        .has_value();
}

std::vector<std::string> installLanguage(const LanguageChoice& choice,
                                         const std::filesystem::path& programDir,
                                         const std::vector<std::filesystem::path>& resourceDirs) {
    std::vector<std::string> failures;
    const auto source = [&](const std::filesystem::path& relative) {
        return findResource(programDir, resourceDirs, relative).value_or(programDir / relative);
    };
    const std::filesystem::path helpDir = std::filesystem::path("Help") / std::string(choice.help);
    if (!copyKeeping(source(std::filesystem::path("mwt Files") / std::string(choice.pack)),
                     programDir / kLanguagePackFile))
        failures.emplace_back("Attempt to copy mwt file has failed");
    if (!copyKeeping(source(helpDir / kHelpFile), programDir / kHelpFile))
        failures.emplace_back("Attempt to copy help file has failed");
    if (!copyKeeping(source(helpDir / kHelpIndexFile), programDir / kHelpIndexFile))
        failures.emplace_back("Attempt to copy help index file has failed");
    return failures;
}

}  // namespace tramond
