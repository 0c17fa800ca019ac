#include "program/text_editing.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>

#include "program/codepage.h"
#include "program/file_io.h"
#include "program/program_changes.h"

namespace tramond {

namespace {

std::size_t at(TextSection s) { return textblock::sectionInfo(s).offset; }

constexpr std::array<std::uint32_t, 3> kReceiptHeaderCodes{70, 71, 94};
constexpr std::array<std::uint32_t, 3> kReceiptTrailerCodes{73, 74, 96};
constexpr std::array<std::uint32_t, 2> kSlipHeaderCodes{76, 77};
constexpr std::array<std::uint32_t, 1> kPbExtraTrailerCodes{kPbExtraTrailerChangeCode};
constexpr std::array<std::uint32_t, 8> kSpecialCaptionCodes{30, 31, 32, 33, 34, 35, 36, 37};
constexpr std::array<std::uint32_t, 8> kProgramCaptionCodes{52, 53, 54, 55, 56, 57, 58, 59};
constexpr std::array<std::uint32_t, 10> kSystemMessageCodes{40, 41, 42, 43, 44, 45, 46, 47, 48, 49};
constexpr std::array<std::uint32_t, 1> kDayNameCodes{60};
constexpr std::array<std::uint32_t, 1> kMonthNameCodes{62};
constexpr std::array<std::uint32_t, 2> kReportNameCodes{65, 66};

const std::array<TextEditorInfo, 10> kEditors{{
    {"mReceiptHeader1Click", "Receipt Header", 659, 11, 48, TextStorage::TextBlock,
     at(TextSection::ReceiptHeader), kReceiptHeaderCodes, EntryRule::None},
    {"mReceiptTrailer1Click", "Receipt Trailer", 660, 11, 48, TextStorage::TextBlock,
     at(TextSection::ReceiptTrailer), kReceiptTrailerCodes, EntryRule::None},
    {"mSlipHeader1Click", "Slip Header", 661, 11, 40, TextStorage::TextBlock, at(TextSection::SlipHeader),
     kSlipHeaderCodes, EntryRule::None},
    {"mPBExtraTrailer1Click", "PB Extra Trailer", 662, kPbExtraTrailerLines,
     kPbExtraTrailerWidth, TextStorage::PbExtraTrailerFile, 0, kPbExtraTrailerCodes,
     EntryRule::None},
    {"mSpecialCaptions1Click", "Special Captions", 663, 100, 17, TextStorage::TextBlock,
     at(TextSection::SpecialCaptions), kSpecialCaptionCodes, EntryRule::PadToEndWithZero},
    {"mProgramCaptions1Click", "Program Captions", 874, 100, 17, TextStorage::TextBlock,
     at(TextSection::ProgramCaptions), kProgramCaptionCodes, EntryRule::ZeroAtEnd},
    {"mSystemMessages1Click", "System Messages", 664, 120, 24, TextStorage::TextBlock,
     at(TextSection::SystemMessages), kSystemMessageCodes, EntryRule::None},
    {"mDayDescriptors1Click", "Day Descriptors", 665, 7, 17, TextStorage::TextBlock, at(TextSection::DayNames),
     kDayNameCodes, EntryRule::ZeroAtEnd},
    {"mMonthDescriptors1Click", "Month Descriptors", 666, 12, 17, TextStorage::TextBlock,
     at(TextSection::MonthNames), kMonthNameCodes, EntryRule::ZeroAtEnd},
    {"mReportNames1Click", "Report Names", 667, 16, 25, TextStorage::TextBlock, at(TextSection::ReportNames),
     kReportNameCodes, EntryRule::ZeroAtEnd},
}};

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t sectionSize(const TextEditorInfo& info) {
    return static_cast<std::size_t>(info.lines) * static_cast<std::size_t>(info.width);
}

// The trailer keeps each line up to its first zero byte; whatever follows an
// empty line is still the user's text, so it is kept line by line rather than
// cut off at the first zero of the whole buffer.
void zeroAfterFirstZeroPerLine(std::span<std::uint8_t> bytes, int width) {
    const auto w = static_cast<std::size_t>(width);
    for (std::size_t start = 0; start + w <= bytes.size(); start += w) {
        auto line = bytes.subspan(start, w);
        auto zero = std::find(line.begin(), line.end(), std::uint8_t{0});
        std::fill(zero, line.end(), std::uint8_t{0});
    }
}

std::vector<std::uint8_t> readPbExtraTrailer(const std::filesystem::path& path) {
    std::vector<std::uint8_t> buffer(kPbExtraTrailerSize, 0);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        writeFileAtomic(path, buffer);
        return buffer;
    }
    auto content = readFile(path);
    std::copy_n(content.begin(), std::min(content.size(), buffer.size()), buffer.begin());
    return buffer;
}

}  // namespace

