#pragma once
// The add-key-function dialog (TAddKeyFunction) without its window: the
// group list, the entries of a group, the code of a choice, and the group and
// entry chosen last time. For PLUs addressed by code the list comes from the
// PLU list (through PluLines), and a key's number is the list position.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "keyboard/key_functions.h"

namespace tramond {

// The PLU editor's list, in list order: each line as it shows and the PLU
// record behind it.
struct PluLine {
    int record = 0;
    std::string text;
};
class PluLines {
public:
    virtual ~PluLines() = default;
    // nullopt when the PLU file cannot be read.
    virtual std::optional<std::vector<PluLine>> lines() = 0;
};

struct KeyFunctionMemory {
    int group = 0;
    int entry = -1;  // none yet
};

class KeyFunctionChooser {
public:
    // programPath: the ".app"; the modifier link writes its ".mod" sibling.
    KeyFunctionChooser(const ApplicationBlock& app, const LanguageTexts& texts, KeyNameSource& names,
                       PluLines* pluLines = nullptr, std::filesystem::path programPath = {})
        : app_(app), texts_(texts), names_(names), pluLines_(pluLines), programPath_(std::move(programPath)) {}

    // "Fixed", then the thirteen record groups, then with modifiers used as
    // PLU numbers (flag 26 option 5) the group that links a PLU to a modifier.
    std::vector<std::string> groups() const;
    static constexpr int kModifierAsPluGroup = 14;
    bool hasModifierAsPluGroup() const;
    // The entries of group g; a message when the group has no records or its
    // file does not open (the list is then empty).
    struct Entries {
        std::vector<std::string> lines;
        std::optional<KeyMessage> message;
    };
    Entries entries(int group);

    // The code of entry e of group g. PL# and AL# ask for a level first:
    // levelMaximum > 0 and no code until codeWithLevel().
    struct Choice {
        std::optional<std::uint16_t> code;
        int levelMaximum = 0;
    };
    Choice choose(int group, int entry) const;
    std::optional<std::uint16_t> codeWithLevel(int entry, int level) const;

    // The entry shown first: the one after the last choice (the first after
    // the last entry; in "Fixed" a last choice of the first entry stays).
    static int initialEntry(const KeyFunctionMemory& memory, int group, int entryCount);

    // Modifier-as-PLU group: writes "%" and the PLU number of list entry e
    // into the first modifier still carrying its default name and returns
    // that modifier's code; a message when it cannot. `changed` receives the
    // modifier's change code.
    struct Link {
        std::optional<std::uint16_t> code;
        std::optional<KeyMessage> message;
        std::optional<std::uint32_t> changeCode;
    };
    Link linkModifier(int entry);

private:
    std::optional<std::vector<PluLine>> pluList();
    const ApplicationBlock& app_;
    const LanguageTexts& texts_;
    KeyNameSource& names_;
    PluLines* pluLines_;
    std::filesystem::path programPath_;
    std::optional<std::vector<PluLine>> plu_;
};

inline constexpr std::string_view kNotAvailable = "Not Available with this Application !!";
inline constexpr std::string_view kApplicationErrorTitle = "Application Error";

}  // namespace tramond
