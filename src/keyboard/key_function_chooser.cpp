#include "keyboard/key_function_chooser.h"

namespace tramond {

std::vector<std::string> KeyFunctionChooser::groups() const {
    std::vector<std::string> out{withoutAccelerators(texts_.text(101))};
    for (const auto& g : recordGroups()) out.push_back(groupName(texts_, g));
    return out;
}

KeyFunctionChooser::Entries KeyFunctionChooser::entries(int group) {
    Entries e;
    if (group == 0) {
        for (const auto& f : fixedFunctions()) e.lines.push_back(fixedFunctionName(texts_, f));
        return e;
    }
    const auto groupsList = recordGroups();
    if (group < 0 || group > static_cast<int>(groupsList.size())) return e;
    const auto& g = groupsList[static_cast<std::size_t>(group - 1)];
    const auto count = static_cast<int>(recordCount(app_, g.kind));
    if (count == 0) {
        e.message = KeyMessage{std::string(kApplicationErrorTitle), std::string(kNotAvailable)};
        return e;
    }
    if (g.kind == RecordKind::Plu && pluLines_ && app_.get(appblock::kPluRandomCodeSize) != 0) {
        if (auto lines = pluLines_->lines())
            e.lines = std::move(*lines);
        else
            e.message = KeyMessage{std::string(kErrorTitle), std::string(kErrorOpeningFile)};
        return e;
    }
    for (int n = 1; n <= count; ++n) {
        const auto name = names_.recordName(g.kind, n);
        if (!name) {
            e.lines.clear();
            e.message = KeyMessage{std::string(kErrorTitle), std::string(kErrorOpeningFile)};
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
    if (group < 0 || group > static_cast<int>(groupsList.size())) return {};
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

}  // namespace tramond
