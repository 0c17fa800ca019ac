#include "app/language_texts.h"

#include <charconv>
#include <string_view>

namespace tramond {

namespace detail {
extern const std::string_view kBuiltInLanguageTable;
}

namespace {

LanguageTexts parseBuiltIn() {
    LanguageTexts table;
    std::string_view rest = detail::kBuiltInLanguageTable;
    while (!rest.empty()) {
        const auto eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string_view::npos) continue;
        int n = -1;
        const auto [end, ec] = std::from_chars(line.data(), line.data() + tab, n);
        if (ec != std::errc{} || end != line.data() + tab) continue;  // the column header
        std::string_view text = line.substr(tab + 1);
        text = text.substr(0, text.find('\t'));
        table.setText(n, std::string(text));
    }
    return table;
}

}  // namespace

const LanguageTexts& LanguageTexts::builtIn() {
    static const LanguageTexts table = parseBuiltIn();
    return table;
}

const std::string& LanguageTexts::text(int n) const {
    static const std::string empty;
    if (n < 0 || n >= kCount) return empty;
    return texts_[static_cast<std::size_t>(n)];
}

void LanguageTexts::setText(int n, std::string value) {
    if (n < 0 || n >= kCount) return;
    texts_[static_cast<std::size_t>(n)] = std::move(value);
}

std::string LanguageTexts::plain(int n) const { return withoutAccelerators(text(n)); }

std::string withoutAccelerators(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';  // "&&" stands for one ampersand
            ++i;
        }
    }
    return out;
}

}  // namespace tramond
