#include "keyboard/key_functions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "program/codepage.h"
#include "program/file_io.h"
#include "program/file_set.h"
#include "program/packed.h"

namespace tramond {
namespace {

constexpr std::array<FixedFunction, 95> kFixed = [] {
    std::array<FixedFunction, 95> t{};
    std::size_t i = 0;
    auto add = [&](int text, std::uint16_t code) { t[i++] = {code, text}; };
    // Digits and entry.
    for (int d = 0; d <= 9; ++d) add(64 + d, static_cast<std::uint16_t>('0' + d));
    add(74, 1);
    add(75, 2);
    add(76, 2000);
    add(77, 46);
    add(78, 2004);
    add(79, 2005);
    add(80, 2006);
    add(81, 2007);
    add(82, 2001);
    add(83, 2002);
    add(84, 2003);
    // Record keys by number.
    add(85, 10000);
    add(86, kCodePriceLevelByNumber);
    add(87, kCodeArticleLevelByNumber);
    add(88, 2010);
    add(89, 3000);
    add(90, 1000);
    add(91, 500);
    add(92, 800);
    add(93, 700);
    add(94, 900);
    add(95, 400);
    add(96, 300);
    add(97, 600);
    add(841, 4500);
    // Other functions.
    constexpr std::pair<int, std::uint16_t> other[] = {
        {943, 2015}, {98, 2008},  {415, 2032}, {466, 2033}, {475, 2034}, {476, 2035},
        {477, 2036}, {496, 2038}, {527, 2046}, {539, 2047}, {559, 2049}, {560, 2048},
        {561, 2080}, {562, 2081}, {563, 2082}, {564, 2083}, {603, 2084}, {578, 2100},
        {746, 210},  {747, 211},  {748, 212},  {749, 213},  {750, 2030}, {751, 214},
    };
    for (const auto& [text, code] : other) add(text, code);
    // Modifier groups: modifiers 8g+1 to 8g+8.
    for (int g = 0; g < 16; ++g) t[i++] = {static_cast<std::uint16_t>(270 + g), 112, 8 * g + 1, 8 * g + 8};
    // Kitchen and others.
    constexpr std::pair<int, std::uint16_t> kitchen[] = {
        {752, 2090}, {753, 2091}, {875, 2085}, {876, 2086}, {891, 2016},
        {1016, 2087}, {1017, 2088}, {1018, 2063}, {1019, 2052}, {1020, 2053},
    };
    for (const auto& [text, code] : kitchen) add(text, code);
    for (int n = 1; n <= 8; ++n) t[i++] = {static_cast<std::uint16_t>(2053 + n), 1021, n};
    add(1022, 2062);
    add(1041, 2098);
    if (i != t.size()) throw "fixed function table size";
    return t;
}();

using K = RecordKind;
constexpr std::array<RecordGroup, 13> kGroups = {{
    {1, K::Correction, 300, 399, 102, {}, 96, {}},
    {2, K::Discount, 500, 599, 103, {}, 91, {}},
    {3, K::Drawer, 600, 699, 104, {}, 97, {}},
    {4, K::PoRa, 800, 899, 105, {}, 92, {}},
    {5, K::Tender, 900, 999, 106, {}, 94, {}},
    {6, K::Currency, 400, 499, 107, {}, 95, {}},
    {7, K::PbFunction, 700, 799, 108, {}, 93, {}},
    {8, K::Department, 5000, 9999, 109, {}, -1, "DPT"},
    {9, K::Plu, 10000, 39999, 110, {}, 85, {}},
    {10, K::Clerk, 3000, 3999, 111, {}, 89, {}},
    {11, K::Modifier, 1000, 1999, 112, {}, 90, {}},
    {12, K::Salesperson, 2100, 2354, 582, {}, 578, {}},
    {13, K::Condiment, 4500, 4599, -1, "&Condiments", 841, {}},
}};

std::string trimmedRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

std::string firstAmpersandRemoved(std::string s) {
    if (auto p = s.find('&'); p != std::string::npos) s.erase(p, 1);
    return s;
}

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string withoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return std::string(digits);
}

constexpr int kModifierAsPluFlag = 26;
constexpr int kModifierAsPluOption = 5;

}  // namespace

std::span<const FixedFunction> fixedFunctions() { return kFixed; }

