#include "cli/restore_marks.h"

#include <algorithm>

#include "editors/packed_field.h"
#include "editors/plu_list.h"
#include "editors/plu_record.h"
#include "program/keyboard_header.h"
#include "program/machine_printer.h"
#include "program/program_ops.h"
#include "program/record_kinds.h"
#include "program/system_blocks.h"
#include "program/text_block.h"

namespace tramond {

namespace {

constexpr std::uint32_t kChkBlock = 111;

// Record n of a file; records past its end read as absent (empty).
std::span<const std::uint8_t> recordOf(std::span<const std::uint8_t> file, std::size_t size, std::uint32_t n) {
    const std::size_t at = static_cast<std::size_t>(n - 1) * size;
    if (at >= file.size()) return {};
    return file.subspan(at, std::min(size, file.size() - at));
}

bool same(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

void addBlocks(FileMarks& marks, const ApplicationBlock& before, const ApplicationBlock& after) {
    for (auto n : changedApplicationBlocks(before, after)) marks.codes.push_back(n);
}

// A text file shorter than the block fills only its start; the rest is
// what a load leaves there.
TextBlock textOf(std::span<const std::uint8_t> bytes) {
    TextBlock t = TextBlock::builtIn();
    std::copy_n(bytes.begin(), std::min(bytes.size(), TextBlock::kSize), t.bytes().begin());
    return t;
}

void textBlocks(FileMarks& marks, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after) {
    const TextBlock a = textOf(before);
    const TextBlock b = textOf(after);
    for (const auto& block : systemBlocks()) {
        if (block.area != BlockArea::Text) continue;
        if (!same(a.slice(block.offset, block.length), b.slice(block.offset, block.length)))
            marks.codes.push_back(block.number);
    }
}

// The PLU's code; empty for a record without one (no PLU on the register).
std::string codeDigits(std::span<const std::uint8_t> record, int codeBytes) {
    const auto n = static_cast<std::size_t>(codeBytes);
    if (record.size() < plu::kCode + n) return {};
    const auto field = record.subspan(plu::kCode, n);
    if (std::all_of(field.begin(), field.end(), [](std::uint8_t b) { return b == 0; })) return {};
    return packed_field::digits(field);
}

void pluLines(FileMarks& marks, const ApplicationBlock& app, std::span<const std::uint8_t> before,
              std::span<const std::uint8_t> after) {
    const int codeBytes = static_cast<int>(app.get(appblock::kPluRandomCodeSize));
    const std::uint32_t count = recordCount(app, RecordKind::Plu);
    std::vector<std::string> deleted, added, replaced;
    for (std::uint32_t n = 1; n <= count; ++n) {
        const auto a = recordOf(before, plu::kRecordSize, n);
        const auto b = recordOf(after, plu::kRecordSize, n);
        if (same(a, b)) continue;
        const auto oldCode = codeDigits(a, codeBytes);
        const auto newCode = codeDigits(b, codeBytes);
        const int record = static_cast<int>(n);
        if (!oldCode.empty() && oldCode != newCode) deleted.push_back(pluUpdateLine('D', oldCode, record));
        if (newCode.empty()) continue;
        if (oldCode == newCode) replaced.push_back(pluUpdateLine('R', newCode, record));
        else added.push_back(pluUpdateLine('N', newCode, record));
    }
    for (auto* group : {&deleted, &added, &replaced})
        marks.pluLines.insert(marks.pluLines.end(), group->begin(), group->end());
}

void records(FileMarks& marks, const KindInfo& kind, const ApplicationBlock& app, std::span<const std::uint8_t> before,
             std::span<const std::uint8_t> after) {
    const std::uint32_t count = recordCount(app, kind.kind);
    if (kind.wholeBlock) {
        const auto bytes = static_cast<std::size_t>(count) * kind.recordSize;
        if (!same(before.first(std::min(bytes, before.size())), after.first(std::min(bytes, after.size()))))
            marks.codes.push_back(kind.changeBase);
        return;
    }
    for (std::uint32_t n = 1; n <= count; ++n)
        if (!same(recordOf(before, kind.recordSize, n), recordOf(after, kind.recordSize, n)))
            marks.codes.push_back(changeCode(kind.kind, n));
}

}  // namespace

FileMarks marksBetween(std::string_view extension, const ApplicationBlock& app, std::span<const std::uint8_t> before,
                       std::span<const std::uint8_t> after) {
    FileMarks marks;
    if (same(before, after)) return marks;
    if (extension == ".app") {
        addBlocks(marks, applicationAsLoaded(before), applicationAsLoaded(after));
    } else if (extension == ".txt") {
        textBlocks(marks, before, after);
    } else if (extension == ".chk") {
        marks.codes.push_back(kChkBlock);
    } else if (extension.starts_with(".kb")) {
        // A keyboard file's header replaces the block's keyboard regions
        // when its register is sent to; the key records stay on the PC.
        const auto header = [&](std::span<const std::uint8_t> bytes) {
            ApplicationBlock block = app;
            if (bytes.size() >= kKeyboardHeaderSize) applyKeyboardHeader(block, bytes);
            return block;
        };
        addBlocks(marks, header(before), header(after));
    } else if (extension.starts_with(".pr")) {
        const auto printers = [&](std::span<const std::uint8_t> bytes) {
            ApplicationBlock block = app;
            if (bytes.size() >= kMachinePrinterSize)
                applyMachinePrinterBytes(block, bytes.first<kMachinePrinterSize>());
            return block;
        };
        addBlocks(marks, printers(before), printers(after));
    } else if (extension == ".bmp" || extension == ".cst") {
        marks.installOnly = true;
    } else if (const auto kind = kindForExtension(extension)) {
        if (*kind == RecordKind::Plu && app.get(appblock::kPluRandomCodeSize) != 0) pluLines(marks, app, before, after);
        else records(marks, kindInfo(*kind), app, before, after);
    }
    // The update list and the shared PB info list are the PC's own.
    std::sort(marks.codes.begin(), marks.codes.end());
    marks.codes.erase(std::unique(marks.codes.begin(), marks.codes.end()), marks.codes.end());
    return marks;
}

}  // namespace tramond
