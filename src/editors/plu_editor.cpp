#include "editors/plu_editor.h"

#include <algorithm>

#include "editors/packed_field.h"
#include "editors/record_editor.h"
#include "editors/record_file.h"
#include "program/plu_numbering.h"
#include "program/program_changes.h"
#include "program/record_kinds.h"

namespace tramond {

namespace {

std::string trimmed(std::string_view s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string_view::npos) return {};
    return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

bool digitsOnly(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::uint32_t u16At(std::span<const std::uint8_t> b, std::size_t off) {
    return static_cast<std::uint32_t>(b[off] | (b[off + 1] << 8));
}

void putU16(std::span<std::uint8_t> b, std::size_t off, std::uint32_t v) {
    b[off] = static_cast<std::uint8_t>(v & 0xFF);
    b[off + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

}  // namespace

PluEditorController::PluEditorController(ProgramSession& session, const LanguageTexts& texts,
                                         EditorPrompts& prompts)
    : session_(session), texts_(texts), prompts_(prompts) {
    checks.assign(pluChecks().size(), false);
    buffer_.assign(plu::kRecordSize, 0);
    snapshot_ = buffer_;
}

bool PluEditorController::activate(std::optional<int> startLine) {
    header_ = PluHeader::from(session_.app);
    list_ = PluList(header_.codeBytes);
    current_ = -1;
    departments_ = readDescriptorList(session_.file(".dpt"), kindInfo(RecordKind::Department).recordSize,
                                      recordCount(session_.app, RecordKind::Department), 4, 25);
    const auto path = session_.file(".plu");
    RecordFile probe;
    std::optional<PluList> read;
    if (probe.open(path, plu::kRecordSize, true)) {
        probe.close();
        read = PluList::read(path, static_cast<std::size_t>(header_.count), header_.codeBytes,
                             header_.codeMode() ? PluListOrder::Code : PluListOrder::File);
    }
    if (!read) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return false;
    }
    list_ = std::move(*read);
    if (list_.empty()) return true;
    int start = 0;
    if (startLine && *startLine >= 0 && *startLine < static_cast<int>(list_.size())) start = *startLine;
    if (list_.codeMode() && list_.usedCount() > 0) start = std::min(start, lastNavigableLine());
    loadLine(start);
    return true;
}

int PluEditorController::currentRecord() const {
    return current_ >= 0 ? list_.recordAt(static_cast<std::size_t>(current_)) : 0;
}

std::pair<std::string, std::string> PluEditorController::headers() const {
    if (!list_.codeMode()) return {"Plu Name", ""};
    if (list_.order() == PluListOrder::Name) return {"Plu Name", "Random Number"};
    return {"Random Number", "Plu Name"};
}

int PluEditorController::editMaxLength(PluEdit e) const {
    switch (e) {
        case PluEdit::Price1:
        case PluEdit::Price2:
        case PluEdit::Price3:
        case PluEdit::Price4:
        case PluEdit::CostPrice:
            return header_.priceSize > 0 ? 2 * header_.priceSize : 16;
        case PluEdit::LinkedPlu:
            return header_.codeMode() ? 2 * header_.codeBytes : 5;
        case PluEdit::CondimentLink:
            return 2;
        case PluEdit::LinkedQuantity:
        case PluEdit::Tare:
            return 16;
    }
    return 16;
}

std::string PluEditorController::codeOf(std::span<const std::uint8_t> record) const {
    return packed_field::digits(record.subspan(plu::kCode, static_cast<std::size_t>(header_.codeBytes)));
}

int PluEditorController::lastNavigableLine() const {
    return static_cast<int>(list_.usedCount()) - 1;
}

void PluEditorController::showUnusedName() { descriptor = std::string(PluList::kUnusedName); }

bool PluEditorController::loadLine(int line) {
    if (line < 0 || line >= static_cast<int>(list_.size())) return false;
    RecordFile file;
    std::vector<std::uint8_t> rec(plu::kRecordSize);
    if (!file.open(session_.file(".plu"), plu::kRecordSize, false) ||
        !file.read(static_cast<std::size_t>(list_.recordAt(static_cast<std::size_t>(line)) - 1), rec)) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return false;
    }
    current_ = line;
    buffer_ = rec;
    snapshot_ = rec;
    show();
    if (allUnused()) showUnusedName();
    return true;
}

void PluEditorController::show() {
    const std::span<const std::uint8_t> b(buffer_);
    // The number edit shows the record number, so that after a resort by name
    // a typed number still means that PLU rather than a position in the list.
    numberText = std::to_string(currentRecord());
    // The digits must outlive the view stripZeros returns into them.
    const std::string digits = codeOf(b);
    codeText = std::string(packed_field::stripZeros(digits));
    descriptor = readDescriptor(b, plu::kDescriptor, plu::kDescriptorField);
    department = static_cast<int>(u16At(b, plu::kDepartment));
    for (const auto& e : pluEdits()) {
        auto& text = edits[static_cast<std::size_t>(e.id)];
        switch (e.kind) {
            case PluEditKind::Packed:
                text = packed_field::show(b.subspan(e.offset, e.width));
                break;
            case PluEditKind::Byte:
                text = std::to_string(b[e.offset]);
                break;
            case PluEditKind::Linked:
                text = header_.codeMode() ? packed_field::show(b.subspan(e.offset, e.width))
                                          : std::to_string(u16At(b, e.offset));
                break;
        }
    }
    const auto layouts = pluChecks();
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        const auto& c = layouts[i];
        const auto word = c.width == 2 ? u16At(b, c.offset) : b[c.offset];
        checks[i] = (((word >> c.bit) & 1u) != 0) != c.inverted;
    }
    for (int n = 0; n < 8; ++n) {
        kitchenPrinters[static_cast<std::size_t>(n)] = (b[plu::kKitchenPrinters] >> n) & 1;
        taxable[static_cast<std::size_t>(n)] = (b[plu::kTaxable] >> n) & 1;
    }
}

void PluEditorController::build() {
    // Numbers that do not read as whole numbers become "0" on screen and in
    // the record. Digits of any length are whole numbers here: a long price
    // or code is data, not an overflow to be thrown away.
    for (const auto& e : pluEdits()) {
        auto& text = edits[static_cast<std::size_t>(e.id)];
        const auto t = trimmed(text);
        bool valid = digitsOnly(t);
        if (valid && e.kind == PluEditKind::Byte) valid = parseWholeNumber(t).value_or(256) <= 0xFF;
        if (valid && e.kind == PluEditKind::Linked && !header_.codeMode())
            valid = parseWholeNumber(t).value_or(0x10000) <= 0xFFFF;
        text = valid ? t : "0";
    }

    std::vector<std::uint8_t> out(plu::kRecordSize, 0);
    std::span<std::uint8_t> b(out);
    // Code mode packs the code of the PLU on screen into the whole field, so
    // bytes beyond the code size (left by a larger size earlier) go out as 0.
    // The code itself changes only by creating or deleting a PLU. Number mode
    // keeps the hidden code as it was read.
    if (header_.codeMode())
        packed_field::store(b.subspan(plu::kCode, plu::kCodeField), codeOf(snapshot_));
    else
        std::copy_n(snapshot_.begin() + plu::kCode, plu::kCodeField, out.begin() + plu::kCode);
    writeDescriptor(b, plu::kDescriptor, plu::kDescriptorField, descriptor,
                    static_cast<std::size_t>(header_.descriptorLength));
    putU16(b, plu::kDepartment, static_cast<std::uint32_t>(std::clamp(department, 0, 0xFFFF)));
    for (const auto& e : pluEdits()) {
        const auto& text = edits[static_cast<std::size_t>(e.id)];
        switch (e.kind) {
            case PluEditKind::Packed:
                packed_field::store(b.subspan(e.offset, e.width), text);
                break;
            case PluEditKind::Byte:
                b[e.offset] = static_cast<std::uint8_t>(parseWholeNumber(text).value_or(0));
                break;
            case PluEditKind::Linked:
                if (header_.codeMode())
                    packed_field::store(b.subspan(e.offset, e.width), text);
                else
                    putU16(b, e.offset, static_cast<std::uint32_t>(parseWholeNumber(text).value_or(0)));
                break;
        }
    }
    const auto layouts = pluChecks();
    std::uint32_t word = 0;
    std::uint8_t print = 0;
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        const auto& c = layouts[i];
        if (checks[i] == c.inverted) continue;
        if (c.offset == plu::kOptionWord)
            word |= 1u << c.bit;
        else
            print = static_cast<std::uint8_t>(print | (1u << c.bit));
    }
    putU16(b, plu::kOptionWord, word);
    b[plu::kPrintByte] = print;
    for (int n = 0; n < 8; ++n) {
        if (kitchenPrinters[static_cast<std::size_t>(n)]) b[plu::kKitchenPrinters] |= static_cast<std::uint8_t>(1u << n);
        if (taxable[static_cast<std::size_t>(n)]) b[plu::kTaxable] |= static_cast<std::uint8_t>(1u << n);
    }
    buffer_ = std::move(out);
}

