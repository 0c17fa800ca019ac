#include "editors/record_editor.h"

#include <algorithm>
#include <stdexcept>

#include "editors/packed_field.h"
#include "program/codepage.h"
#include "program/program_changes.h"
#include "program/update_list.h"

namespace tramond {

std::optional<std::uint64_t> parseWholeNumber(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto d = static_cast<std::uint64_t>(c - '0');
        if (v > (UINT64_MAX - d) / 10) return std::nullopt;
        v = v * 10 + d;
    }
    return v;
}

RecordEditorController::RecordEditorController(const RecordEditorLayout& layout, ProgramSession& session,
                                               const LanguageTexts& texts, EditorPrompts& prompts)
    : layout_(layout), session_(session), texts_(texts), prompts_(prompts), kind_(kindInfo(layout.kind)) {
    values_.resize(layout_.fields.size());
    lookups_.resize(layout_.fields.size());
    buffer_.assign(kind_.recordSize, 0);
    snapshot_ = buffer_;
}

RecordEditorController::~RecordEditorController() { close(); }

std::span<const std::string> RecordEditorController::lookupItems(std::size_t field) const {
    return lookups_.at(field);
}

std::size_t RecordEditorController::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < layout_.fields.size(); ++i)
        if (layout_.fields[i].name == name) return i;
    throw std::out_of_range("no field " + std::string(name));
}

bool RecordEditorController::activate(std::optional<int> startIndex) {
    close();
    lines_.clear();
    current_ = -1;
    const auto fieldMax = layout_.descriptorField ? static_cast<int>(layout_.descriptorField) - 1 : 0;
    // A header without a descriptor length (0) does not limit the name; the
    // field itself does. Storing must never cut a name to nothing.
    const int headerMax = descriptorLength(session_.app, layout_.kind);
    descriptorMax_ = headerMax == 0 ? fieldMax : std::min(headerMax, fieldMax);

    bool lookupFailureShown = false;
    for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
        const auto& f = layout_.fields[i];
        auto& items = lookups_[i];
        items.clear();
        if (f.lookup) {
            if (f.lookup->noneFirst) items.push_back("NO");
            if (const auto place = descriptorPlace(f.lookup->kind)) {
                const auto& info = kindInfo(f.lookup->kind);
                auto names =
                    tryReadDescriptorList(session_.file(info.extension), info.recordSize,
                                          recordCount(session_.app, f.lookup->kind), place->offset, place->field);
                if (names) {
                    items.insert(items.end(), names->begin(), names->end());
                } else if (f.lookup->reportFailure && !lookupFailureShown) {
                    // One message for the file, however many boxes list it.
                    prompts_.show(msg::errorOpeningFile(texts_));
                    lookupFailureShown = true;
                }
            }
            if (f.lookup->maxItems > 0 && items.size() > static_cast<std::size_t>(f.lookup->maxItems))
                items.resize(static_cast<std::size_t>(f.lookup->maxItems));
        } else {
            for (const auto& item : f.items) items.push_back(resolveCaption(texts_, item).label);
        }
    }

    if (!file_.open(session_.file(kind_.extension), kind_.recordSize, true)) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return false;
    }
    // A short file lists only the records it holds; the missing ones can be
    // neither shown nor written, so nothing beyond the end is ever touched.
    const auto available = std::min<std::size_t>(recordCount(session_.app, layout_.kind), file_.recordsInFile());
    std::vector<std::uint8_t> record(kind_.recordSize);
    for (std::size_t i = 0; i < available; ++i) {
        if (!file_.read(i, record)) break;
        lines_.push_back(readDescriptor(record, layout_.descriptorOffset, layout_.descriptorField));
    }
    if (lines_.empty()) return true;
    int start = 0;
    if (layout_.honoursStartRecord && startIndex && *startIndex >= 0 && *startIndex < count()) start = *startIndex;
    load(start);
    return true;
}

void RecordEditorController::close() { file_.close(); }

