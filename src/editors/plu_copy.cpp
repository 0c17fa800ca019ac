#include "editors/plu_copy.h"

#include <algorithm>
#include <fstream>

#include "editors/packed_field.h"
#include "editors/plu_list.h"
#include "editors/record_editor.h"
#include "program/program_changes.h"
#include "program/update_list.h"

namespace tramond {

namespace {

constexpr std::array<PluCopyGroup, kPluCopyGroupCount> kGroups{{
    {"CheckBox1", "&Name", 9, 33},
    {"CheckBox2", "&Departments", 34, 35},
    {"CheckBox3", "Prices", 37, 72},
    {"CheckBox4", "Costprice :   ", 73, 80},
    {"CheckBox5", "&Linked PLU", 82, 88},
    {"CheckBox6", "Quantity of Linked Plu", 89, 97},
    {"CheckBox7", "Condiment Table Link", 81, 81},
    {"CheckBox8", "&Tare", 98, 106},
    {"CheckBox9", "&Options", 0, 1},
    {"CheckBox10", "P&rint Options", 107, 107},
    {"CheckBox11", "KP", 108, 108},
    {"CheckBox12", "Taxes", 109, 109},
}};

// A number the user typed; anything else counts as 0.
long long numberOrZero(std::string_view text) {
    const auto n = parseWholeNumber(text);
    return n && *n <= 1'000'000'000ULL ? static_cast<long long>(*n) : 0;
}

}  // namespace

std::span<const PluCopyGroup, kPluCopyGroupCount> pluCopyGroups() {
    return kGroups;
}

PluCopyResult copyPluFields(const ProgramSession& session, const PluHeader& header,
                            std::span<const std::uint8_t> source, int sourceRecord, const PluCopyRequest& request) {
    using Outcome = PluCopyResult::Outcome;
    PluCopyResult result;
    const long long range = numberOrZero(request.range);
    const long long start = numberOrZero(request.start);
    if (range == 0 || start == 0) return result;

    long long first = start;
    if (first == sourceRecord) ++first;  // never copy the source onto itself
    const long long last = first + range - 1;
    if (first < 1 || last > header.count) {
        result.outcome = Outcome::RangeTooBig;
        return result;
    }
    if (source.size() != plu::kRecordSize) {
        result.outcome = Outcome::FileError;
        return result;
    }

    auto groups = request.groups;
    if (header.codeMode()) groups[kPluCopyName] = false;

    const auto size = plu::kRecordSize;
    const auto runBytes = static_cast<std::size_t>(range) * size;
    std::fstream file(session.file(".plu"), std::ios::in | std::ios::out | std::ios::binary);
    if (!file) {
        result.outcome = Outcome::FileError;
        return result;
    }
    // The whole run is read and written once, in place.
    std::vector<std::uint8_t> run(runBytes);
    const auto offset = static_cast<std::streamoff>((first - 1) * static_cast<long long>(size));
    file.seekg(offset);
    file.read(reinterpret_cast<char*>(run.data()), static_cast<std::streamsize>(runBytes));
    if (file.gcount() != static_cast<std::streamsize>(runBytes)) {
        // A file shorter than the PLU count: never extend it with copies.
        result.outcome = Outcome::FileError;
        return result;
    }
    for (std::size_t r = 0; r < static_cast<std::size_t>(range); ++r) {
        auto* target = run.data() + r * size;
        for (std::size_t g = 0; g < kGroups.size(); ++g) {
            if (!groups[g]) continue;
            std::copy(source.begin() + static_cast<std::ptrdiff_t>(kGroups[g].first),
                      source.begin() + static_cast<std::ptrdiff_t>(kGroups[g].last + 1), target + kGroups[g].first);
        }
    }
    file.close();
    // Marked with the write: each changed target by its own change code, or
    // in code mode by its own code (a target without a code is no PLU on the
    // register and marks nothing).
    try {
        writeProgramFileAt(session.updateList(), session.app, session.file(".plu"), static_cast<std::size_t>(offset),
                           run);
    } catch (const std::exception&) {
        result.outcome = Outcome::FileError;  // nothing was written
        return result;
    }

    result.targets.reserve(static_cast<std::size_t>(range));
    for (long long t = first; t <= last; ++t) result.targets.push_back(static_cast<int>(t));
    result.nameCopied = groups[kPluCopyName];
    result.outcome = Outcome::Copied;
    return result;
}

}  // namespace tramond
