#include "editors/customer_editor.h"

#include <algorithm>
#include <filesystem>

#include "editors/record_editor.h"
#include "editors/record_file.h"
#include "program/codepage.h"
#include "program/file_io.h"

namespace tramond {

namespace customer {
std::vector<std::uint8_t> newRecord(int n) {
    std::vector<std::uint8_t> r(kRecordSize, 0);
    r[kNumber] = static_cast<std::uint8_t>(n);
    r[kNumber + 1] = static_cast<std::uint8_t>(n >> 8);
    std::fill_n(r.begin() + kText, kLines * kLineChars, std::uint8_t{' '});
    for (std::size_t l = 0; l < kLines; ++l) r[kText + l * kLineChars] = '@';
    return r;
}
}  // namespace customer

namespace {

constexpr char kWrongInput[] = "Wrong input";

std::string trimRight(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

}  // namespace

CustomerEditorController::CustomerEditorController(ProgramSession& session, const LanguageTexts& texts,
                                                   EditorPrompts& prompts)
    : session_(session), texts_(texts), prompts_(prompts), buffer_(customer::kRecordSize, 0) {}

std::string CustomerEditorController::lineFor(std::span<const std::uint8_t> record) const {
    const auto number = record[customer::kNumber] | (record[customer::kNumber + 1] << 8);
    return std::to_string(number) + "  " + oemToUtf8(record.subspan(customer::kText, customer::kLineChars));
}

bool CustomerEditorController::activate() {
    lines_.clear();
    current_ = -1;
    const auto path = session_.file(".cst");
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
        std::vector<std::uint8_t> all;
        all.reserve(customer::kCount * customer::kRecordSize);
        for (int n = 1; n <= customer::kCount; ++n) {
            const auto r = customer::newRecord(n);
            all.insert(all.end(), r.begin(), r.end());
        }
        try {
            writeFileAtomic(path, all);
        } catch (const FileError&) {
            prompts_.show(msg::errorOpeningFile(texts_));
            return false;
        }
    }
    RecordFile file;
    if (!file.open(path, customer::kRecordSize, false)) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return false;
    }
    const auto available = std::min<std::size_t>(customer::kCount, file.recordsInFile());
    std::vector<std::uint8_t> record(customer::kRecordSize);
    for (std::size_t i = 0; i < available && file.read(i, record); ++i) lines_.push_back(lineFor(record));
    file.close();
    if (!lines_.empty()) load(0);
    return true;
}

void CustomerEditorController::load(int index) {
    RecordFile file;
    if (!file.open(session_.file(".cst"), customer::kRecordSize, true) ||
        !file.read(static_cast<std::size_t>(index), buffer_)) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return;
    }
    current_ = index;
    const auto number = buffer_[customer::kNumber] | (buffer_[customer::kNumber + 1] << 8);
    numberText = loadedNumber_ = std::to_string(number);
    discountText = std::to_string(buffer_[customer::kDiscount]);
    tax2 = (buffer_[customer::kChoices] & 0x01) != 0;
    restaurant = (buffer_[customer::kChoices] & 0x02) != 0;
    for (std::size_t l = 0; l < customer::kLines; ++l)
        textLines[l] = trimRight(
            oemToUtf8(std::span(buffer_).subspan(customer::kText + l * customer::kLineChars, customer::kLineChars)));
}

bool CustomerEditorController::store() {
    if (current_ < 0) return false;
    bool accepted = true;
    // Two bytes hold the number: anything else keeps the number as read.
    const auto number = parseWholeNumber(numberText);
    if (number && *number <= 0xFFFF) {
        buffer_[customer::kNumber] = static_cast<std::uint8_t>(*number);
        buffer_[customer::kNumber + 1] = static_cast<std::uint8_t>(*number >> 8);
    } else {
        prompts_.show(msg::error(texts_, -1, kWrongInput));
        accepted = false;
    }
    const auto discount = discountText.empty() ? std::optional<std::uint64_t>(0) : parseWholeNumber(discountText);
    if (discount && *discount <= 255) buffer_[customer::kDiscount] = static_cast<std::uint8_t>(*discount);
    buffer_[customer::kChoices] =
        static_cast<std::uint8_t>((buffer_[customer::kChoices] & ~0x03) | (tax2 ? 1 : 0) | (restaurant ? 2 : 0));
    auto text = std::span(buffer_).subspan(customer::kText, customer::kLines * customer::kLineChars);
    std::fill(text.begin(), text.end(), std::uint8_t{' '});
    for (std::size_t l = 0; l < customer::kLines; ++l) {
        const auto oem = utf8ToOem(cutToChars(textLines[l], customer::kLineChars));
        std::copy_n(oem.begin(), std::min(oem.size(), customer::kLineChars),
                    text.begin() + static_cast<std::ptrdiff_t>(l * customer::kLineChars));
    }
    buffer_[customer::kEnd] = 0;

    RecordFile file;
    if (!file.open(session_.file(".cst"), customer::kRecordSize, true) ||
        !file.write(static_cast<std::size_t>(current_), buffer_)) {
        prompts_.show(msg::errorWritingFile(texts_));
        return false;
    }
    lines_.at(static_cast<std::size_t>(current_)) = lineFor(buffer_);
    loadedNumber_ = numberText = std::to_string(buffer_[customer::kNumber] | (buffer_[customer::kNumber + 1] << 8));
    return accepted;
}

void CustomerEditorController::next() {
    if (current_ < 0) return;
    store();
    load((current_ + 1) % count());
}

void CustomerEditorController::selectLine(int line) {
    if (current_ < 0 || line < 0 || line >= count()) return;
    store();
    load(line);
}

bool CustomerEditorController::enterNumber() {
    const auto n = parseWholeNumber(numberText);
    if (current_ < 0 || !n || *n < 1 || *n > static_cast<std::uint64_t>(count())) return false;
    // The number edit is also the jump box: what was typed names the record
    // to go to, not a new number for the one being left.
    numberText = loadedNumber_;
    store();
    load(static_cast<int>(*n) - 1);
    return true;
}

bool CustomerEditorController::discountKeyReleased() {
    if (discountText.empty()) return true;
    const auto v = parseWholeNumber(discountText);
    if (v && *v <= 255) return true;
    prompts_.show(msg::error(texts_, -1, kWrongInput));
    discountText = "0";
    return false;
}

}  // namespace tramond
