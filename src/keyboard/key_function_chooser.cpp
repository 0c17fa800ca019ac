#include "keyboard/key_function_chooser.h"

#include <algorithm>

#include "program/codepage.h"
#include "program/file_io.h"
#include "program/program_changes.h"
#include "program/file_set.h"
#include "program/packed.h"

namespace tramond {
namespace {

constexpr int kModifierAsPluText = 804;

KeyMessage errorOpening() { return {std::string(kErrorTitle), std::string(kErrorOpeningFile)}; }

}  // namespace

bool KeyFunctionChooser::hasModifierAsPluGroup() const { return app_.option(26, 5); }

std::optional<std::vector<PluLine>> KeyFunctionChooser::pluList() {
    if (plu_) return plu_;
    if (pluLines_ && app_.get(appblock::kPluRandomCodeSize) != 0) {
        plu_ = pluLines_->lines();
        return plu_;
    }
    std::vector<PluLine> lines;
    const int count = static_cast<int>(recordCount(app_, RecordKind::Plu));
    for (int n = 1; n <= count; ++n) {
        const auto name = names_.recordName(RecordKind::Plu, n);
        if (!name) return std::nullopt;
        lines.push_back({n, std::to_string(n) + "  " + *name});
    }
    plu_ = std::move(lines);
    return plu_;
}

std::vector<std::string> KeyFunctionChooser::groups() const {
    std::vector<std::string> out{withoutAccelerators(texts_.text(101))};
    for (const auto& g : recordGroups()) out.push_back(groupName(texts_, g));
    if (hasModifierAsPluGroup()) out.push_back(withoutAccelerators(texts_.text(kModifierAsPluText)));
    return out;
}

KeyFunctionChooser::Entries KeyFunctionChooser::entries(int group) {
    Entries e;
    if (group == 0) {
        for (const auto& f : fixedFunctions()) e.lines.push_back(fixedFunctionName(texts_, f));
        return e;
    }
    const auto groupsList = recordGroups();
    const bool modifierAsPlu = group == kModifierAsPluGroup && hasModifierAsPluGroup();
    if (group < 0 || (group > static_cast<int>(groupsList.size()) && !modifierAsPlu)) return e;
    const auto& g = modifierAsPlu ? *recordGroupOf(RecordKind::Plu) : groupsList[static_cast<std::size_t>(group - 1)];
    const auto count = static_cast<int>(recordCount(app_, g.kind));
    if (count == 0) {
        e.message = KeyMessage{std::string(kApplicationErrorTitle), std::string(kNotAvailable)};
        return e;
    }
    if (g.kind == RecordKind::Plu) {
        if (const auto lines = pluList())
            for (const auto& l : *lines) e.lines.push_back(l.text);
        else
            e.message = errorOpening();
        return e;
    }
    for (int n = 1; n <= count; ++n) {
        const auto name = names_.recordName(g.kind, n);
        if (!name) {
            e.lines.clear();
            e.message = errorOpening();
            return e;
        }
        e.lines.push_back(std::to_string(n) + "  " + *name);
    }
    return e;
}

KeyFunctionChooser::Choice KeyFunctionChooser::choose(int group, int entry) const {
    if (entry < 0) return {};
    if (group == 0) {
        const auto fixed = fixedFunctions();
        if (entry >= static_cast<int>(fixed.size())) return {};
        const auto code = fixed[static_cast<std::size_t>(entry)].code;
        if (const int max = levelMaximum(code, app_)) return {std::nullopt, max};
        return {code, 0};
    }
    const auto groupsList = recordGroups();
    if (group < 0 || group > static_cast<int>(groupsList.size())) return {};  // the modifier link: linkModifier()
    const auto& g = groupsList[static_cast<std::size_t>(group - 1)];
    if (g.base + entry + 1 > g.last) return {};
    return {codeForRecordChoice(g, entry + 1), 0};
}

std::optional<std::uint16_t> KeyFunctionChooser::codeWithLevel(int entry, int level) const {
    if (entry < 0) return std::nullopt;
    const auto fixed = fixedFunctions();
    if (entry >= static_cast<int>(fixed.size())) return std::nullopt;
    const int max = levelMaximum(fixed[static_cast<std::size_t>(entry)].code, app_);
    if (level < 1 || level > max) return std::nullopt;
    return codeForFixedChoice(static_cast<std::size_t>(entry), level);
}

int KeyFunctionChooser::initialEntry(const KeyFunctionMemory& memory, int group, int entryCount) {
    if (entryCount <= 0) return -1;
    if (memory.group != group || memory.entry < 0) return 0;
    if (group == 0 && memory.entry == 0) return 0;
    const int next = memory.entry + 1;
    return next >= entryCount ? 0 : next;
}

KeyFunctionChooser::Link KeyFunctionChooser::linkModifier(int entry) {
    Link link;
    const int codeSize = static_cast<int>(app_.get(appblock::kPluRandomCodeSize));
    if (descriptorLength(app_, RecordKind::Modifier) < 2 * codeSize) {
        link.message = KeyMessage{"Error", "Modifier caption is smaller than Plu randomsize"};
        return link;
    }
    const auto lines = pluList();
    if (!lines) {
        link.message = errorOpening();
        return link;
    }
    if (entry < 0 || entry >= static_cast<int>(lines->size())) return link;
    const int record = (*lines)[static_cast<std::size_t>(entry)].record;
    std::vector<std::uint8_t> plu, mod;
    const auto modFile = fileset::sibling(programPath_, ".mod");
    try {
        plu = readFile(fileset::sibling(programPath_, ".plu"));
        mod = readFile(modFile);
    } catch (const FileError&) {
        link.message = errorOpening();
        return link;
    }
    const auto pluSize = kindInfo(RecordKind::Plu).recordSize;
    const auto at = static_cast<std::size_t>(record - 1) * pluSize + 2;
    const std::string number =
        record >= 1 && at + 7 <= plu.size() ? unpackAmount(std::span(plu).subspan(at, 7)) : std::string();
    if (number.empty() || number == "0") {
        link.message = KeyMessage{"Error", "Error in Plu file!"};
        return link;
    }
    const auto size = kindInfo(RecordKind::Modifier).recordSize;
    const auto place = *descriptorPlace(RecordKind::Modifier);
    const auto count = std::min<std::size_t>(recordCount(app_, RecordKind::Modifier), mod.size() / size);
    for (std::size_t r = 0; r < count; ++r) {
        auto field = std::span(mod).subspan(r * size + place.offset, place.field);
        const std::string name(field.begin(), field.begin() + 4);
        if (field[0] == '%' || (name != "ADDI" && name != "Modi")) continue;
        const std::string text = "%" + number;
        std::fill(field.begin(), field.end(), 0);
        std::copy_n(text.begin(), std::min(text.size(), place.field - 1), field.begin());
        try {
            // Marked with the write (the modifier's change code).
            writeProgramFile(UpdateList(fileset::sibling(programPath_, ".upd")), app_, modFile, mod);
        } catch (const std::exception& e) {
            link.message = KeyMessage{"Error", e.what()};
            return link;
        }
        link.code = static_cast<std::uint16_t>(1000 + r + 1);
        link.changeCode = changeCode(RecordKind::Modifier, static_cast<std::uint32_t>(r + 1));
        return link;
    }
    link.message = KeyMessage{"Error", "Cannot make link with modifier, \r\nthere are no empty records!"};
    return link;
}

}  // namespace tramond
