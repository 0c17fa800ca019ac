#include "app/accelerators.h"

#include <cctype>
#include <functional>
#include <map>
#include <set>

#include "app/language_texts.h"

namespace tramond {
namespace {

bool isLetter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Position in the plain text of the marked character, or npos.
std::size_t markedPosition(const std::string& caption) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            if (caption[i + 1] == '&') {
                ++i;
                ++plain;
                continue;
            }
            return isLetter(caption[i + 1]) ? plain : std::string::npos;
        }
        ++plain;
    }
    return std::string::npos;
}

// The plain text with a mark before position `at`, "&" doubled.
std::string markAt(const std::string& plain, std::size_t at) {
    std::string out;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (i == at) out += '&';
        out += plain[i];
        if (plain[i] == '&') out += '&';
    }
    return out;
}

}  // namespace

char acceleratorOf(const std::string& caption) {
    const auto at = markedPosition(caption);
    if (at == std::string::npos) return 0;
    return folded(withoutAccelerators(caption)[at]);
}

std::vector<std::string> uniqueAccelerators(const std::vector<std::string>& captions) {
    struct Entry {
        std::string plain;                // the name without marks, before any TAB
        std::string tail;                 // TAB and what follows
        std::vector<std::size_t> places;  // candidate positions, best first, one per letter
        std::size_t own = std::string::npos;
    };
    std::vector<Entry> entries(captions.size());
    for (std::size_t i = 0; i < captions.size(); ++i) {
        auto& e = entries[i];
        // What follows a TAB is a value or a shortcut, not part of the name.
        const auto tab = captions[i].find('\t');
        const auto head = captions[i].substr(0, tab);
        e.tail = tab == std::string::npos ? "" : captions[i].substr(tab);
        e.plain = withoutAccelerators(head);
        e.own = markedPosition(head);
        std::set<char> letters;
        const auto consider = [&](std::size_t k) {
            if (k < e.plain.size() && isLetter(e.plain[k]) && letters.insert(folded(e.plain[k])).second)
                e.places.push_back(k);
        };
        consider(e.own);
        for (std::size_t k = 0; k < e.plain.size(); ++k)
            if (k == 0 || !isLetter(e.plain[k - 1])) consider(k);
        for (std::size_t k = 0; k < e.plain.size(); ++k) consider(k);
    }

    // A matching of captions to letters. The pack's own marks go first, first
    // come first served; the others take free letters in order, and only a
    // caption left without one moves others along (augmenting paths), a
    // pack's mark last of all.
    std::map<char, std::size_t> owner;
    std::vector<std::size_t> chosen(captions.size(), std::string::npos);
    std::vector<bool> fixed(captions.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (e.own == std::string::npos || e.own >= e.plain.size()) continue;
        if (owner.emplace(folded(e.plain[e.own]), i).second) {
            chosen[i] = e.own;
            fixed[i] = true;
        }
    }
    std::set<char> visited;
    // level 0 takes free letters only; 1 may move captions placed here; 2
    // may move the pack's marks too.
    std::function<bool(std::size_t, int)> place = [&](std::size_t i, int level) {
        for (const auto k : entries[i].places) {
            const char c = folded(entries[i].plain[k]);
            if (!visited.insert(c).second) continue;
            const auto it = owner.find(c);
            const bool free = it == owner.end();
            if (free || (level > 0 && (level > 1 || !fixed[it->second]) && place(it->second, level))) {
                owner[c] = i;
                chosen[i] = k;
                return true;
            }
        }
        return false;
    };
    for (int level = 0; level < 3; ++level)
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (chosen[i] != std::string::npos) continue;
            visited.clear();
            place(i, level);
        }

    std::vector<std::string> out(captions.size());
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (fixed[i] && chosen[i] == entries[i].own) {
            out[i] = captions[i];  // untouched, as the pack wrote it
            continue;
        }
        out[i] = markAt(entries[i].plain, chosen[i]) + entries[i].tail;
    }
    return out;
}

}  // namespace tramond
