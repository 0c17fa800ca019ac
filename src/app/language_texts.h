#pragma once
// The language text table: entries 0..1099, each at most 40 characters,
// held as UTF-8. A control bound to text n is visible only when the text is
// non-empty and enabled only when it does not begin with a blank.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace tramond {

// Removes accelerator marks: each single "&" is dropped, "&&" becomes "&".
std::string withoutAccelerators(std::string_view text);

class LanguageTexts {
public:
    static constexpr int kCount = 1100;

    // The English table compiled into the executable.
    static const LanguageTexts& builtIn();

    const std::string& text(int n) const;  // "" for an out-of-range n
    void setText(int n, std::string value);
    bool visible(int n) const { return !text(n).empty(); }
    bool enabled(int n) const { return visible(n) && text(n)[0] != ' '; }

    // The text as a window title or tool-bar hint shows it: every single "&"
    // dropped, "&&" kept as one "&".
    std::string plain(int n) const;

private:
    std::array<std::string, kCount> texts_{};
};

}  // namespace tramond