std::span<const TextEditorInfo> textEditors() { return kEditors; }

const TextEditorInfo* findTextEditor(std::string_view handler) {
    for (const auto& e : kEditors)
        if (e.handler == handler) return &e;
    return nullptr;
}

bool pbExtraTrailerAvailable(const ApplicationBlock& app) {
    return app.get(appblock::kPbCount) != 0 && app.get(appblock::kPbTrailer);
}

// ---------------------------------------------------------------------------

std::size_t LineGrid::characterCount(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return !isContinuationByte(c); }));
}

std::string LineGrid::cutToCharacters(std::string_view utf8, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (isContinuationByte(utf8[i])) continue;
        if (seen == count) return std::string(utf8.substr(0, i));
        ++seen;
    }
    return std::string(utf8);
}

LineGrid::LineGrid(int lineCount, int width, std::vector<std::string> lines) : width_(width) {
    if (lineCount < 0 || width <= 0) throw std::invalid_argument("line grid size");
    lines.resize(static_cast<std::size_t>(lineCount));
    cells_.reserve(lines.size());
    for (auto& line : lines) cells_.push_back(line.empty() ? std::string(kEmptyMark) : std::move(line));
}

void LineGrid::edit(int row, std::string text) {
    auto& c = cells_.at(static_cast<std::size_t>(row));
    c = std::move(text);
    if (characterCount(c) > static_cast<std::size_t>(width_)) outOfLine_ = true;
}

void LineGrid::cut(std::size_t row) {
    auto& c = cells_.at(row);
    if (characterCount(c) > static_cast<std::size_t>(width_))
        c = cutToCharacters(c, static_cast<std::size_t>(width_));
}

void LineGrid::keyReleased(int row) {
    auto& c = cells_.at(static_cast<std::size_t>(row));
    if (characterCount(c) > static_cast<std::size_t>(width_)) {
        cut(static_cast<std::size_t>(row));
        outOfLine_ = false;
    }
}

void LineGrid::focusLost() {
    for (std::size_t r = 0; r < cells_.size(); ++r) cut(r);
}

void LineGrid::accept() {
    result_.clear();
    result_.reserve(cells_.size());
    for (auto& c : cells_) {
        if (c.empty()) c = std::string(kEmptyMark);
        if (c == kEmptyMark) {
            result_.emplace_back(std::nullopt);
            continue;
        }
        // A pasted text that never saw a key release is still held to the
        // width here, so it cannot spill into the next line.
        std::string line = cutToCharacters(c, static_cast<std::size_t>(width_));
        line.append(static_cast<std::size_t>(width_) - characterCount(line), ' ');
        result_.emplace_back(std::move(line));
    }
    accepted_ = true;
}

// ---------------------------------------------------------------------------

std::vector<std::uint8_t> encodeLines(const LineGrid& grid) {
    const auto w = static_cast<std::size_t>(grid.width());
    std::vector<std::uint8_t> out(static_cast<std::size_t>(grid.lineCount()) * w, ' ');
    const auto& lines = grid.result();
    for (std::size_t r = 0; r < lines.size(); ++r) {
        auto* line = out.data() + r * w;
        if (!lines[r]) {
            line[0] = 0;
            continue;
        }
        auto oem = utf8ToOem(*lines[r]);
        std::copy_n(oem.begin(), std::min(oem.size(), w), line);
    }
    return out;
}

