#pragma once
// The record-editor engine: one controller for every editor described by a
// RecordEditorLayout. It keeps the kind's file open while the editor is shown,
// reads one record at a time into a buffer with a snapshot beside it, and
// writes a record back in place (marking its change code) only when the
// rebuilt record differs from the snapshot. Every way of leaving a record
// stores it first; closing without OK does not.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/language_texts.h"
#include "editors/editor_messages.h"
#include "editors/record_description.h"
#include "editors/record_file.h"
#include "program/session.h"

namespace tramond {

struct FieldValue {
    std::string text;    // edits
    int index = 0;       // combo boxes: the stored value (may lie outside the list)
    bool checked = false;
};

class RecordEditorController {
public:
    RecordEditorController(const RecordEditorLayout& layout, ProgramSession& session, const LanguageTexts& texts,
                           EditorPrompts& prompts);
    ~RecordEditorController();
    RecordEditorController(const RecordEditorController&) = delete;
    RecordEditorController& operator=(const RecordEditorController&) = delete;

    // Activation: lookups, open the file, list, load the start record (an
    // index from 0; used only when the kind honours a start record). false
    // when the file could not be opened (the message was shown).
    bool activate(std::optional<int> startIndex = std::nullopt);
    // Closing: the file is closed, the record on screen is not stored.
    void close();

    const RecordEditorLayout& layout() const { return layout_; }
    bool isOpen() const { return file_.isOpen(); }
    // Records listed (the kind's count, fewer when the file is short).
    int count() const { return static_cast<int>(lines_.size()); }
    int currentIndex() const { return current_; }
    const std::vector<std::string>& lines() const { return lines_; }
    int descriptorMaxLength() const { return descriptorMax_; }
    std::span<const std::string> lookupItems(std::size_t field) const;

    // The controls' contents.
    std::string numberText;
    std::string descriptor;
    FieldValue& field(std::size_t i) { return values_.at(i); }
    const FieldValue& field(std::size_t i) const { return values_.at(i); }
    std::size_t fieldIndex(std::string_view name) const;  // throws for an unknown name
    FieldValue& field(std::string_view name) { return values_.at(fieldIndex(name)); }

    std::span<const std::uint8_t> recordBuffer() const { return buffer_; }

    // Navigation. Each returns after the screen has been updated.
    void next();
    void selectLine(int line);
    bool enterNumber();  // the number edit's text; false when refused
    void enterDescriptor();
    // Enter in the list: shows the record's number again (a name just typed
    // is kept), or, where the layout says so, stores and loads `line` as a
    // click would.
    void enterInList(int line = -1);
    // Enter in a number edit: its check (false when refused: edit cleared,
    // message shown); without one, an empty edit becomes "0".
    bool enterInNumberField(std::size_t i);
    // A key released in an edit whose check runs on every key.
    bool keyReleasedInField(std::size_t i);
    // Stores the record; false when it could not be written (the dialog stays
    // open on it, so the user can retry or cancel).
    bool ok();

    // Whether the program's record counts allow a field (the caption's
    // language-pack switches are the view's business).
    bool fieldAllowedByCount(std::size_t i) const;
    // Digits a number edit takes (0: no limit).
    int fieldMaxDigits(std::size_t i) const;
    // The caption a field shows now: the re-captioning field's current value
    // picks it; nullopt for fields that keep their own.
    std::optional<Caption> currentCaption(std::size_t i) const;
    bool fieldHidden(std::size_t i) const;

    // The record's print option byte (layouts with "Print Options"); the
    // byte goes into the record buffer and is written with the next store.
    std::uint8_t printOptionByte() const;
    void setPrintOptionByte(std::uint8_t byte);

    // Controls -> record; marks and writes when it differs from the snapshot.
    // Returns true when the record was written.
    bool store();
    // The last store could not mark or write: navigation stays on the record.
    bool storeFailed() const { return storeFailed_; }

private:
    bool storeBeforeLeaving();
    void load(int index);
    void showRecord();
    void buildRecord();
    std::uint32_t readWord(std::size_t offset, std::size_t width) const;
    void writeWord(std::size_t offset, std::size_t width, std::uint32_t v);
    bool refuse(std::size_t i);
    const FieldRow& row(std::size_t i) const;

    const RecordEditorLayout& layout_;
    ProgramSession& session_;
    const LanguageTexts& texts_;
    EditorPrompts& prompts_;
    const KindInfo& kind_;
    RecordFile file_;
    int current_ = -1;
    int descriptorMax_ = 0;
    std::vector<std::string> lines_;
    std::vector<std::vector<std::string>> lookups_;
    std::vector<FieldValue> values_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> snapshot_;
    bool storeFailed_ = false;
};

// Reads a whole number made of digits only (blanks around it allowed);
// nullopt for anything else, including numbers beyond 64 bits.
std::optional<std::uint64_t> parseWholeNumber(std::string_view text);

}  // namespace tramond
