#include "keyboard/condiment_editor.h"

#include <algorithm>
#include <charconv>

#include "program/codepage.h"
#include "program/file_io.h"
#include "program/plu_numbering.h"
#include "program/program_changes.h"

namespace tramond {
namespace {

constexpr std::string_view kWrongInput = "Wrong Input!";
constexpr std::uint16_t kPluIsCondiment = 1u << 1;

std::optional<std::uint32_t> number(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::uint32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::string trimmedRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

void CondimentEditor::error(const std::string& title, const std::string& text) {
    prompter_.message(MessageKind::Error, title, text);
}

void CondimentEditor::activate() {
    tables_.clear();
    plus_.clear();
    try {
        const auto con = readFile(session_.file(".con"));
        const auto count = std::min<std::size_t>(recordCount(session_.app, RecordKind::Condiment), con.size() / kRecordSize);
        for (std::size_t t = 0; t < count; ++t)
            tables_.push_back({static_cast<int>(t + 1),
                               trimmedRight(oemToUtf8(std::span(con).subspan(t * kRecordSize + kNameOffset, kNameLength)))});
    } catch (const FileError&) {
        error(std::string(kErrorTitle), std::string(kErrorOpeningFile));
    }
    load(1);
    try {
        const auto plu = readFile(session_.file(".plu"));
        const auto size = kindInfo(RecordKind::Plu).recordSize;
        const auto place = *descriptorPlace(RecordKind::Plu);
        // Listed and stored by the register's PLU number (in code mode the
        // place in code order, not the record), in that order.
        const auto numbering = PluNumbering::of(plu, session_.app);
        for (const int record : numbering.records()) {
            const auto r = static_cast<std::size_t>(record - 1);
            const auto options = static_cast<std::uint16_t>(plu[r * size] | (plu[r * size + 1] << 8));
            if ((options & kPluIsCondiment) && numbering.used(record))
                plus_.push_back({numbering.numberOf(record),
                                 trimmedRight(oemToUtf8(std::span(plu).subspan(r * size + place.offset, place.field)))});
        }
    } catch (const FileError&) {
        error(std::string(kErrorTitle), std::string(kErrorOpeningFile));
    }
}

std::string CondimentEditor::pluName(std::uint32_t record) {
    // A value beyond the PLU count names nothing; it must not read past the file.
    if (record < 1 || record > recordCount(session_.app, RecordKind::Plu)) return {};
    return names_.recordName(RecordKind::Plu, static_cast<int>(record)).value_or(std::string());
}

std::string CondimentEditor::entryName(std::uint32_t value) {
    if (!macro()) return pluName(value);
    KeyCaptions captions(session_.app, texts_, names_);
    auto name = captions.caption(static_cast<std::uint16_t>(value));
    for (const auto& m : captions.takeMessages()) error(m.title, m.text);
    return name;
}

void CondimentEditor::load(int t) {
    loaded_ = false;
    name.clear();
    link.clear();
    options = {};
    rows.clear();
    std::vector<std::uint8_t> con;
    try {
        con = readFile(session_.file(".con"));
    } catch (const FileError&) {
        error(std::string(kErrorTitle), std::string(kErrorOpeningFile));
        return;
    }
    const auto at = static_cast<std::size_t>(t - 1) * kRecordSize;
    if (t < 1 || at + kRecordSize > con.size()) return;
    snapshot_.assign(con.begin() + static_cast<std::ptrdiff_t>(at), con.begin() + static_cast<std::ptrdiff_t>(at + kRecordSize));
    current_ = t;
    loaded_ = true;
    name = oemToUtf8(std::span(snapshot_).subspan(kNameOffset, kNameLength));
    link = std::to_string(snapshot_[kLinkOffset]);
    const auto word = static_cast<std::uint16_t>(snapshot_[0] | (snapshot_[1] << 8));
    for (std::size_t i = 0; i < options.size(); ++i) options[i] = (word >> kOptionBits[i]) & 1;
    for (int e = 0; e < kMaxEntries; ++e) {
        const auto* p = snapshot_.data() + kEntriesOffset + kEntrySize * static_cast<std::size_t>(e);
        const std::uint32_t v = p[0] | (p[1] << 8);
        if (v != 0) rows.push_back({std::to_string(v), entryName(v)});
    }
    if (rows.empty()) rows.push_back({});
}

bool CondimentEditor::store() {
    if (!loaded_) return true;  // nothing was read, so nothing is written
    const auto linkValue = link.empty() ? std::optional<std::uint32_t>(0) : number(link);
    if (!linkValue || *linkValue > 255) {
        // One byte holds the link: 256 would become table 0, 300 table 44.
        error(std::string(kErrorTitle), std::string(kWrongInput));
        return false;
    }
    auto record = snapshot_;
    std::fill(record.begin() + kNameOffset, record.begin() + kNameOffset + kNameLength + 1, 0);
    const auto oem = utf8ToOem(name);
    std::copy_n(oem.begin(), std::min(oem.size(), kNameLength), record.begin() + kNameOffset);
    record[kLinkOffset] = static_cast<std::uint8_t>(*linkValue);
    std::uint16_t word = 0;
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i]) word = static_cast<std::uint16_t>(word | (1u << kOptionBits[i]));
    record[0] = static_cast<std::uint8_t>(word & 0xFF);
    record[1] = static_cast<std::uint8_t>(word >> 8);
    std::fill(record.begin() + kEntriesOffset, record.end(), 0);
    std::size_t slot = 0;
    for (const auto& r : rows) {
        if (r.value.empty() || slot >= kMaxEntries) continue;
        const auto v = number(r.value).value_or(0);
        const auto stored = v > 0xFFFF ? 0 : v;
        auto* p = record.data() + kEntriesOffset + kEntrySize * slot;
        p[0] = static_cast<std::uint8_t>(stored & 0xFF);
        p[1] = static_cast<std::uint8_t>(stored >> 8);
        ++slot;
    }
    if (record == snapshot_) return true;
    try {
        auto con = readFile(session_.file(".con"));
        const auto at = static_cast<std::size_t>(current_ - 1) * kRecordSize;
        if (at + kRecordSize > con.size()) throw FileError("The condiment file is shorter than its table count");
        std::copy(record.begin(), record.end(), con.begin() + static_cast<std::ptrdiff_t>(at));
        writeProgramFile(session_, session_.file(".con"), con);  // marks the table with the write
    } catch (const std::exception& e) {
        error(std::string(kErrorTitle), e.what());
        return false;
    }
    snapshot_ = record;
    if (current_ >= 1 && current_ <= static_cast<int>(tables_.size()))
        tables_[static_cast<std::size_t>(current_ - 1)].name = trimmedRight(name);
    return true;
}

bool CondimentEditor::chooseTable(int t) {
    if (!store()) return false;
    load(t);
    return true;
}

bool CondimentEditor::add(Row row) {
    if (rows.empty() || !rows.back().value.empty()) {
        if (static_cast<int>(rows.size()) >= kMaxEntries) {
            prompter_.message(MessageKind::Warning, std::string(kErrorTitle), "List has max 16 Items!");
            return false;
        }
        rows.push_back({});
    }
    rows.back() = std::move(row);
    return true;
}

bool CondimentEditor::addPlu(int index) {
    if (index < 0 || index >= static_cast<int>(plus_.size())) return false;
    const auto& p = plus_[static_cast<std::size_t>(index)];
    return add({std::to_string(p.number), p.name});
}

bool CondimentEditor::addFunction(std::uint16_t code) {
    if (code == 0) return false;
    return add({std::to_string(code), entryName(code)});
}

void CondimentEditor::deleteRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    if (rows.size() == 1)
        rows[0] = {};
    else
        rows.erase(rows.begin() + row);
}

void CondimentEditor::deleteAll() { rows.assign(1, Row{}); }

void CondimentEditor::setMacro(bool on) {
    options[3] = on;
    if (rows.empty() || !rows.back().value.empty()) {
        if (static_cast<int>(rows.size()) < kMaxEntries) rows.push_back({});
    }
}

}  // namespace tramond
