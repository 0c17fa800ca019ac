#include "program/plu_numbering.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "program/file_io.h"
#include "program/file_set.h"
#include "program/program_changes.h"
#include "program/session.h"
#include "program/record_kinds.h"

namespace tramond {
namespace {

constexpr std::size_t kCode = 2;  // the PLU code in the record

std::string codeDigits(std::span<const std::uint8_t> code) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (auto it = code.rbegin(); it != code.rend(); ++it) {
        out.push_back(kHex[*it >> 4]);
        out.push_back(kHex[*it & 15]);
    }
    return out;
}

}  // namespace

bool PluNumbering::before(bool usedA, std::string_view codeA, int recordA, bool usedB, std::string_view codeB,
                          int recordB) {
    if (usedA != usedB) return usedA;
    if (usedA && codeA != codeB) return codeA < codeB;
    return recordA < recordB;
}

PluNumbering PluNumbering::of(std::span<const std::uint8_t> pluFile, const ApplicationBlock& app) {
    PluNumbering n;
    const auto size = kindInfo(RecordKind::Plu).recordSize;
    const auto count = std::min<std::size_t>(recordCount(app, RecordKind::Plu), pluFile.size() / size);
    const auto codeBytes = static_cast<std::size_t>(std::min<int>(app.get(appblock::kPluRandomCodeSize), 7));
    n.codeMode_ = codeBytes != 0;
    std::vector<std::string> codes(count);
    n.used_.assign(count, true);
    for (std::size_t r = 0; r < count && n.codeMode_; ++r) {
        const auto code = pluFile.subspan(r * size + kCode, codeBytes);
        n.used_[r] = std::any_of(code.begin(), code.end(), [](std::uint8_t b) { return b != 0; });
        codes[r] = codeDigits(code);
    }
    n.records_.resize(count);
    std::iota(n.records_.begin(), n.records_.end(), 1);
    if (n.codeMode_)
        std::stable_sort(n.records_.begin(), n.records_.end(), [&](int a, int b) {
            const auto i = static_cast<std::size_t>(a - 1), j = static_cast<std::size_t>(b - 1);
            return before(n.used_[i], codes[i], a, n.used_[j], codes[j], b);
        });
    n.numbers_.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i) n.numbers_[static_cast<std::size_t>(n.records_[i] - 1)] = static_cast<int>(i + 1);
    return n;
}