std::uint32_t RecordEditorController::readWord(std::size_t offset, std::size_t width) const {
    std::uint32_t v = 0;
    for (std::size_t b = 0; b < width && offset + b < buffer_.size(); ++b)
        v |= static_cast<std::uint32_t>(buffer_[offset + b]) << (8 * b);
    return v;
}

void RecordEditorController::writeWord(std::size_t offset, std::size_t width, std::uint32_t v) {
    for (std::size_t b = 0; b < width && offset + b < buffer_.size(); ++b)
        buffer_[offset + b] = static_cast<std::uint8_t>(v >> (8 * b));
}

void RecordEditorController::load(int index) {
    if (index < 0 || index >= count()) return;
    std::vector<std::uint8_t> record(kind_.recordSize, 0);
    if (!file_.read(static_cast<std::size_t>(index), record)) {
        // The record on screen stays, with the bytes it was read with: a
        // buffer of zeros would be stored over its kept bytes.
        buffer_ = snapshot_;
        prompts_.show(msg::errorOpeningFile(texts_));
        return;
    }
    buffer_ = std::move(record);
    snapshot_ = buffer_;
    current_ = index;
    showRecord();
}

void RecordEditorController::showRecord() {
    numberText = std::to_string(current_ + 1);
    descriptor = readDescriptor(buffer_, layout_.descriptorOffset, layout_.descriptorField);
    for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
        const auto& f = layout_.fields[i];
        auto& v = values_[i];
        v = FieldValue{};
        switch (f.encoding) {
            case FieldEncoding::Bit:
                v.checked = (((readWord(f.offset, f.width) >> f.bit) & 1u) != 0) != f.inverted;
                break;
            case FieldEncoding::BitGroup:
                v.index = static_cast<int>((readWord(f.offset, f.width) >> f.bit) & f.mask);
                break;
            case FieldEncoding::Mapped: {
                const auto bits = readWord(f.offset, f.width) & f.mask;
                const auto it = std::find(f.values.begin(), f.values.end(), bits);
                v.index = it == f.values.end() ? f.defaultItem : static_cast<int>(it - f.values.begin());
                break;
            }
            case FieldEncoding::Byte:
            case FieldEncoding::Word: {
                const auto n = readWord(f.offset, f.encoding == FieldEncoding::Byte ? 1 : 2);
                v.index = static_cast<int>(n);
                v.text = std::to_string(n);
                break;
            }
            case FieldEncoding::EntryLimitation:
                v.text = std::to_string(decodeEntryLimitation(buffer_.at(f.offset)));
                break;
            case FieldEncoding::Packed:
                v.text = packed_field::show(std::span(buffer_).subspan(f.offset, f.width));
                break;
            case FieldEncoding::Chars:
                v.text = oemToUtf8(std::span(buffer_).subspan(f.offset, f.width));
                break;
        }
    }
}