bool PluEditorController::writeRecord(int record, std::span<const std::uint8_t> bytes) {
    // Marked with the write: a change code, or in code mode the PLU line of
    // what happened to the code ("N", "D" or "R").
    try {
        writeProgramFileAt(session_.updateList(), session_.app, session_.file(".plu"),
                           static_cast<std::size_t>(record - 1) * plu::kRecordSize, bytes);
    } catch (const std::exception&) {
        storeFailed_ = true;
        prompts_.show(msg::errorWritingFile(texts_));
        return false;
    }
    return true;
}

bool PluEditorController::store(bool always) {
    if (current_ < 0 || allUnused()) return false;
    // An unused record in code mode has no code to address it by on the
    // register; it becomes a PLU only through a typed code.
    if (list_.codeMode() && !list_.entry(static_cast<std::size_t>(current_)).used) return false;
    list_.setName(static_cast<std::size_t>(current_),
                  cutToChars(descriptor, static_cast<std::size_t>(header_.descriptorLength)));
    build();
    const bool changed = buffer_ != snapshot_;
    if (!changed && !always) return false;
    if (!writeRecord(currentRecord(), buffer_)) return false;
    snapshot_ = buffer_;
    return true;
}

void PluEditorController::followPluNumbers(const std::optional<PluNumbering>& before) {
    const auto after = PluNumbering::read(session_.file(".plu"), session_.app);
    if (!before || !after) return;
    try {
        renumberPluReferences(session_, *before, *after);
    } catch (const std::exception&) {
        prompts_.show(msg::errorWritingFile(texts_));
    }
}

