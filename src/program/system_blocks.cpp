#include "program/system_blocks.h"

#include <algorithm>
#include <array>

namespace tramond {
namespace {

using A = BlockArea;
using S = SwapRule;

constexpr SystemBlock app(std::uint16_t n, std::uint16_t off, std::uint16_t len) {
    return {n, A::Application, off, len, S::None, 0, {}, false};
}
constexpr SystemBlock appAll(std::uint16_t n, std::uint16_t off, std::uint16_t len) {
    return {n, A::Application, off, len, S::AllWords, 0, {}, false};
}
constexpr SystemBlock appWords(std::uint16_t n, std::uint16_t off, std::uint16_t len,
                               std::initializer_list<std::uint8_t> w, bool header = false) {
    SystemBlock b{n, A::Application, off, len, S::Words, 0, {}, header};
    for (auto x : w) b.words[b.wordCount++] = x;
    return b;
}
constexpr SystemBlock header(std::uint16_t n, std::uint16_t off, std::uint16_t len,
                             std::initializer_list<std::uint8_t> w) {
    return appWords(n, off, len, w, true);
}
constexpr SystemBlock txt(std::uint16_t n, std::uint16_t off, std::uint16_t len) {
    return {n, A::Text, off, len, S::None, 0, {}, false};
}

constexpr auto kSystemBlocks = [] {
    std::array<SystemBlock, 81> t{};
    std::size_t i = 0;
    auto add = [&](SystemBlock b) { t[i++] = b; };
    add(app(19, 0, 24));
    add(app(20, 24, 22));
    add(app(2, 46, 150));
    add(app(120, 196, 64));
    add(app(121, 260, 64));
    add(app(122, 324, 41));
    add(appAll(11, 365, 64));
    add(appAll(12, 429, 64));
    add(appAll(13, 493, 64));
    add(appAll(14, 557, 64));
    add(appAll(15, 621, 64));
    add(appAll(16, 685, 18));
    add({3, A::Application, 703, 128, S::AllLongs, 0, {}, false});
    add(header(3000, 959, 7, {0, 2}));
    add(header(300, 966, 46, {0, 2}));
    add(header(400, 1012, 46, {0, 2}));
    add(app(5, 1058, 1));
    add(header(5000, 1059, 46, {0, 2}));
    add(header(500, 1105, 46, {0, 2}));
    add(header(600, 1151, 46, {0, 2}));
    add(appWords(21, 1197, 138, {0, 46, 92}));
    add(appWords(22, 1335, 138, {0, 46, 92}));
    add(appWords(23, 1473, 138, {0, 46, 92}));
    add(header(4000, 2117, 46, {0, 2}));
    add(header(1000, 2163, 3, {0}));
    add(app(6, 2166, 1));
    add(header(700, 2167, 60, {0, 2, 6, 14, 16, 18}));
    add(header(10000, 2227, 55, {0, 2, 4}));
    add(header(800, 2282, 46, {0, 2}));
    add(header(2900, 2328, 47, {0, 2}));
    add(header(900, 2375, 46, {0, 2}));
    add(appWords(8, 2421, 42, {0}));
    add(appAll(7, 2463, 98));
    add(header(2100, 2561, 5, {0, 2}));
    add(appWords(93, 2566, 18, {4}));
    add(header(4500, 2584, 5, {0, 2}));
    add(app(80, 2589, 48));
    add(appWords(81, 2637, 2, {0}));
    add(appWords(82, 2639, 2, {0}));
    add(app(83, 2641, 6));
    add(app(84, 2647, 4));
    // Text block.
    for (std::uint16_t b = 30; b <= 35; ++b) add(txt(b, static_cast<std::uint16_t>(238 * (b - 30)), 238));
    add(txt(36, 1428, 170));
    add(txt(37, 1598, 102));
    add(txt(60, 1700, 119));
    add(txt(70, 1819, 192));
    add(txt(71, 2011, 192));
    add(txt(94, 2203, 144));
    for (std::uint16_t b = 40; b <= 51; ++b) add(txt(b, static_cast<std::uint16_t>(2347 + 240 * (b - 40)), 240));
    add(txt(62, 5227, 204));
    add(txt(65, 5431, 200));
    add(txt(66, 5631, 200));
    add(txt(76, 5831, 240));
    add(txt(77, 6071, 200));
    add(txt(73, 6271, 192));
    add(txt(74, 6463, 192));
    add(txt(96, 6655, 144));
    for (std::uint16_t b = 52; b <= 57; ++b) add(txt(b, static_cast<std::uint16_t>(6799 + 238 * (b - 52)), 238));
    add(txt(58, 8227, 170));
    add(txt(59, 8397, 102));
    if (i != t.size()) throw "system block table size";  // fails the build
    return t;
}();

}  // namespace

std::span<const SystemBlock> systemBlocks() { return kSystemBlocks; }

const SystemBlock* findSystemBlock(std::uint32_t number) {
    for (const auto& b : kSystemBlocks)
        if (b.number == number) return &b;
    return nullptr;
}

std::vector<std::uint16_t> changedApplicationBlocks(const ApplicationBlock& before,
                                                    const ApplicationBlock& after) {
    std::vector<std::uint16_t> numbers;
    const auto a = before.bytes();
    const auto b = after.bytes();
    for (const auto& block : kSystemBlocks) {
        if (block.area != BlockArea::Application) continue;
        const auto first = a.begin() + block.offset;
        if (!std::equal(first, first + block.length, b.begin() + block.offset)) numbers.push_back(block.number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

}  // namespace tramond
