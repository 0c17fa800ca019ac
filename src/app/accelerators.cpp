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

std::vector<std::string> uniqueAccelerators(const std::vector<std::string>& captions) {
    std::vector<std::string> out(captions.size());
    std::vector<bool> done(captions.size(), false);
    std::set<char> taken;
    // Marks the pack gave keep their letter when they do not clash.
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const char a = acceleratorOf(captions[i]);
        if (a != 0 && taken.insert(a).second) {
            out[i] = captions[i];
            done[i] = true;
        }
    }
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (done[i]) continue;
        // What follows a TAB is a value or a shortcut, not part of the name.
        const auto tab = captions[i].find('\t');
        const std::string tail = tab == std::string::npos ? "" : captions[i].substr(tab);
        const std::string plain = withoutAccelerators(captions[i].substr(0, tab));
        std::size_t pick = std::string::npos;
        for (int pass = 0; pass < 2 && pick == std::string::npos; ++pass) {
            for (std::size_t k = 0; k < plain.size(); ++k) {
                const bool wordStart = k == 0 || !isLetter(plain[k - 1]);
                if (!isLetter(plain[k]) || (pass == 0 && !wordStart) || taken.count(folded(plain[k]))) continue;
                pick = k;
                break;
            }
        }
        if (pick != std::string::npos) taken.insert(folded(plain[pick]));
        out[i] = markAt(plain, pick) + tail;
    }
    return out;
}

}  // namespace tramond