bool PluEditorController::storeBeforeLeaving() {
    storeFailed_ = false;
    store();
    return !storeFailed_;
}

void PluEditorController::next() {
    if (current_ < 0) return;
    if (allUnused()) return showUnusedName();
    if (!storeBeforeLeaving()) return;  // stays for a retry or Cancel
    int line = current_ + 1;
    if (line > lastNavigableLine()) line = 0;
    loadLine(line);
}

void PluEditorController::selectLine(int line) {
    if (current_ < 0 || line < 0 || line >= static_cast<int>(list_.size())) return;
    if (allUnused()) return showUnusedName();
    if (!storeBeforeLeaving()) return;
    loadLine(std::min(line, lastNavigableLine()));
}

bool PluEditorController::enterNumber() {
    const auto n = parseWholeNumber(numberText);
    std::optional<std::size_t> line;
    if (!list_.codeMode() && n && *n >= 1 && *n <= static_cast<std::uint64_t>(header_.count))
        line = list_.findRecord(static_cast<int>(*n));
    if (!line || current_ < 0) {
        numberText.clear();
        prompts_.show(msg::wrongInputBang(texts_));
        return false;
    }
    store();
    loadLine(static_cast<int>(*line));
    return true;
}

void PluEditorController::enterName() {
    if (current_ < 0 || allUnused()) return;
    list_.setName(static_cast<std::size_t>(current_),
                  cutToChars(descriptor, static_cast<std::size_t>(header_.descriptorLength)));
}

void PluEditorController::enterInList() {
    if (current_ < 0 || allUnused()) return;
    numberText = std::to_string(currentRecord());
    descriptor = readDescriptor(buffer_, plu::kDescriptor, plu::kDescriptorField);
}

void PluEditorController::enterEdit(PluEdit e) {
    if (edit(e).empty()) edit(e) = "0";
}

bool PluEditorController::ok() {
    storeFailed_ = false;
    store(true);
    return !storeFailed_;
}

