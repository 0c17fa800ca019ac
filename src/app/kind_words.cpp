#include "app/kind_words.h"

#include <algorithm>
#include <cctype>

#include "app/language_texts.h"
#include "app/main_menu.h"

namespace tramond {

namespace {

// What is compared: letters and digits only, in lower case.
std::string folded(std::string_view s) {
    std::string out;
    for (const unsigned char c : s)
        if (std::isalnum(c)) out += static_cast<char>(std::tolower(c));
    return out;
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::vector<KindName> buildTable() {
    std::vector<KindName> table;
    const auto& texts = LanguageTexts::builtIn();
    for (const auto& k : recordKinds()) {
        KindName n;
        n.kind = k.kind;
        n.word.assign(k.name);
        std::transform(n.word.begin(), n.word.end(), n.word.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::replace(n.word.begin(), n.word.end(), ' ', '-');
        std::replace(n.word.begin(), n.word.end(), '/', '-');
        n.aliases.emplace_back(k.extension);
        if (folded(k.name) != folded(n.word)) n.aliases.emplace_back(k.name);
        // The Edit menu's item of the kind, as the dealer reads it there.
        for (const auto& guard : editGuards()) {
            if (guard.kind != k.kind) continue;
            if (const auto* item = findMenuItemByHandler(guard.handler); item && item->text >= 0) {
                auto caption = trimmed(texts.plain(item->text));
                if (!caption.empty()) n.aliases.push_back(std::move(caption));
            }
        }
        table.push_back(std::move(n));
    }
    return table;
}

}  // namespace

std::span<const KindName> kindNames() {
    static const std::vector<KindName> table = buildTable();
    return table;
}

std::string kindWord(RecordKind kind) {
    for (const auto& n : kindNames())
        if (n.kind == kind) return n.word;
    return {};
}

std::optional<RecordKind> kindFromWord(std::string_view word) {
    const auto w = folded(word);
    if (w.empty()) return std::nullopt;
    for (const auto& n : kindNames()) {
        if (folded(n.word) == w) return n.kind;
        for (const auto& a : n.aliases)
            if (folded(a) == w) return n.kind;
    }
    return std::nullopt;
}

std::string kindList(std::span<const RecordKind> kinds) {
    std::string out;
    for (const auto kind : kinds) {
        out += out.empty() ? "" : ", ";
        out += kindWord(kind) + " (" + std::string(kindInfo(kind).extension) + ")";
    }
    return out;
}

}  // namespace tramond
