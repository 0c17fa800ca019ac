#pragma once
// Key function codes: what each of the register's keys does. The fixed
// functions offered under "Fixed", the record-bound groups and how their
// codes are formed, the key kinds that give keys their default look, and how
// a code is turned back into the caption shown on the key. Record names come
// through KeyNameSource, so this table needs no editor.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/language_texts.h"
#include "program/application_block.h"
#include "program/record_kinds.h"

namespace tramond {

inline constexpr std::uint16_t kCodePriceLevelByNumber = 2011;   // "PL#"
inline constexpr std::uint16_t kCodeArticleLevelByNumber = 2021; // "AL#"
inline constexpr int kArticleLevels = 4;
// A PLU has four prices, so four price levels.
inline constexpr int kPriceLevels = 4;
inline constexpr int kPriceLevelText = 86;    // "PL#"
inline constexpr int kArticleLevelText = 87;  // "AL#"

// A price level key (2010 + level) or an article level key (2020 + level).
// Codes the fixed list names otherwise (2015 "No Cond", 2016 "Print
// Invoice") are no level keys.
struct LevelKey {
    bool article = false;
    int level = 0;
};
std::optional<LevelKey> levelOfCode(std::uint16_t code);

struct FixedFunction {
    std::uint16_t code;
    int text;          // language text of the name
    int suffix = -1;   // modifier groups and kitchen returns: a number after the text
    int suffixLast = -1;  // modifier groups: "/" and the group's last modifier
};
// The 95 functions of the "Fixed" list, in list order.
std::span<const FixedFunction> fixedFunctions();
// The list item text ("Modifier1/8", "KP return4").
std::string fixedFunctionName(const LanguageTexts& texts, const FixedFunction& f);

struct RecordGroup {
    int index;               // 1..13 in the group list
    RecordKind kind;
    std::uint16_t base;      // the "by number" code; record n is base + n
    std::uint16_t last;      // highest code of the group
    int nameText;            // language text of the group name (-1: `english`)
    std::string_view english;
    int byNumberText;        // caption of the bare base code (-1: `byNumber`)
    std::string_view byNumber;
};
std::span<const RecordGroup> recordGroups();
const RecordGroup* recordGroupOf(RecordKind kind);
// The group name as the list shows it (first "&" and trailing blanks removed).
std::string groupName(const LanguageTexts& texts, const RecordGroup& group);

// The record a code stands for (base + n within the group's range).
struct RecordCode {
    const RecordGroup* group;
    int record;  // from 1
};
std::optional<RecordCode> recordOfCode(std::uint16_t code);

// Code of a list choice. Fixed item i (0-based); PL# and AL# take a level
// from 1 to levelMaximum() and give 2010 + level / 2020 + level. nullopt
// for an index or level out of range.
std::optional<std::uint16_t> codeForFixedChoice(std::size_t index, std::optional<int> level = std::nullopt);
// The largest level a fixed item asks for (0: it asks for none).
int levelMaximum(std::uint16_t fixedCode, const ApplicationBlock& app);
std::uint16_t codeForRecordChoice(const RecordGroup& group, int record);

// Key kind 0..13 (defaults of "bkeyboard.set"); nullopt for codes without
// one (code 0, condiment keys).
inline constexpr int kKeyKindCount = 14;
std::optional<int> keyKind(std::uint16_t code);
// The kind list's entry k (first "&" removed).
std::string keyKindName(const LanguageTexts& texts, int kind);

// Where captions get record names from.
class KeyNameSource {
public:
    virtual ~KeyNameSource() = default;
    // The name of record n of a kind (OEM converted, trailing blanks cut);
    // nullopt when its file cannot be opened. A record beyond the file's end
    // has an empty name.
    virtual std::optional<std::string> recordName(RecordKind kind, int record) = 0;
    // Whether a PLU with this number (digits) exists in the PLU file.
    virtual bool pluNumberExists(std::string_view digits) = 0;
};

struct KeyMessage {
    std::string title;
    std::string text;
    bool operator==(const KeyMessage&) const = default;
};

// Turns codes into key captions. Messages (a record file that does not
// open, a bad modifier-as-PLU name) are collected, each distinct one once,
// so that rebuilding 169 captions shows a box per problem, not per key.
class KeyCaptions {
public:
    KeyCaptions(const ApplicationBlock& app, const LanguageTexts& texts, KeyNameSource& names)
        : app_(app), texts_(texts), names_(names) {}

    std::string caption(std::uint16_t code);
    // The messages collected since the last call, emptied.
    std::vector<KeyMessage> takeMessages();

private:
    std::string modifierCaption(const std::string& name);
    void report(KeyMessage m);

    const ApplicationBlock& app_;
    const LanguageTexts& texts_;
    KeyNameSource& names_;
    std::vector<KeyMessage> messages_;
};

// The names come from the program's record files, each file read once.
class ProgramKeyNames : public KeyNameSource {
public:
    // programPath: the ".app"; the record files are its siblings.
    ProgramKeyNames(std::filesystem::path programPath, const ApplicationBlock& app)
        : programPath_(std::move(programPath)), app_(app) {}

    std::optional<std::string> recordName(RecordKind kind, int record) override;
    bool pluNumberExists(std::string_view digits) override;
    // Forgets what was read (after a record editor changed a file).
    void reload() { files_.clear(); }
    // PLUs addressed by code: key n names the PLU at list position n, which
    // is the record recordOfPosition[n - 1] (the register numbers PLUs in
    // list order).
    void setPluOrder(std::vector<int> recordOfPosition) { pluOrder_ = std::move(recordOfPosition); }

private:
    const std::vector<std::uint8_t>* file(RecordKind kind);

    std::filesystem::path programPath_;
    const ApplicationBlock& app_;
    std::vector<std::pair<RecordKind, std::optional<std::vector<std::uint8_t>>>> files_;
    std::vector<int> pluOrder_;
};

inline constexpr std::string_view kErrorTitle = "Error";
inline constexpr std::string_view kErrorOpeningFile = "Error opening File !!";

}  // namespace tramond