PluEditorController::CodeOutcome PluEditorController::leaveCodeEdit() {
    if (!list_.codeMode() || current_ < 0) return CodeOutcome::Unchanged;
    const auto restore = [this] {
        codeText = std::string(packed_field::stripZeros(codeOf(snapshot_)));
        return CodeOutcome::Restored;
    };
    const auto typed = trimmed(codeText);
    if (typed.empty()) return restore();
    const auto want = packed_field::stripZeros(typed);
    if (!digitsOnly(typed) || want.size() > static_cast<std::size_t>(2 * header_.codeBytes) || want.empty()) {
        // A zero code would make a record that reads back as unused.
        prompts_.show(msg::wrongInputBang(texts_));
        return restore();
    }
    if (!allUnused() && packed_field::stripZeros(codeOf(snapshot_)) == want) {
        // Tabbing through the code edit of the PLU on screen must not reload
        // it and throw away what was typed into the other fields.
        codeText = std::string(want);
        return CodeOutcome::Unchanged;
    }
    if (const auto found = list_.findCode(typed)) {
        const int record = list_.recordAt(*found);
        store();  // leaving a record stores it, as every other way of leaving does
        const auto line = list_.findRecord(record);
        loadLine(static_cast<int>(line.value_or(*found)));
        return CodeOutcome::Found;
    }
    if (list_.unusedCount() == 0) {
        prompts_.show({MessageKind::Information, "Information", "No More entries left !"});
        return restore();
    }
    if (!prompts_.confirm({MessageKind::Information, "Confirm", "Record doesn't exist. Create new?"}))
        return restore();

    store();
    const auto line = list_.usedCount();
    const int record = list_.recordAt(line);
    RecordFile file;
    std::vector<std::uint8_t> rec(plu::kRecordSize);
    if (!file.open(session_.file(".plu"), plu::kRecordSize, false) ||
        !file.read(static_cast<std::size_t>(record - 1), rec)) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return restore();
    }
    file.close();
    const auto asRead = rec;
    packed_field::store(std::span(rec).subspan(plu::kCode, plu::kCodeField), want);
    const auto code = codeOf(rec);
    if (rec != asRead) {
        const auto before = PluNumbering::read(session_.file(".plu"), session_.app);
        if (!writeRecord(record, rec)) return restore();
        followPluNumbers(before);
    }
    const auto index = list_.makeUsed(line, code, readDescriptor(rec, plu::kDescriptor, plu::kDescriptorField));
    current_ = static_cast<int>(index);
    buffer_ = rec;
    snapshot_ = rec;
    show();
    return CodeOutcome::Created;
}

bool PluEditorController::deleteCurrent() {
    if (!list_.codeMode() || current_ < 0 || allUnused() || current_ > lastNavigableLine()) return false;
    const int record = currentRecord();
    auto rec = snapshot_;  // what is on screen is discarded
    std::fill_n(rec.begin() + plu::kCode, plu::kCodeField, std::uint8_t{0});
    const auto before = PluNumbering::read(session_.file(".plu"), session_.app);
    if (!writeRecord(record, rec)) return false;
    followPluNumbers(before);
    snapshot_ = rec;
    const int line = current_;
    list_.makeUnused(static_cast<std::size_t>(current_));
    loadLine(std::max(0, std::min(line, lastNavigableLine())));
    return true;
}

bool PluEditorController::resort() {
    // What was typed is stored first: the list is rebuilt from the file.
    if (current_ >= 0) store();
    PluListOrder order = PluListOrder::Name;
    if (list_.codeMode() && list_.order() == PluListOrder::Name) order = PluListOrder::Code;
    current_ = -1;
    auto read = PluList::read(session_.file(".plu"), static_cast<std::size_t>(header_.count), header_.codeBytes,
                              order);
    if (!read) {
        list_ = PluList(header_.codeBytes);
        prompts_.show(msg::errorOpeningFile(texts_));
        return false;
    }
    list_ = std::move(*read);
    if (!list_.empty()) loadLine(0);
    return true;
}

void PluEditorController::setCondiment(bool on) {
    checks.at(pluCondimentCheck()) = on;
    if (!on) return;
    edit(PluEdit::LinkedPlu) = "0";
    edit(PluEdit::LinkedQuantity) = "1000";
    edit(PluEdit::CondimentLink) = "0";
    edit(PluEdit::Tare) = "0";
}

}  // namespace tramond

namespace tramond {

void PluEditorController::showNameOnRecords(std::span<const int> records) {
    const auto name = readDescriptor(buffer_, plu::kDescriptor, plu::kDescriptorField);
    for (int record : records)
        if (const auto line = list_.findRecord(record)) list_.setName(*line, name);
}

}  // namespace tramond
