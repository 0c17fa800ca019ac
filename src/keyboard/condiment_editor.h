#pragma once
// The condiment table editor (TEditCondiment) without its window: the list
// of tables, the table shown with its entries, the condiment PLUs to pick
// from, and storing a table back into ".con" when another is chosen or the
// dialog closes. A macro table holds key function codes, named as keys are.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "app/prompter.h"
#include "keyboard/key_functions.h"
#include "program/session.h"

namespace tramond {

class CondimentEditor {
public:
    static constexpr std::size_t kRecordSize = 140;
    static constexpr int kMaxEntries = 16;
    static constexpr std::size_t kEntriesOffset = 28;
    static constexpr std::size_t kEntrySize = 7;
    static constexpr std::size_t kLinkOffset = 27;
    static constexpr std::size_t kNameOffset = 2;
    static constexpr std::size_t kNameLength = 24;
    // Option bits of the boxes: multiple choices, multiply, exit allowed, macro.
    static constexpr std::array<int, 4> kOptionBits = {0, 1, 2, 4};

    struct Row {
        std::string value;  // as the grid holds it; "" for an empty row
        std::string name;
    };
    struct ListItem {
        int number;
        std::string name;
    };

    CondimentEditor(ProgramSession& session, const LanguageTexts& texts, KeyNameSource& names, Prompter& prompter)
        : session_(session), texts_(texts), names_(names), prompter_(prompter) {}

    // Lists the tables and the condiment PLUs and loads table 1.
    void activate();

    const std::vector<ListItem>& tables() const { return tables_; }
    const std::vector<ListItem>& condimentPlus() const { return plus_; }
    int current() const { return current_; }  // 0 before a table was loaded

    // The table shown.
    std::string name;
    std::string link;  // the link edit's text
    std::array<bool, 4> options{};
    std::vector<Row> rows;
    bool macro() const { return options[3]; }

    // Stores the table shown, then loads table t. False (the table shown
    // stays) when the table shown could not be stored.
    bool chooseTable(int t);
    // Storing: false, after a message, when the link is not 0..255 or the
    // file cannot be written; nothing is stored then.
    bool store();

    // "<---": a condiment PLU (index in condimentPlus()) or, in a macro
    // table, a key function code.
    bool addPlu(int index);
    bool addFunction(std::uint16_t code);
    void deleteRow(int row);  // row index into rows
    void deleteAll();
    void setMacro(bool on);

private:
    bool add(Row row);
    void load(int t);
    std::string pluName(std::uint32_t record);
    std::string entryName(std::uint32_t value);
    void error(const std::string& title, const std::string& text);

    ProgramSession& session_;
    const LanguageTexts& texts_;
    KeyNameSource& names_;
    Prompter& prompter_;
    std::vector<ListItem> tables_;
    std::vector<ListItem> plus_;
    int current_ = 0;
    std::vector<std::uint8_t> snapshot_;
    bool loaded_ = false;  // the table shown was read, so it may be stored
};

}  // namespace tramond
