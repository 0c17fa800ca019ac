#pragma once
// The PLU editor: the record-editor storing discipline over the PLU file,
// which it opens per operation, with a sorted PLU list as its index, and PLUs
// addressed either by record number or by code.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "editors/editor_messages.h"
#include "editors/plu_list.h"
#include "editors/plu_record.h"
#include "program/plu_numbering.h"
#include "program/session.h"

namespace tramond {

class PluEditorController {
public:
    PluEditorController(ProgramSession& session, const LanguageTexts& texts, EditorPrompts& prompts);

    // Activation: header, departments, list, start line. false when the PLU
    // file could not be opened (message shown, list empty).
    bool activate(std::optional<int> startLine = std::nullopt);

    const PluHeader& header() const { return header_; }
    const ProgramSession& session() const { return session_; }
    const PluList& list() const { return list_; }
    int currentLine() const { return current_; }
    int currentRecord() const;  // 1-based; 0 when none
    const std::vector<std::string>& departments() const { return departments_; }
    bool hasRecord() const { return current_ >= 0; }
    // Column headers over the list: {first, second} ("Plu Name" alone in
    // number mode).
    std::pair<std::string, std::string> headers() const;

    // The screen.
    std::string numberText;
    std::string codeText;
    std::string descriptor;
    int department = 0;
    std::array<std::string, kPluEditCount> edits;
    std::vector<bool> checks;  // pluChecks() order
    std::array<bool, 8> kitchenPrinters{};
    std::array<bool, 8> taxable{};
    std::string& edit(PluEdit e) { return edits[static_cast<std::size_t>(e)]; }
    bool linkFieldsEnabled() const { return !checks.at(pluCondimentCheck()); }
    int editMaxLength(PluEdit e) const;

    std::span<const std::uint8_t> recordBuffer() const { return buffer_; }

    // Navigation.
    void next();
    void selectLine(int line);
    bool enterNumber();
    void enterName();
    void enterInList();  // number mode: number and name again from the record buffer
    void enterEdit(PluEdit e);  // an empty edit becomes "0"
    // Stores (writing even an unchanged record); false when it could not be
    // written, and the dialog stays open on it.
    bool ok();

    enum class CodeOutcome { Unchanged, Found, Created, Restored };
    CodeOutcome leaveCodeEdit();
    bool deleteCurrent();
    bool resort();
    // "PLU is Condiment" ticked or unticked by the user.
    void setCondiment(bool on);

    // Records that received the current PLU's name from a copy show it in
    // their list lines.
    void showNameOnRecords(std::span<const int> records);

    // Controls -> record; registers and writes when changed (always writes
    // when `always`). Returns true when written.
    bool store(bool always = false);

private:
    bool loadLine(int line);
    void show();
    void build();
    bool allUnused() const { return list_.codeMode() && list_.usedCount() == 0; }
    int lastNavigableLine() const;
    void showUnusedName();
    bool writeRecord(int record, std::span<const std::uint8_t> bytes);
    bool storeBeforeLeaving();
    // A PLU created or deleted moves the register's numbers of the later
    // PLUs: what names PLUs by number follows them.
    void followPluNumbers(const std::optional<PluNumbering>& before);
    std::string codeOf(std::span<const std::uint8_t> record) const;

    ProgramSession& session_;
    const LanguageTexts& texts_;
    EditorPrompts& prompts_;
    PluHeader header_;
    PluList list_;
    std::vector<std::string> departments_;
    int current_ = -1;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> snapshot_;
    bool storeFailed_ = false;
};

}  // namespace tramond