std::string fixedFunctionName(const LanguageTexts& texts, const FixedFunction& f) {
    std::string name = texts.text(f.text);
    if (f.suffix >= 0) name += std::to_string(f.suffix);
    if (f.suffixLast >= 0) name += "/" + std::to_string(f.suffixLast);
    return name;
}

std::span<const RecordGroup> recordGroups() { return kGroups; }

const RecordGroup* recordGroupOf(RecordKind kind) {
    for (const auto& g : kGroups)
        if (g.kind == kind) return &g;
    return nullptr;
}

std::string groupName(const LanguageTexts& texts, const RecordGroup& group) {
    const std::string raw = group.nameText >= 0 ? texts.text(group.nameText) : std::string(group.english);
    return trimmedRight(firstAmpersandRemoved(raw));
}

std::optional<RecordCode> recordOfCode(std::uint16_t code) {
    for (const auto& g : kGroups)
        if (code > g.base && code <= g.last) return RecordCode{&g, code - g.base};
    return std::nullopt;
}

std::optional<std::uint16_t> codeForFixedChoice(std::size_t index, std::optional<int> level) {
    if (index >= kFixed.size()) return std::nullopt;
    const auto code = kFixed[index].code;
    if (code != kCodePriceLevelByNumber && code != kCodeArticleLevelByNumber) return code;
    // A level outside 1..max would store "New Price" or no function unasked;
    // price level 5 would store "No Cond" (2015).
    const int max = code == kCodeArticleLevelByNumber ? kArticleLevels : kPriceLevels;
    if (!level || *level < 1 || *level > max) return std::nullopt;
    return static_cast<std::uint16_t>(code - 1 + *level);
}

std::optional<LevelKey> levelOfCode(std::uint16_t code) {
    if (code > 2010 && code < 2020) {
        for (const auto& f : kFixed)
            if (f.code == code && f.code != kCodePriceLevelByNumber) return std::nullopt;
        return LevelKey{false, code - 2010};
    }
    if (code > 2020 && code <= 2020 + kArticleLevels) return LevelKey{true, code - 2020};
    return std::nullopt;
}

int levelMaximum(std::uint16_t fixedCode, const ApplicationBlock& app) {
    if (fixedCode == kCodePriceLevelByNumber)
        return std::min<int>(kPriceLevels, static_cast<int>(app.get(appblock::kPluPriceLevels)));
    if (fixedCode == kCodeArticleLevelByNumber) return kArticleLevels;
    return 0;
}

std::uint16_t codeForRecordChoice(const RecordGroup& group, int record) {
    return static_cast<std::uint16_t>(group.base + record);
}

std::optional<int> keyKind(std::uint16_t c) {
    if (c == 1 || (c >= 46 && c <= 57) || c == 2004 || c == 2006) return 0;
    for (const auto& g : kGroups)
        if (c == g.base) return 1;
    if ((c >= 2 && c <= 45) || (c >= 58 && c <= 299) || (c >= 2000 && c <= 2100)) return 1;
    struct Range {
        std::uint16_t first, last;
        int kind;
    };
    static constexpr Range kRanges[] = {
        {301, 399, 2},   {501, 599, 3},     {601, 699, 4},   {801, 899, 5},   {901, 999, 6},
        {401, 499, 7},   {701, 799, 8},     {5001, 9999, 9}, {10001, 39999, 10}, {3001, 3999, 11},
        {1001, 1999, 12}, {2101, 2354, 13},
    };
    for (const auto& r : kRanges)
        if (c >= r.first && c <= r.last) return r.kind;
    return std::nullopt;
}

std::string keyKindName(const LanguageTexts& texts, int kind) {
    static constexpr int kTexts[kKeyKindCount] = {764, 101, 102, 103, 104, 105, 106,
                                                  107, 108, 109, 110, 111, 112, 582};
    if (kind < 0 || kind >= kKeyKindCount) return {};
    return trimmedRight(firstAmpersandRemoved(texts.text(kTexts[kind])));
}

void KeyCaptions::report(KeyMessage m) {
    if (std::find(messages_.begin(), messages_.end(), m) == messages_.end()) messages_.push_back(std::move(m));
}

std::vector<KeyMessage> KeyCaptions::takeMessages() { return std::exchange(messages_, {}); }

