#include "app/accelerators.h"

#include <cctype>
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

std::vector<std::string> uniqueAccelerators(const std::vector<std::string>& captions,
                                            const AcceleratorRules& rules) {
    struct Entry {
        std::string plain;                // the name without marks, before any TAB
        std::string tail;                 // TAB and what follows
        std::size_t own = std::string::npos;
        std::size_t chosen = std::string::npos;
        bool tools = false;               // the tool's own caption, not the pack's
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
        if (e.own >= e.plain.size()) e.own = std::string::npos;
        e.tools = i < rules.ownCaption.size() && rules.ownCaption[i];
    }
    std::set<char> taken;
    const auto claim = [&](Entry& e, std::size_t k) {
        if (e.chosen != std::string::npos || k >= e.plain.size() || !isLetter(e.plain[k])) return;
        if (taken.insert(folded(e.plain[k])).second) e.chosen = k;
    };
    // A free letter of the caption itself: a word start first, then any. The
    // choice depends only on the caption and the letters taken, so a caption
    // keeps its letter wherever it meets the same neighbours.
    const auto chooseFree = [&](Entry& e) {
        for (std::size_t k = 0; k < e.plain.size(); ++k)
            if (k == 0 || !isLetter(e.plain[k - 1])) claim(e, k);
        for (std::size_t k = 0; k < e.plain.size(); ++k) claim(e, k);
    };
    // The pack's letters are what dealers know: each stays where the pack
    // put it unless an earlier caption has that letter; the later caption of
    // such a clash moves to a free letter of its own.
    for (auto& e : entries)
        if (!e.tools && e.own != std::string::npos) claim(e, e.own);
    for (auto& e : entries)
        if (!e.tools && e.own != std::string::npos) chooseFree(e);
    // The tool's own captions give way to the pack's.
    for (auto& e : entries)
        if (e.tools && e.own != std::string::npos) {
            claim(e, e.own);
            chooseFree(e);
        }
    if (rules.markUnmarked)
        for (auto& e : entries)
            if (e.own == std::string::npos) chooseFree(e);

    std::vector<std::string> out(captions.size());
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const auto& e = entries[i];
        if (e.chosen != std::string::npos && e.chosen == e.own) {
            out[i] = captions[i];  // untouched, as written
            continue;
        }
        // A caption without a mark that was to stay so is left as it is.
        out[i] = e.own == std::string::npos && e.chosen == std::string::npos ? captions[i]
                                                                            : markAt(e.plain, e.chosen) + e.tail;
    }
    return out;
}

}  // namespace tramond
