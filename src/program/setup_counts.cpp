#include "program/setup_counts.h"

#include <array>
#include <stdexcept>

#include "program/default_records.h"
#include "program/program_changes.h"
#include "program/setup_common.h"

namespace tramond {

namespace {

constexpr std::array<CountItemInfo, 5> kCountItems{{
    {CountItem::Groups, "Groups1Click", RecordKind::Group, 499, true, 31},
    {CountItem::Departments, "Departments1Click", RecordKind::Department, 4999, true, 32},
    {CountItem::Modifiers, "Modifiers1Click", RecordKind::Modifier, 999, false, 38},
    {CountItem::Salespersons, "SalesPersons1Click", RecordKind::Salesperson, 255, false, 37},
    {CountItem::Condiments, "CondimentsClick", RecordKind::Condiment, 99, false, 83},
}};

// Salesperson header: count at 2561, register record length at 2563,
// descriptor length at 2565.
constexpr std::size_t kSalespersonLength = 2563;
constexpr std::size_t kSalespersonDescriptor = 2565;

}  // namespace

std::string Enter2Numbers::numberLabel(std::string_view number, std::string_view max, int limit) {
    return std::string(number) + " (" + std::string(max) + " " + std::to_string(limit) + "):";
}

std::string Enter2Numbers::captionSizeLabel(std::string_view captionSize, std::string_view chars,
                                            std::string_view max, int limit) {
    return std::string(captionSize) + " (" + std::string(chars) + " " + std::string(max) + " " +
           std::to_string(limit) + "):";
}

bool Enter2Numbers::acceptsText(std::string_view text) const {
    return text.empty() || setup::parseNumber(text, limit_).has_value();
}

bool Enter2Numbers::confirm(std::string_view text) {
    const auto n = setup::parseNumberOrZero(text, limit_);
    if (!n) return false;
    number_ = static_cast<std::uint32_t>(*n);
    confirmed_ = true;
    return true;
}

std::span<const CountItemInfo> countItems() { return kCountItems; }

const CountItemInfo& countItemInfo(CountItem item) {
    for (const auto& info : kCountItems)
        if (info.item == item) return info;
    throw std::invalid_argument("unknown count item");
}

std::uint32_t currentCount(const ApplicationBlock& app, CountItem item) {
    return recordCount(app, countItemInfo(item).kind);
}

CountOutcome applyCount(ProgramSession& session, CountItem item,
                        std::optional<std::uint32_t> confirmedNumber) {
    const auto& info = countItemInfo(item);
    const auto& kind = kindInfo(info.kind);
    auto& app = session.app;
    if (confirmedNumber) {
        std::uint32_t n = std::min<std::uint32_t>(*confirmedNumber, static_cast<std::uint32_t>(info.limit));
        if (n == 0 && info.zeroBecomesOne) n = 1;
        if (item == CountItem::Salespersons) {
            app.setU16(kind.countOffset, static_cast<std::uint16_t>(n & 0xff));
            app.setU16(kSalespersonLength,
                       static_cast<std::uint16_t>(app.u8(kSalespersonDescriptor) + 2));
        } else {
            app.setU16(kind.countOffset, static_cast<std::uint16_t>(n));
        }
    }
    CountOutcome out;
    out.count = recordCount(app, info.kind);
    // The file on disk carries the same derived sizes as the block in memory.
    out.memory = recomputeSizes(app);
    if (session.loaded) {
        if (confirmedNumber) setup::writeApplicationFile(session);
        if (item != CountItem::Salespersons || out.count != 0)
            out.appended = setup::extendRecordFile(session, info.kind);
    }
    return out;
}

}  // namespace tramond

namespace tramond::setup {

std::uint32_t extendRecordFile(const ProgramSession& session, RecordKind kind) {
    if (!session.loaded || session.programPath.empty()) return 0;
    const auto file = session.file(kindInfo(kind).extension);
    // The records about to be appended are marked first, as any write is.
    std::error_code ec;
    const auto size = std::filesystem::exists(file, ec) ? std::filesystem::file_size(file, ec) : 0;
    const auto recordSize = kindInfo(kind).recordSize;
    const auto count = recordCount(session.app, kind);
    if (const auto first = ec ? 0 : firstMissingRecord(size, recordSize, count); first != 0) {
        const auto added = defaultRecords(kind, first, count, session.app, session.text);
        markChanges(session.updateList(), programFileChanges(file, (first - 1) * recordSize, {}, added, session.app));
    }
    return tramond::extendRecordFile(file, kind, session.app, session.text);
}

}  // namespace tramond::setup
