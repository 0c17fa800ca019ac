#include "link/update_plan.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "program/file_io.h"
#include "program/update_list.h"

namespace tramond {
namespace {

// A kind header's own code (400, 2900, ...) lies in its group's range too,
// but planUpdate takes it as a system block first: it travels from the
// application block, not from the group's file.
constexpr UpdateGroupInfo kGroups[] = {
    {".cor", 300, 301, 399},     {".cur", 400, 400, 499},    {".dis", 500, 500, 599},
    {".drw", 600, 600, 699},     {".pbf", 700, 700, 799},    {".por", 800, 800, 899},
    {".tnd", 900, 900, 999},     {".mod", 1000, 1000, 2099}, {".sps", 2100, 2100, 2900},
    {".tax", 2900, 2901, 2999},  {".clk", 3000, 3000, 3999}, {".grp", 4000, 4000, 4499},
    {".con", 4500, 4500, 4999},  {".dpt", 5000, 5000, 9999}, {".plu", 10000, 10000, 39999},
    {".pbr", 60000, 60001, 65000},
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// A change code: digits only. Anything longer than a 32-bit value is no
// block number and is treated as "another number" (ignored).
std::optional<std::uint64_t> asNumber(std::string_view s) {
    if (s.empty() || !std::all_of(s.begin(), s.end(), isDigit)) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s) {
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (v > 0xFFFFFFFFull) return std::uint64_t{0xFFFFFFFFull + 1};
    }
    return v;
}

const UpdateGroupInfo* groupFor(std::uint64_t code) {
    for (const auto& g : kGroups)
        if (code >= g.firstCode && code <= g.lastCode) return &g;
    return nullptr;
}

std::string_view columns(std::string_view line, std::size_t first, std::size_t last) {
    // 1-based, inclusive, clipped to the line.
    if (line.size() < first) return {};
    return line.substr(first - 1, std::min(last, line.size()) - (first - 1));
}

}  // namespace

std::span<const UpdateGroupInfo> updateGroups() { return kGroups; }

std::vector<std::string> readUpdateFileLines(const std::filesystem::path& file) {
    const auto bytes = readFile(file);
    return UpdateList::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

UpdatePlan planUpdate(const std::vector<std::string>& sortedLines, bool pluByCode) {
    UpdatePlan plan;
    std::vector<std::vector<std::uint32_t>> byGroup(std::size(kGroups));
    for (const auto& line : sortedLines) {
        const auto number = asNumber(line);
        if (!number) {
            if (!pluByCode) {
                plan.ignored.push_back(line);
                continue;
            }
            plan.pluLines.push_back(line);
            if (!line.empty() && line[0] == 'N') ++plan.newPluCount;
            continue;
        }
        if ((*number >= kFirstSystemChange && *number <= kLastSystemChange) || findSystemBlock(*number)) {
            plan.systemBlocks.push_back(static_cast<std::uint32_t>(*number));
            continue;
        }
        const auto* group = groupFor(*number);
        if (!group || (pluByCode && std::string_view(group->extension) == ".plu")) {
            plan.ignored.push_back(line);
            continue;
        }
        byGroup[static_cast<std::size_t>(group - kGroups)].push_back(
            static_cast<std::uint32_t>(*number));
    }
    // Text order equals numeric order only for codes of equal width; sort
    // numerically so that a hand-written short code lands in its place.
    std::sort(plan.systemBlocks.begin(), plan.systemBlocks.end());
    for (std::size_t i = 0; i < byGroup.size(); ++i) {
        if (byGroup[i].empty()) continue;
        std::sort(byGroup[i].begin(), byGroup[i].end());
        byGroup[i].erase(std::unique(byGroup[i].begin(), byGroup[i].end()), byGroup[i].end());
        plan.recordGroups.push_back({&kGroups[i], std::move(byGroup[i])});
    }
    plan.systemBlocks.erase(std::unique(plan.systemBlocks.begin(), plan.systemBlocks.end()),
                            plan.systemBlocks.end());
    return plan;
}

void dropStale(UpdatePlan& plan, const ApplicationBlock& app) {
    if (std::find(plan.systemBlocks.begin(), plan.systemBlocks.end(), kBlockApplicationCheck) == plan.systemBlocks.end())
        return;
    for (auto& group : plan.recordGroups) {
        const KindBlock* kind = findKindByBase(group.info->base);
        const std::uint32_t count = kind ? kindCount(app, *kind) : 0;
        std::erase_if(group.codes, [&](std::uint32_t code) {
            if (findSystemBlock(code) || code <= group.info->base || code - group.info->base <= count) return false;
            plan.stale.push_back(UpdateList::formatCode(code));
            return true;
        });
    }
    std::erase_if(plan.recordGroups, [](const UpdateRecordGroup& g) { return g.codes.empty(); });
    const long pluCount = app.u16(2227);
    std::erase_if(plan.pluLines, [&](const std::string& line) {
        if (pluCommandFor(line) == PluCommand::Delete) return false;
        const auto pos = pluLinePosition(line);
        if (!pos || *pos <= pluCount) return false;  // a bad position is reported, not dropped
        plan.stale.push_back(line);
        return true;
    });
    plan.newPluCount = static_cast<int>(std::count_if(plan.pluLines.begin(), plan.pluLines.end(),
                                                      [](const std::string& l) { return !l.empty() && l[0] == 'N'; }));
}

bool newPluEntriesFit(long pluCount, long newPlus, long usedPlus) {
    return (pluCount + newPlus - usedPlus) / 2 >= newPlus;
}

PluCommand pluCommandFor(std::string_view line) {
    if (!line.empty() && line[0] == 'N') return PluCommand::Insert;
    if (!line.empty() && line[0] == 'D') return PluCommand::Delete;
    return PluCommand::Replace;
}

std::array<std::uint8_t, 7> packPluLineCode(std::string_view line) {
    std::array<std::uint8_t, 7> out{};
    const auto code = columns(line, 2, 15);
    std::size_t nibble = 0;  // counts half-bytes filled
    for (auto it = code.rbegin(); it != code.rend() && nibble < out.size() * 2; ++it) {
        if (!isDigit(*it)) continue;
        const auto d = static_cast<std::uint8_t>(*it - '0');
        auto& byte = out[nibble / 2];
        byte = static_cast<std::uint8_t>(nibble % 2 == 0 ? (byte | d) : (byte | (d << 4)));
        ++nibble;
    }
    return out;
}

std::optional<long> pluLinePosition(std::string_view line) {
    const auto field = trimmed(columns(line, 16, 20));
    if (field.empty() || !std::all_of(field.begin(), field.end(), isDigit)) return std::nullopt;
    long v = 0;
    for (char c : field) v = v * 10 + (c - '0');
    return v;
}

std::array<std::uint8_t, kPluCommandSize> buildPluCommand(
    PluCommand command, std::string_view line,
    std::span<const std::uint8_t, kPluRecordSize> fileRecord) {
    std::array<std::uint8_t, kPluCommandSize> out{};
    const auto number = static_cast<std::uint16_t>(command);
    out[0] = 'U';
    out[1] = static_cast<std::uint8_t>(number >> 8);
    out[2] = static_cast<std::uint8_t>(number & 0xff);
    if (command == PluCommand::Delete) {
        const auto code = packPluLineCode(line);
        std::copy(code.begin(), code.end(), out.begin() + 3);
        return out;
    }
    std::copy(fileRecord.begin(), fileRecord.end(), out.begin() + 3);
    for (std::size_t word : {std::size_t{0}, std::size_t{34}})
        std::swap(out[3 + word], out[3 + word + 1]);
    return out;
}

}  // namespace tramond