void RecordEditorController::buildRecord() {
    if (descriptor.empty() && layout_.emptyDescriptorAsBlank) descriptor = " ";
    lines_.at(static_cast<std::size_t>(current_)) = descriptor;
    writeDescriptor(buffer_, layout_.descriptorOffset, layout_.descriptorField, descriptor,
                    static_cast<std::size_t>(descriptorMax_));

    for (const auto& w : layout_.words)
        writeWord(w.offset, w.width, (readWord(w.offset, w.width) & w.keep) | (w.base & ~w.keep));

    for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
        const auto& f = layout_.fields[i];
        const auto& v = values_[i];
        switch (f.encoding) {
            case FieldEncoding::Bit: {
                auto word = readWord(f.offset, f.width);
                const auto mask = 1u << f.bit;
                const bool set = !fieldHidden(i) && (v.checked != f.inverted);
                word = set ? (word | mask) : (word & ~mask);
                writeWord(f.offset, f.width, word);
                break;
            }
            case FieldEncoding::BitGroup: {
                auto word = readWord(f.offset, f.width) & ~(f.mask << f.bit);
                word |= (static_cast<std::uint32_t>(std::max(v.index, 0)) & f.mask) << f.bit;
                writeWord(f.offset, f.width, word);
                break;
            }
            case FieldEncoding::Mapped: {
                if (v.index < 0 || static_cast<std::size_t>(v.index) >= f.values.size()) break;
                const auto word = (readWord(f.offset, f.width) & ~f.mask) |
                                  (f.values[static_cast<std::size_t>(v.index)] & f.mask);
                writeWord(f.offset, f.width, word);
                break;
            }
            case FieldEncoding::Byte:
            case FieldEncoding::Word: {
                const std::size_t width = f.encoding == FieldEncoding::Byte ? 1 : 2;
                const std::uint64_t limit = width == 1 ? 0xFFu : 0xFFFFu;
                if (f.control == FieldControl::ComboBox) {
                    // An item the list holds; a stored value beyond it (a
                    // record past the lookup's count) is kept as read.
                    const auto max = std::min<std::uint64_t>(limit, fieldRule(f, session_.app).max);
                    if (v.index >= 0 && static_cast<std::uint64_t>(v.index) <= max)
                        writeWord(f.offset, width, static_cast<std::uint32_t>(v.index));
                } else {
                    const auto n = v.text.empty() ? std::optional<std::uint64_t>(0) : parseWholeNumber(v.text);
                    if (n && *n <= limit)
                        writeWord(f.offset, width, static_cast<std::uint32_t>(*n));
                    else
                        prompts_.show(msg::wrongInputBang(texts_));  // the field keeps its value
                }
                break;
            }
            case FieldEncoding::EntryLimitation: {
                // Anything that is not a whole number (an empty edit too), or
                // is too large for the one-digit exponent, is refused and the
                // byte keeps its old value.
                const auto n = parseWholeNumber(v.text);
                const auto code = n ? encodeEntryLimitation(*n) : std::nullopt;
                if (code)
                    buffer_.at(f.offset) = *code;
                else
                    prompts_.show(msg::wrongInputBang(texts_));
                break;
            }
            case FieldEncoding::Packed:
                packed_field::store(std::span(buffer_).subspan(f.offset, f.width), v.text);
                break;
            case FieldEncoding::Chars: {
                auto dst = std::span(buffer_).subspan(f.offset, f.width);
                std::fill(dst.begin(), dst.end(), std::uint8_t{0});
                const auto oem = utf8ToOem(v.text);
                std::copy_n(oem.begin(), std::min(oem.size(), dst.size()), dst.begin());
                break;
            }
        }
    }
}

bool RecordEditorController::store() {
    storeFailed_ = false;
    if (current_ < 0 || !file_.isOpen()) return false;
    buildRecord();
    if (buffer_ == snapshot_ && !layout_.storeUnchanged) return false;
    // Marked before the write, through the one marking function: what the
    // file holds there now against the record as rebuilt.
    const auto index = static_cast<std::size_t>(current_);
    std::vector<std::uint8_t> disk(kind_.recordSize, 0);
    if (!file_.read(index, disk)) disk.clear();
    auto changes = programFileChanges(session_.file(kind_.extension), index * kind_.recordSize, disk, buffer_,
                                      session_.app);
    // The tax editor registers every store, changed or not.
    if (layout_.storeUnchanged) changes.add({{kind_.changeBase + static_cast<std::uint32_t>(current_)}, {}});
    try {
        markChanges(session_.updateList(), changes);
    } catch (const std::exception&) {
        storeFailed_ = true;
        prompts_.show(msg::error(texts_, -1, "Error writing update file !!"));
        return false;
    }
    if (!file_.write(index, buffer_)) {
        storeFailed_ = true;
        prompts_.show(msg::errorWritingFile(texts_));
        return false;
    }
    snapshot_ = buffer_;
    return true;
}

bool RecordEditorController::storeBeforeLeaving() {
    store();
    return !storeFailed_;
}

void RecordEditorController::next() {
    if (count() == 0 || current_ < 0) return;
    if (!storeBeforeLeaving()) return;  // stays for a retry or Cancel
    load((current_ + 1) % count());
}

void RecordEditorController::selectLine(int line) {
    if (line < 0 || line >= count() || current_ < 0) return;
    if (!storeBeforeLeaving()) return;
    load(line);
}

