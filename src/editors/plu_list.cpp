#include "editors/plu_list.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "editors/packed_field.h"
#include "editors/plu_record.h"
#include "editors/record_file.h"
#include "program/plu_numbering.h"

namespace tramond {

namespace {

char foldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Compares two names as their blank-padded columns compare, ignoring ASCII
// case first (the order a reader of the list expects), then exactly.
int compareNames(std::string_view a, std::string_view b) {
    const auto n = std::max(a.size(), b.size());
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < n; ++i) {
            char ca = i < a.size() ? a[i] : ' ';
            char cb = i < b.size() ? b[i] : ' ';
            if (pass == 0) {
                ca = foldCase(ca);
                cb = foldCase(cb);
            }
            if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
        }
    }
    return 0;
}

void putPadded(std::string& line, std::string_view text, std::size_t columns) {
    const auto cut = cutToChars(text, columns);
    line += cut;
    line.append(columns - charCount(cut), ' ');
}

}  // namespace

std::size_t PluList::nameColumn() const {
    return (codeMode() && order_ == PluListOrder::Code) ? 15 : 0;
}

PluList PluList::fromBytes(std::span<const std::uint8_t> file, std::size_t count, int codeBytes,
                           PluListOrder order) {
    PluList list(std::clamp(codeBytes, 0, 7));
    const auto n = std::min(count, file.size() / plu::kRecordSize);
    list.entries_.reserve(n);
    const auto bytes = static_cast<std::size_t>(list.codeBytes_);
    for (std::size_t r = 0; r < n; ++r) {
        const auto rec = file.subspan(r * plu::kRecordSize, plu::kRecordSize);
        PluListEntry e;
        e.record = static_cast<int>(r + 1);
        e.name = readDescriptor(rec, plu::kDescriptor, plu::kDescriptorField);
        if (bytes > 0) {
            const auto code = rec.subspan(plu::kCode, bytes);
            e.used = !packed_field::isZero(code);
            e.code = e.used ? packed_field::digits(code) : std::string();
        }
        list.entries_.push_back(std::move(e));
    }
    list.recount();
    list.sort(order);
    return list;
}

std::optional<PluList> PluList::read(const std::filesystem::path& pluFile, std::size_t count, int codeBytes,
                                     PluListOrder order) {
    std::ifstream in(pluFile, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes(count * plu::kRecordSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return fromBytes(bytes, count, codeBytes, order);
}

void PluList::recount() {
    used_ = static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return e.used; }));
}

bool PluList::less(const PluListEntry& a, const PluListEntry& b) const {
    // Code order is the register's: its PLU n is line n of this order.
    if (order_ == PluListOrder::Code) return PluNumbering::before(a.used, a.code, a.record, b.used, b.code, b.record);
    if (a.used != b.used) return a.used;
    if (!a.used) return a.record < b.record;  // every unused line reads the same but for its number
    switch (order_) {
        case PluListOrder::File:
        case PluListOrder::Code:
            break;
        case PluListOrder::Name:
            if (const int c = compareNames(a.name, b.name)) return c < 0;
            if (a.code != b.code) return a.code < b.code;
            break;
    }
    return a.record < b.record;
}

void PluList::sort(PluListOrder order) {
    order_ = order;
    std::sort(entries_.begin(), entries_.end(), [this](const auto& a, const auto& b) { return less(a, b); });
}

std::string PluList::line(std::size_t i) const {
    const auto& e = entries_.at(i);
    std::string out;
    out.reserve(kLineLength + 8);
    const std::string code = e.used ? e.code : std::string(static_cast<std::size_t>(codeBytes_) * 2, '9');
    const std::string_view name = e.used ? std::string_view(e.name) : kUnusedName;
    if (!codeMode()) {
        putPadded(out, name, 40);
    } else if (order_ == PluListOrder::Name) {
        putPadded(out, name, 25);
        putPadded(out, code, 15);
    } else {
        putPadded(out, code + " ", 15);
        putPadded(out, name, 25);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%05d", e.record);
    out += number;
    out.append(kLineLength - std::min<std::size_t>(kLineLength, charCount(out)), ' ');
    return out;
}

std::vector<std::string> PluList::lines() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) out.push_back(line(i));
    return out;
}

std::optional<std::size_t> PluList::findCode(std::string_view typed) const {
    const auto want = packed_field::stripZeros(typed);
    if (want.empty()) return std::nullopt;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const auto& e = entries_[i];
        if (e.used && packed_field::stripZeros(e.code) == want) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> PluList::findRecord(int record) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].record == record) return i;
    return std::nullopt;
}

void PluList::setName(std::size_t i, std::string name) { entries_.at(i).name = std::move(name); }

std::size_t PluList::makeUsed(std::size_t i, std::string code, std::string name) {
    auto e = entries_.at(i);
    e.used = true;
    e.code = std::move(code);
    e.name = std::move(name);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    // Among the used lines, before the first one that sorts after it; the
    // names there may have been edited since the last sort, so this is the
    // place a reader would look for it rather than a strict bisection.
    std::size_t pos = 0;
    while (pos < entries_.size() && entries_[pos].used && !less(e, entries_[pos])) ++pos;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(e));
    recount();
    return pos;
}

std::size_t PluList::makeUnused(std::size_t i) {
    const int record = entries_.at(i).record;
    entries_[i].used = false;
    entries_[i].code.clear();
    recount();
    sort(order_);
    return *findRecord(record);
}


}  // namespace tramond
