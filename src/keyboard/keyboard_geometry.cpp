#include "keyboard/keyboard_geometry.h"

#include <algorithm>
#include <cmath>

namespace tramond {
namespace {

constexpr int kTallKey = 47;

bool hasTallKey(int keyboardType) { return keyboardType == 2 || keyboardType == 6; }

// Bytes of the UTF-8 character starting at s[i].
std::size_t charLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    return std::min(n, s.size() - i);
}

void wrapParagraph(std::string_view text, double width, const std::function<double(std::string_view)>& measure,
                   std::vector<std::string>& out) {
    while (!text.empty()) {
        if (measure(text) <= width) {
            out.emplace_back(text);
            return;
        }
        // The longest prefix that fits, by whole characters.
        std::size_t fit = 0;
        for (std::size_t i = 0; i < text.size();) {
            const auto next = i + charLength(text, i);
            if (measure(text.substr(0, next)) > width) break;
            fit = i = next;
        }
        std::size_t cut;
        std::size_t resume;
        if (const auto blank = text.substr(0, fit + 1).rfind(' '); blank != std::string_view::npos && blank > 0) {
            cut = blank;
            resume = blank + 1;
        } else {
            cut = fit == 0 ? charLength(text, 0) : fit;  // at least one character per line
            resume = cut;
        }
        auto line = text.substr(0, cut);
        while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
        out.emplace_back(line);
        text.remove_prefix(resume);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
}

}  // namespace

KeyRect ScreenGeometry::keyRect(int p) const {
    const double s = scale();
    KeyRect r{(keyColumn(p) * pitchX() + 5) * s, (keyRow(p) * pitchY() + 5) * s, pitchX() * s, pitchY() * s};
    if (p == kTallKey && hasTallKey(keyboardType)) r.height *= 2;
    return r;
}

int ScreenGeometry::coveredPosition() const { return hasTallKey(keyboardType) ? kTallKey + kKeyColumns : -1; }

std::optional<int> ScreenGeometry::positionAt(double x, double y) const {
    // In 96-dpi units; the left and top edges (x = 5) belong to no key.
    const double ux = x / scale() - 5, uy = y / scale() - 5;
    if (ux <= 0 || uy <= 0) return std::nullopt;
    const int c = static_cast<int>(std::floor(ux / pitchX()));
    const int r = static_cast<int>(std::floor(uy / pitchY()));
    if (c >= kKeyColumns || r >= kKeyRows) return std::nullopt;
    const int p = r * kKeyColumns + c;
    return p == coveredPosition() ? kTallKey : p;
}

double screenFontSize(int storedSize, double keyHeightPixels, double dpi) {
    return storedSize * keyHeightPixels / (dpi * 15.0 / 26.0);
}

PrintGeometry PrintGeometry::formula(double pageWidth, double pageHeight) {
    const double unitW = pageWidth * 0.087543, unitH = pageHeight * 0.12381;
    return {0, 0, unitW * kPrintedKeyAcross / 26, unitH * kPrintedKeyDown / 26, unitH * kPrintedEdgeRowDown / 26};
}

PrintGeometry PrintGeometry::fitted(double left, double top, double areaWidth, double areaHeight) {
    const double across = kKeyColumns * kPrintedKeyAcross;
    const double down = 2 * kPrintedEdgeRowDown + (kKeyRows - 2) * kPrintedKeyDown;
    const double s = std::max(0.0, std::min(areaWidth / across, areaHeight / down));
    return {left + (areaWidth - across * s) / 2, top, kPrintedKeyAcross * s, kPrintedKeyDown * s,
            kPrintedEdgeRowDown * s};
}

PrintGeometry PrintGeometry::trueScale(double left, double top, double pitchAcross, double pitchDown) {
    return {left, top, pitchAcross, pitchDown, pitchDown * kPrintedEdgeRowDown / kPrintedKeyDown};
}

double PrintGeometry::rowTop(int row) const {
    if (row <= 0) return top;
    return top + edgeRowPitch + (row - 1) * rowPitch;
}

KeyRect PrintGeometry::keyRect(int p) const {
    const int r = keyRow(p);
    return {left + keyColumn(p) * keyWidth, rowTop(r), keyWidth, rowHeight(r)};
}

std::optional<PrintedPageLayout> layoutPrintedPage(double areaWidth, double areaHeight, double titleHeight,
                                                   double titleColumn,
                                                   std::optional<std::pair<double, double>> pitch) {
    const double gap = titleHeight / 2;
    const double below = titleHeight + gap;
    if (!pitch) {
        if (areaHeight <= below) return std::nullopt;
        return PrintedPageLayout{PrintGeometry::fitted(0, below, areaWidth, areaHeight - below),
                                 {0, 0, areaWidth, titleHeight}};
    }
    auto board = PrintGeometry::trueScale(0, 0, pitch->first, pitch->second);
    // The board's own size is what the dealer asked for; rounding may add a hair.
    const double slack = 1e-6 * (areaWidth + areaHeight);
    if (board.boardWidth() > areaWidth + slack || board.boardHeight() > areaHeight + slack) return std::nullopt;
    if (board.boardHeight() + below <= areaHeight + slack) {
        board.left = (areaWidth - board.boardWidth()) / 2;
        board.top = below;
        return PrintedPageLayout{board, {0, 0, areaWidth, titleHeight}};
    }
    const double column = areaWidth - board.boardWidth() - gap;
    if (column < titleColumn) return std::nullopt;
    return PrintedPageLayout{board, {board.boardWidth() + gap, 0, column, areaHeight}, true};
}

std::vector<std::string> wrapKeyText(std::string_view text, double width,
                                     const std::function<double(std::string_view)>& measure) {
    std::vector<std::string> out;
    while (true) {
        const auto nl = text.find('\n');
        auto para = text.substr(0, nl);
        if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
        if (para.empty())
            out.emplace_back();
        else
            wrapParagraph(para, width, measure, out);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return out;
}

namespace {

// Each paragraph without the blanks at its ends (they would only shift the
// centred line, and a leading one would hide the first break).
std::string trimmedParagraphs(std::string_view text) {
    std::string out;
    while (true) {
        const auto nl = text.find('\n');
        auto para = text.substr(0, nl);
        while (!para.empty() && (para.back() == ' ' || para.back() == '\r')) para.remove_suffix(1);
        while (!para.empty() && para.front() == ' ') para.remove_prefix(1);
        out += para;
        if (nl == std::string_view::npos) return out;
        out += '\n';
        text.remove_prefix(nl + 1);
    }
}

template <typename F>
void forEachWord(std::string_view text, F&& f) {
    while (!text.empty()) {
        const auto end = text.find_first_of(" \n");
        if (end != 0) f(text.substr(0, end));
        if (end == std::string_view::npos) return;
        text.remove_prefix(end + 1);
    }
}

// Lines broken between words only; nullopt when a word is wider than width.
std::optional<std::vector<std::string>> wordLines(std::string_view text, double width,
                                                  const std::function<double(std::string_view)>& measure) {
    bool fits = true;
    forEachWord(text, [&](std::string_view word) { fits = fits && measure(word) <= width; });
    if (!fits) return std::nullopt;
    return wrapKeyText(text, width, measure);
}

// The longest prefix of text (whole characters) that fits with the mark after it.
std::string elided(std::string_view text, double width, const std::function<double(std::string_view)>& measure) {
    std::string best(kElisionMark);
    for (std::size_t i = 0; i < text.size();) {
        const auto next = i + charLength(text, i);
        std::string candidate(text.substr(0, next));
        while (!candidate.empty() && candidate.back() == ' ') candidate.pop_back();
        candidate += kElisionMark;
        if (measure(candidate) > width) break;
        best = std::move(candidate);
        i = next;
    }
    return best;
}

}  // namespace

KeyTextFit fitKeyText(std::string_view text, double width, double height, double size, double minimum,
                      const std::function<double(std::string_view, double)>& measure,
                      const std::function<double(double)>& lineHeight) {
    const std::string trimmed = trimmedParagraphs(text);
    text = trimmed;
    minimum = std::min(minimum, size);
    // Steps of about 4 %: a caption shrinks no more than it must.
    for (double s = size;; s = std::max(minimum, s * 0.96)) {
        const auto at = [&](std::string_view piece) { return measure(piece, s); };
        if (auto lines = wordLines(text, width, at)) {
            if (static_cast<double>(lines->size()) * lineHeight(s) <= height + 1e-9)
                return {s, std::move(*lines), false};
        }
        if (s <= minimum) break;
    }
    // Even the minimum is too large: words too wide are cut, lines beyond
    // the height dropped, each cut marked.
    const auto at = [&](std::string_view piece) { return measure(piece, minimum); };
    KeyTextFit fit{minimum, {}, false};
    const std::size_t room =
        std::max<std::size_t>(1, static_cast<std::size_t>((height + 1e-9) / std::max(1e-9, lineHeight(minimum))));
    std::vector<std::string> lines;
    std::string_view rest = text;
    while (true) {
        const auto nl = rest.find('\n');
        auto para = rest.substr(0, nl);
        if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
        // Words wider than the key are cut first, so the wrap breaks between words only.
        std::string words;
        std::string_view p = para;
        while (!p.empty()) {
            const auto blank = p.find(' ');
            const auto word = p.substr(0, blank);
            if (!words.empty() && !word.empty()) words += ' ';
            if (at(word) > width) {
                words += elided(word, width, at);
                fit.elided = true;
            } else {
                words += word;
            }
            if (blank == std::string_view::npos) break;
            p.remove_prefix(blank + 1);
        }
        for (auto& l : wrapKeyText(words, width, at)) lines.push_back(std::move(l));
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
    if (lines.size() > room) {
        lines.resize(room);
        auto& last = lines.back();
        if (at(last + std::string(kElisionMark)) <= width)
            last += kElisionMark;
        else
            last = elided(last, width, at);
        fit.elided = true;
    }
    fit.lines = std::move(lines);
    return fit;
}

}  // namespace tramond