bool RecordEditorController::enterNumber() {
    const auto n = parseWholeNumber(numberText);
    if (!n || *n < 1 || *n > static_cast<std::uint64_t>(count()) || current_ < 0) {
        numberText.clear();
        prompts_.show(msg::error(texts_, layout_.wrongNumberTextNumber, layout_.wrongNumberText));
        return false;
    }
    if (!storeBeforeLeaving()) return false;
    load(static_cast<int>(*n) - 1);
    return true;
}

void RecordEditorController::enterDescriptor() {
    if (current_ < 0) return;
    if (descriptor.empty() && layout_.emptyDescriptorAsBlank) descriptor = " ";
    lines_.at(static_cast<std::size_t>(current_)) = descriptor;
}

void RecordEditorController::enterInList(int line) {
    if (current_ < 0) return;
    if (layout_.listEnterSelects && line >= 0) {
        selectLine(line);
        return;
    }
    // The number is shown again; a name just typed stays (it is stored with
    // the record, as Enter in the name edit leaves it).
    numberText = std::to_string(current_ + 1);
}

bool RecordEditorController::refuse(std::size_t i) {
    values_.at(i).text.clear();
    const auto& m = layout_.fields[i].checkMessage;
    prompts_.show(msg::error(texts_, m.text, m.english));
    return false;
}

bool RecordEditorController::enterInNumberField(std::size_t i) {
    auto& v = values_.at(i);
    switch (layout_.fields[i].check) {
        case FieldCheck::None:
            if (v.text.empty()) v.text = "0";
            return true;
        case FieldCheck::WholeNumber:
            return parseWholeNumber(v.text) ? true : refuse(i);
        case FieldCheck::DigitsOnKey:
            return keyReleasedInField(i);
    }
    return true;
}

bool RecordEditorController::keyReleasedInField(std::size_t i) {
    const auto& v = values_.at(i);
    if (layout_.fields[i].check != FieldCheck::DigitsOnKey || v.text.empty()) return true;
    const bool digits = std::all_of(v.text.begin(), v.text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? true : refuse(i);
}

const FieldRow& RecordEditorController::row(std::size_t i) const {
    if (i >= layout_.fields.size()) throw std::out_of_range("no field " + std::to_string(i));
    return layout_.fields[i];
}

bool RecordEditorController::fieldAllowedByCount(std::size_t i) const {
    return !fieldRule(row(i), session_.app).locked;
}

int RecordEditorController::fieldMaxDigits(std::size_t i) const {
    const auto& f = row(i);
    if (f.encoding != FieldEncoding::Packed) return f.maxDigits;
    return fieldRule(f, session_.app).digits;
}

std::optional<Caption> RecordEditorController::currentCaption(std::size_t i) const {
    if (!layout_.recaption) return std::nullopt;
    const auto& r = *layout_.recaption;
    const auto& name = row(i).name;
    const auto t = std::find(r.targets.begin(), r.targets.end(), name);
    if (t == r.targets.end()) return std::nullopt;
    const auto value = values_.at(fieldIndex(r.field)).index;
    if (value < 0 || static_cast<std::size_t>(value) >= r.byValue.size()) return layout_.fields[i].caption;
    const auto& captions = r.byValue[static_cast<std::size_t>(value)];
    const auto pos = static_cast<std::size_t>(t - r.targets.begin());
    return pos < captions.size() ? captions[pos] : layout_.fields[i].caption;
}

bool RecordEditorController::fieldHidden(std::size_t i) const {
    const auto c = currentCaption(i);
    return c && c->text == kHiddenCaption;
}

std::uint8_t RecordEditorController::printOptionByte() const {
    return layout_.printOptions ? buffer_.at(layout_.printOptionOffset) : 0;
}

void RecordEditorController::setPrintOptionByte(std::uint8_t byte) {
    if (layout_.printOptions) buffer_.at(layout_.printOptionOffset) = byte;
}

bool RecordEditorController::ok() { return storeBeforeLeaving(); }

}  // namespace tramond
