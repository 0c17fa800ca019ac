#pragma once
// The customer file (".cst"): 500 fixed records of 125 bytes, independent of
// the application block and never part of the update list. The editor
// opens the file for each read and write and writes every record it stores.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "editors/editor_messages.h"
#include "program/session.h"

namespace tramond {

namespace customer {
inline constexpr std::size_t kRecordSize = 125;
inline constexpr int kCount = 500;
inline constexpr std::size_t kNumber = 0;
inline constexpr std::size_t kChoices = 2;  // bit 0: tax 2; bit 1: restaurant ticket
inline constexpr std::size_t kDiscount = 3;
inline constexpr std::size_t kText = 4;
inline constexpr std::size_t kLines = 5;
inline constexpr std::size_t kLineChars = 24;
inline constexpr std::size_t kEnd = 124;

// A record of a new file: numbered n, five blank lines each starting with "@".
std::vector<std::uint8_t> newRecord(int n);
}  // namespace customer

class CustomerEditorController {
public:
    CustomerEditorController(ProgramSession& session, const LanguageTexts& texts, EditorPrompts& prompts);

    // Creates the file when it is missing; a file that exists but cannot be
    // read is left alone ("Error opening File !!", empty list).
    bool activate();
    int count() const { return static_cast<int>(lines_.size()); }
    int currentIndex() const { return current_; }
    const std::vector<std::string>& lines() const { return lines_; }

    // The controls.
    std::string numberText;
    std::string discountText;
    bool tax2 = false;        // "Tax2 used" (else "Tax1 used")
    bool restaurant = false;  // "Restaurant ticket used" (else "Credit Invoice")
    std::array<std::string, customer::kLines> textLines;

    void next();
    void selectLine(int line);
    // Enter in the number edit: jumps to that customer (1..500), storing the
    // one being left under the number it had. false (nothing done) otherwise.
    bool enterNumber();
    // A key released in the discount edit: 256 or more is refused.
    bool discountKeyReleased();
    void ok() { store(); }
    // Controls -> record, written whether changed or not. false when the
    // number was refused (the rest is stored) or the disk refused the record.
    bool store();

private:
    void load(int index);
    std::string lineFor(std::span<const std::uint8_t> record) const;

    ProgramSession& session_;
    const LanguageTexts& texts_;
    EditorPrompts& prompts_;
    int current_ = -1;
    std::vector<std::string> lines_;
    std::vector<std::uint8_t> buffer_;
    std::string loadedNumber_;  // the number edit as the record was shown
};

}  // namespace tramond