std::string KeyCaptions::caption(std::uint16_t code) {
    if (code == 0) return {};
    if (code == 1) return "00";
    if (code == 2) return "000";
    if (code == 46) return ".";
    if (code >= 48 && code <= 57) return std::to_string(code - 48);
    if (code >= 2054 && code <= 2061) return "KP RET" + std::to_string(code - 2053);
    // The level belongs on the key: "PL#" alone reads as the key that asks for one.
    if (const auto l = levelOfCode(code)) {
        auto name = texts_.text(l->article ? kArticleLevelText : kPriceLevelText);
        if (name.empty()) name = l->article ? "AL#" : "PL#";
        return name + " " + std::to_string(l->level);
    }
    if (code >= 270 && code <= 285) {
        const int g = code - 270;
        return texts_.text(264) + " " + std::to_string(8 * g + 1) + "-" + std::to_string(8 * g + 8);
    }
    for (const auto& g : kGroups)
        if (code == g.base) return g.byNumberText >= 0 ? texts_.text(g.byNumberText) : std::string(g.byNumber);
    for (const auto& f : kFixed)
        if (f.code == code) return fixedFunctionName(texts_, f);
    const auto rc = recordOfCode(code);
    if (!rc) return {};
    auto name = names_.recordName(rc->group->kind, rc->record);
    if (!name) {
        report({std::string(kErrorTitle), std::string(kErrorOpeningFile)});
        return {};
    }
    if (rc->group->kind == RecordKind::Modifier && app_.option(kModifierAsPluFlag, kModifierAsPluOption))
        return modifierCaption(*name);
    return *name;
}

std::string KeyCaptions::modifierCaption(const std::string& name) {
    if (name.empty() || name.front() != '%') return name;
    const std::string rest = trimmed(std::string_view(name).substr(1));
    // Eight digits are one integer on the register; longer numbers are two.
    const bool valid = rest.size() > 8 ? allDigits(rest.substr(0, 8)) && allDigits(rest.substr(8)) : allDigits(rest);
    if (!valid) {
        report({std::string(kErrorTitle),
                "If you want to use Modifier as Plu#, enter valid integer in modifier name"});
        return {};
    }
    if (!names_.pluNumberExists(rest))
        report({std::string(kErrorTitle),
                "You are trying to connect modifier with no existing plu# " + withoutLeadingZeros(rest)});
    return rest;
}

const std::vector<std::uint8_t>* ProgramKeyNames::file(RecordKind kind) {
    for (const auto& [k, bytes] : files_)
        if (k == kind) return bytes ? &*bytes : nullptr;
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        bytes = readFile(fileset::sibling(programPath_, kindInfo(kind).extension));
    } catch (const FileError&) {
    }
    files_.emplace_back(kind, std::move(bytes));
    return files_.back().second ? &*files_.back().second : nullptr;
}

std::optional<std::string> ProgramKeyNames::recordName(RecordKind kind, int record) {
    const auto* bytes = file(kind);
    if (!bytes) return std::nullopt;
    const auto place = descriptorPlace(kind);
    if (kind == RecordKind::Plu && !pluOrder_.empty()) {
        if (record < 1 || record > static_cast<int>(pluOrder_.size())) return std::string();
        record = pluOrder_[static_cast<std::size_t>(record - 1)];
    }
    if (!place || record < 1) return std::string();
    const auto size = kindInfo(kind).recordSize;
    const auto start = static_cast<std::size_t>(record - 1) * size + place->offset;
    if (start >= bytes->size()) return std::string();
    const auto len = std::min(place->field, bytes->size() - start);
    return trimmedRight(oemToUtf8(std::span(*bytes).subspan(start, len)));
}

bool ProgramKeyNames::pluNumberExists(std::string_view digits) {
    const auto* bytes = file(RecordKind::Plu);
    if (!bytes) return false;
    const auto size = kindInfo(RecordKind::Plu).recordSize;
    const auto count = std::min<std::size_t>(recordCount(app_, RecordKind::Plu), bytes->size() / size);
    const auto wanted = withoutLeadingZeros(digits);
    constexpr std::size_t kNumberOffset = 2, kNumberBytes = 7;
    for (std::size_t r = 0; r < count; ++r)
        if (unpackAmount(std::span(*bytes).subspan(r * size + kNumberOffset, kNumberBytes)) == wanted) return true;
    return false;
}

}  // namespace tramond
