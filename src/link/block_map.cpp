#include "link/block_map.h"

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

constexpr std::array<KindBlock, 16> kKinds = {{
    {".cor", 300, 400, 20, 1, {0}, 0},
    {".cur", 400, 500, 31, 1, {0}, 0},
    {".dis", 500, 600, 28, 1, {0}, 0},
    {".drw", 600, 700, 20, 1, {0}, 0},
    {".pbf", 700, 800, 20, 1, {0}, 0},
    {".por", 800, 900, 22, 1, {0}, 0},
    {".tnd", 900, 1000, 30, 1, {0}, 0},
    {".mod", 1000, 2100, 28, 1, {0}, 0},
    {".sps", 2100, 2900, 27, 1, {0}, 0},
    {".tax", 2900, 3000, 25, 1, {0}, 0},
    {".clk", 3000, 4000, 78, 2, {0, 2}, 0},
    {".grp", 4000, 4500, 29, 1, {0}, 0},
    {".con", 4500, 5000, 140, 1, {0}, 0},
    {".dpt", 5000, 10000, 39, 2, {0, 2}, 0},
    {".plu", 10000, 60000, 137, 2, {0, 34}, 0},  // and 82 without random codes
    {".pbr", 60000, 65535, 32, 0, {}, kAppPbInfoCountOffset},
}};

}  // namespace

std::span<const SystemBlock> systemBlocks() { return kSystemBlocks; }
std::span<const KindBlock> kindBlocks() { return kKinds; }

const SystemBlock* findSystemBlock(std::uint32_t number) {
    for (const auto& b : kSystemBlocks)
        if (b.number == number) return &b;
    return nullptr;
}

const KindBlock* findKindForRecord(std::uint32_t number) {
    for (const auto& k : kKinds)
        if (number > k.base && number <= k.lastNumber) return &k;
    return nullptr;
}

const KindBlock* findKindByBase(std::uint32_t base) {
    for (const auto& k : kKinds)
        if (k.base == base) return &k;
    return nullptr;
}

const KindBlock* findKindByExtension(std::string_view extension) {
    for (const auto& k : kKinds)
        if (k.extension == extension) return &k;
    return nullptr;
}

std::uint32_t kindCount(const ApplicationBlock& app, const KindBlock& kind) {
    if (kind.countOffset != 0) return app.u16(kind.countOffset);
    const SystemBlock* h = findSystemBlock(kind.base);
    return h ? app.u16(h->offset) : 0;
}

void swapWord(std::span<std::uint8_t> data, std::size_t offset) {
    if (offset + 2 <= data.size()) std::swap(data[offset], data[offset + 1]);
}

void swapSystemBlock(const SystemBlock& block, std::span<std::uint8_t> data) {
    switch (block.swap) {
    case SwapRule::None:
        break;
    case SwapRule::Words:
        for (int i = 0; i < block.wordCount; ++i) swapWord(data, block.words[i]);
        break;
    case SwapRule::AllWords:
        for (std::size_t o = 0; o + 2 <= data.size(); o += 2) swapWord(data, o);
        break;
    case SwapRule::AllLongs:
        for (std::size_t o = 0; o + 4 <= data.size(); o += 4) {
            std::swap(data[o], data[o + 3]);
            std::swap(data[o + 1], data[o + 2]);
        }
        break;
    }
}

void swapRecord(const KindBlock& kind, std::span<std::uint8_t> record, std::uint8_t pluRandomCodeSize) {
    for (int i = 0; i < kind.wordCount; ++i) swapWord(record, kind.words[i]);
    if (kind.base == 10000 && pluRandomCodeSize == 0) swapWord(record, 82);
}

void swapChkBlock(std::span<std::uint8_t> block) {
    for (std::size_t o = 0; o < 28; o += 2) swapWord(block, o);
    for (std::size_t o : {114u, 128u, 142u, 156u}) swapWord(block, o);
}

void swapCustomerRecord(std::span<std::uint8_t> record) { swapWord(record, 0); }

std::vector<std::uint8_t> systemBlockToWire(const ApplicationBlock& app, const TextBlock& text,
                                            const SystemBlock& block) {
    auto src = block.area == BlockArea::Application ? app.slice(block.offset, block.length)
                                                    : text.slice(block.offset, block.length);
    std::vector<std::uint8_t> out(src.begin(), src.end());
    swapSystemBlock(block, out);
    return out;
}

void systemBlockFromWire(ApplicationBlock& app, TextBlock& text, const SystemBlock& block,
                         std::span<const std::uint8_t> wire) {
    auto dst = block.area == BlockArea::Application ? app.slice(block.offset, block.length)
                                                    : text.slice(block.offset, block.length);
    const std::size_t n = std::min(dst.size(), wire.size());
    std::copy_n(wire.begin(), n, dst.begin());
    swapSystemBlock(block, dst.first(n - n % (block.swap == SwapRule::AllLongs ? 4 : 1)));
    if (block.number == kBlockApplicationCheck)
        std::fill_n(dst.begin() + kBlock3ClearedOffset, kBlock3ClearedLength, std::uint8_t{0});
}

}  // namespace tramond
