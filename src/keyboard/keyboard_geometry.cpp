#include "keyboard/keyboard_geometry.h"

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

double PrintGeometry::rowHeight(int row) const {
    return unitH() * (row == 0 || row == kKeyRows - 1 ? 12.231 : 15.9231) / 26;
}

double PrintGeometry::rowTop(int row) const {
    if (row == 0) return 0;
    return unitH() * 12.231 / 26 + (row - 1) * unitH() * 15.9231 / 26;
}

KeyRect PrintGeometry::keyRect(int p) const {
    const int r = keyRow(p);
    return {keyColumn(p) * keyWidth(), rowTop(r), keyWidth(), rowHeight(r)};
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

}  // namespace tramond