std::optional<PluNumbering> PluNumbering::read(const std::filesystem::path& pluFile, const ApplicationBlock& app) {
    try {
        return of(readFile(pluFile), app);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

int PluNumbering::numberOf(int record) const {
    return record >= 1 && record <= static_cast<int>(numbers_.size()) ? numbers_[static_cast<std::size_t>(record - 1)]
                                                                      : 0;
}

int PluNumbering::recordOf(int number) const {
    return number >= 1 && number <= static_cast<int>(records_.size()) ? records_[static_cast<std::size_t>(number - 1)]
                                                                      : 0;
}

bool PluNumbering::used(int record) const {
    return record >= 1 && record <= static_cast<int>(used_.size()) && used_[static_cast<std::size_t>(record - 1)];
}

int renumberedPlu(int number, const PluNumbering& before, const PluNumbering& after) {
    const int record = before.recordOf(number);
    if (record == 0 || !after.used(record)) return 0;
    return after.numberOf(record);
}

namespace {

constexpr int kPluKeyBase = 10000;
constexpr int kLastPluKey = 39999;
constexpr std::size_t kAppKeyCodes = 365;
constexpr std::size_t kKeyboardFileKeyCodes = 24;
constexpr int kKeys = 169;
constexpr int kHandheldKeys = 14;
constexpr std::size_t kConEntries = 28;
constexpr std::size_t kConEntrySize = 7;
constexpr int kConEntryCount = 16;
constexpr std::uint16_t kConMacro = 1u << 4;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
void put16(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// A key function code: a PLU key follows its PLU (0 when it is gone).
int renumberedKey(int code, const PluNumbering& before, const PluNumbering& after) {
    if (code <= kPluKeyBase || code > kLastPluKey) return code;
    const int n = renumberedPlu(code - kPluKeyBase, before, after);
    return n == 0 ? 0 : kPluKeyBase + n;
}

// The key codes of `count` keys from `at`.
bool renumberKeys(std::span<std::uint8_t> b, std::size_t at, int count, const PluNumbering& before,
                  const PluNumbering& after) {
    bool changed = false;
    for (int k = 0; k < count; ++k) {
        const auto where = at + 2 * static_cast<std::size_t>(k);
        if (where + 2 > b.size()) break;
        const int code = u16(b, where);
        const int next = renumberedKey(code, before, after);
        if (next != code) {
            put16(b, where, static_cast<std::uint16_t>(next));
            changed = true;
        }
    }
    return changed;
}

}  // namespace

void renumberPluReferences(ProgramSession& session, const PluNumbering& before, const PluNumbering& after) {
    if (before.records() == after.records()) return;
    std::vector<std::pair<std::filesystem::path, std::vector<std::uint8_t>>> files;
    const auto existing = [](const std::filesystem::path& p) {
        std::error_code ec;
        return std::filesystem::is_regular_file(p, ec);
    };

    auto app = session.app;
    if (renumberKeys(app.bytes(), kAppKeyCodes, kKeys, before, after)) {
        session.app = app;
        files.emplace_back(session.programPath, std::vector<std::uint8_t>(app.bytes().begin(), app.bytes().end()));
    }
    const int machines = std::max<int>(app.flag(appblock::kFlagNetworkSize), 1);
    for (int m = 1; m <= machines; ++m) {
        const auto kb = fileset::keyboardFile(session.programPath, m);
        if (!existing(kb)) continue;
        auto bytes = readFile(kb);
        if (renumberKeys(bytes, kKeyboardFileKeyCodes, kKeys, before, after)) files.emplace_back(kb, std::move(bytes));
    }
    if (const auto chk = session.file(".chk"); existing(chk)) {
        auto bytes = readFile(chk);
        if (renumberKeys(bytes, 0, kHandheldKeys, before, after)) files.emplace_back(chk, std::move(bytes));
    }
    if (const auto con = session.file(".con"); existing(con)) {
        auto bytes = readFile(con);
        const auto size = kindInfo(RecordKind::Condiment).recordSize;
        const auto tables = std::min<std::size_t>(recordCount(app, RecordKind::Condiment), bytes.size() / size);
        bool changed = false;
        for (std::size_t t = 0; t < tables; ++t) {
            const auto table = std::span(bytes).subspan(t * size, size);
            // A macro table holds key function codes, the others PLU numbers;
            // entries stay without gaps.
            const bool macro = (u16(table, 0) & kConMacro) != 0;
            std::vector<std::uint16_t> entries;
            for (int e = 0; e < kConEntryCount; ++e) {
                const auto at = kConEntries + kConEntrySize * static_cast<std::size_t>(e);
                const int v = u16(table, at);
                if (v == 0) continue;
                const int n = v == 0xFFFF ? v : macro ? renumberedKey(v, before, after) : renumberedPlu(v, before, after);
                if (n != 0) entries.push_back(static_cast<std::uint16_t>(n));
            }
            std::vector<std::uint8_t> rebuilt(kConEntrySize * kConEntryCount, 0);
            for (std::size_t e = 0; e < entries.size(); ++e) put16(rebuilt, kConEntrySize * e, entries[e]);
            const auto place = table.subspan(kConEntries, rebuilt.size());
            if (!std::equal(place.begin(), place.end(), rebuilt.begin())) {
                std::copy(rebuilt.begin(), rebuilt.end(), place.begin());
                changed = true;
            }
        }
        if (changed) files.emplace_back(con, std::move(bytes));
    }
    std::vector<ProgramFileImage> images;
    for (const auto& [path, bytes] : files) images.push_back({path, bytes});
    writeProgramFiles(session.updateList(), session.app, images);
}

}  // namespace tramond