void applyEntryRule(std::span<std::uint8_t> bytes, int width, EntryRule rule) {
    if (rule == EntryRule::None) return;
    const auto w = static_cast<std::size_t>(width);
    for (std::size_t start = 0; start + w <= bytes.size(); start += w) {
        auto entry = bytes.subspan(start, w);
        if (rule == EntryRule::PadToEndWithZero) {
            auto zero = std::find(entry.begin(), entry.end() - 1, std::uint8_t{0});
            std::fill(zero, entry.end() - 1, std::uint8_t{' '});
        }
        entry[w - 1] = 0;
    }
}

std::vector<std::string> decodeLines(std::span<const std::uint8_t> bytes, int lines, int width) {
    const auto w = static_cast<std::size_t>(width);
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(lines));
    for (std::size_t r = 0; r < static_cast<std::size_t>(lines); ++r) {
        if ((r + 1) * w > bytes.size()) {
            out.emplace_back();
            continue;
        }
        out.push_back(oemToUtf8(bytes.subspan(r * w, w)));
    }
    return out;
}

// ---------------------------------------------------------------------------

TextEditorController::Check TextEditorController::check(const ProgramSession& session,
                                                        const TextEditorInfo& info) {
    if (!session.loaded) return Check::NoProgram;
    if (info.storage == TextStorage::PbExtraTrailerFile && !pbExtraTrailerAvailable(session.app))
        return Check::NotAvailable;
    return Check::Ok;
}

std::vector<std::uint8_t> TextEditorController::sectionBytes() const {
    if (info_.storage == TextStorage::PbExtraTrailerFile) {
        auto bytes = readPbExtraTrailer(session_.file(".pxt"));
        zeroAfterFirstZeroPerLine(bytes, info_.width);
        return bytes;
    }
    auto s = session_.text.slice(info_.offset, sectionSize(info_));
    return {s.begin(), s.end()};
}

TextEditorController::TextEditorController(ProgramSession& session, const TextEditorInfo& info)
    : session_(session),
      info_(info),
      original_(sectionBytes()),
      grid_(info.lines, info.width, decodeLines(original_, info.lines, info.width)) {}

TextEditorController::Outcome TextEditorController::finish() {
    // Closed without OK: the program's files, the update list and so the
    // register stay as they were.
    if (!grid_.accepted()) return Outcome::Saved;
    auto bytes = encodeLines(grid_);
    try {
        if (info_.storage == TextStorage::PbExtraTrailerFile) {
            zeroAfterFirstZeroPerLine(bytes, info_.width);
            const auto path = session_.file(".pxt");
            // Whatever a longer file holds beyond the trailer is kept.
            std::vector<std::uint8_t> content;
            std::error_code ec;
            if (std::filesystem::exists(path, ec)) content = readFile(path);
            if (content.size() < bytes.size()) content.resize(bytes.size(), 0);
            std::copy(bytes.begin(), bytes.end(), content.begin());
            // The section's codes are added on every close, changed or not,
            // and before anything is written; the write adds what differs.
            markChanges(session_.updateList(), {{info_.changeCodes.begin(), info_.changeCodes.end()}, {}});
            writeProgramFile(session_, path, content);
        } else {
            applyEntryRule(bytes, info_.width, info_.rule);
            auto text = session_.text;
            auto section = text.slice(info_.offset, sectionSize(info_));
            std::copy(bytes.begin(), bytes.end(), section.begin());
            markChanges(session_.updateList(), {{info_.changeCodes.begin(), info_.changeCodes.end()}, {}});
            writeProgramFile(session_, session_.file(".txt"), text.bytes());
            session_.text = text;  // only once it is on disk: a failed save leaves nothing to save unmarked
        }
    } catch (const FileError&) {
        return Outcome::WriteFailed;
    }
    return Outcome::Saved;
}

}  // namespace tramond
