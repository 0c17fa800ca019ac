#include "link/block_map.h"

#include <algorithm>
#include <array>

namespace tramond {
namespace {

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

std::span<const KindBlock> kindBlocks() { return kKinds; }

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
