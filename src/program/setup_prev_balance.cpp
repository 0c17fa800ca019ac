#include "program/setup_prev_balance.h"

#include <stdexcept>

#include "program/carried_files.h"
#include "program/record_kinds.h"
#include "program/setup_common.h"
#include "program/setup_counts.h"

namespace tramond {

namespace {

constexpr std::array<SetupPrevBalance::Row, SetupPrevBalance::kRows> kRowTable{{
    {"&Number Of PB    :", SetupPrevBalance::RowKind::Number, 5000},
    {"&TrackBuffer     :", SetupPrevBalance::RowKind::TrackBuffer, 0},
    {"P&B functions    :", SetupPrevBalance::RowKind::Number, 99},
    {"PB &Amount Size  :", SetupPrevBalance::RowKind::Digits, 16},
    {"&Store Item 1&2 :    ", SetupPrevBalance::RowKind::Toggle, 0},
    {"&Random# Size    :", SetupPrevBalance::RowKind::Digits, 14},
    {"Pb Te&xt Size    :", SetupPrevBalance::RowKind::Number, 24},
    {"PB &Invoice #   :    ", SetupPrevBalance::RowKind::Toggle, 0},
    {"PB T&railer     :    ", SetupPrevBalance::RowKind::Toggle, 0},
    {"PB &Extra Count :    ", SetupPrevBalance::RowKind::Toggle, 0},
}};

bool randomPluKept(const ApplicationBlock& app) { return app.bit(pb::kFlags, 5); }

int entryLength(const ApplicationBlock& app, int amountSize, int quantitySize, bool randomPlu) {
    int e = amountSize + quantitySize + 3;
    if (randomPlu && app.u16(pb::kPluCount) != 0) e += app.u8(pb::kPluRandomSize);
    return e;
}

int blockSize(int entries, int entryLength) { return entries * entryLength + 2; }

const SetupPrevBalance::Row& rowAt(int row) {
    if (row < 0 || row >= SetupPrevBalance::kRows) throw std::out_of_range("PB setup row");
    return kRowTable[static_cast<std::size_t>(row)];
}

}  // namespace

int trackEntryLength(const ApplicationBlock& app) {
    return entryLength(app, app.u8(pb::kTrackAmountSize), app.u8(pb::kTrackQuantitySize), randomPluKept(app));
}

int fitTrackBlock(ApplicationBlock& app) {
    const int e = trackEntryLength(app);
    int entries = app.u16(pb::kTrackEntriesPerBlock);
    while (entries > 0 && blockSize(entries, e) > pb::kMaxTrackBlockSize) --entries;
    if (entries < 10)
        while (entries < 10 && blockSize(entries, e) + e <= pb::kMaxTrackBlockSize) ++entries;
    app.setU16(pb::kTrackEntriesPerBlock, static_cast<std::uint16_t>(entries));
    return entries;
}

const std::array<SetupPrevBalance::Row, SetupPrevBalance::kRows>& SetupPrevBalance::rows() { return kRowTable; }

std::string SetupPrevBalance::value(int row) const {
    rowAt(row);
    switch (row) {
        case 0: return std::to_string(app_.u16(pb::kCount));
        case 1: return std::string(setup::yesNo(app_.u16(pb::kTrackBlocks) > 0));
        case 2: return std::to_string(app_.u16(pb::kFunctionCount));
        case 3: return std::to_string(setup::bytesToDigits(app_.u8(pb::kAmountSize)));
        case 4: return std::string(setup::yesNo(app_.option(19, 8)));
        case 5: return std::to_string(setup::bytesToDigits(app_.u8(pb::kFlags) & 0x0f));
        case 6: return std::to_string(app_.u8(pb::kTextSize));
        case 7: return std::string(setup::yesNo(app_.bit(pb::kFlags, 6)));
        case 8: return std::string(setup::yesNo(app_.bit(pb::kFlags, 7)));
        case 9: return std::string(setup::yesNo(app_.bit(pb::kFlags, 4)));
    }
    return {};
}

bool SetupPrevBalance::setValue(int row, std::string_view text) {
    const auto& r = rowAt(row);
    if (r.kind != RowKind::Number && r.kind != RowKind::Digits) return false;
    const auto n = setup::parseNumber(text, r.limit);
    if (!n) return false;
    const int v = static_cast<int>(*n);
    switch (row) {
        case 0: app_.setU16(pb::kCount, static_cast<std::uint16_t>(v)); break;
        case 2: app_.setU16(pb::kFunctionCount, static_cast<std::uint16_t>(v)); break;
        case 3: app_.setU8(pb::kAmountSize, static_cast<std::uint8_t>(setup::digitsToBytes(v))); break;
        case 5: {
            // An odd number of digits needs the extra half byte, as the PLU
            // random code does; 14 digits still fit the four bits.
            const auto bytes = static_cast<std::uint8_t>(setup::digitsToBytes(v));
            app_.setU8(pb::kFlags, static_cast<std::uint8_t>((app_.u8(pb::kFlags) & 0xf0) | bytes));
            break;
        }
        case 6: app_.setU8(pb::kTextSize, static_cast<std::uint8_t>(v)); break;
    }
    return true;
}

void SetupPrevBalance::toggle(int row) {
    rowAt(row);
    switch (row) {
        case 4: app_.setOption(19, 8, !app_.option(19, 8)); break;
        case 7: app_.setBit(pb::kFlags, 6, !app_.bit(pb::kFlags, 6)); break;
        case 8: app_.setBit(pb::kFlags, 7, !app_.bit(pb::kFlags, 7)); break;
        case 9: app_.setBit(pb::kFlags, 4, !app_.bit(pb::kFlags, 4)); break;
        default: return;
    }
    if (row == 7 || row == 9)
        app_.setOption(106, 7, app_.bit(pb::kFlags, 6) || app_.bit(pb::kFlags, 4));
}

void SetupPrevBalance::confirm() {
    // Fitted with or without a loaded program: a block over 128 bytes would
    // otherwise travel to the next program created from memory.
    if (randomPluKept(app_)) fitTrackBlock(app_);
}

MemoryRequirement finishSetupPrevBalance(ProgramSession& session, bool confirmed) {
    auto& app = session.app;
    const auto memory = recomputeSizes(app);
    if (!session.loaded) return memory;
    if (confirmed) setup::writeApplicationFile(session);
    if (app.u16(pb::kCount) == 0) return memory;
    setup::extendRecordFile(session, RecordKind::PbFunction);
    // Made for any PB text, even one PB Options holds back for now (they
    // make the file too when they let the records go).
    if (pbCodeRecords(app) || app.u8(pb::kTextSize) != 0) setup::extendRecordFile(session, RecordKind::PbInfo);
    if (sendsPbTrailer(app)) setup::extendRecordFile(session, RecordKind::PbExtraTrailer);
    return memory;
}

std::string SetupPbTrackBuffer::text(Field f) const {
    switch (f) {
        case Field::Blocks: return std::to_string(app_.u16(pb::kTrackBlocks));
        case Field::Records: return std::to_string(app_.u16(pb::kTrackEntriesPerBlock));
        case Field::QuantitySize: return std::to_string(setup::bytesToDigits(app_.u8(pb::kTrackQuantitySize)));
        case Field::AmountSize: return std::to_string(setup::bytesToDigits(app_.u8(pb::kTrackAmountSize)));
    }
    return {};
}

bool SetupPbTrackBuffer::randomPlu() const { return randomPluKept(app_); }

bool SetupPbTrackBuffer::acceptsText(Field f, std::string_view text) const {
    const long limit = f == Field::Blocks ? kMaxBlocks : pb::kMaxTrackBlockSize * 2;
    return text.empty() || setup::parseNumber(text, limit).has_value();
}

SetupPbTrackBuffer::Result SetupPbTrackBuffer::store(std::string_view blocks, std::string_view records,
                                                     std::string_view qtyDigits, std::string_view amtDigits,
                                                     bool randomPlu) {
    Result result;
    const long sizeLimit = pb::kMaxTrackBlockSize * 2;
    const auto b = setup::parseNumberOrZero(blocks, kMaxBlocks);
    const auto r = setup::parseNumberOrZero(records, sizeLimit);
    const auto q = setup::parseNumberOrZero(qtyDigits, sizeLimit);
    const auto a = setup::parseNumberOrZero(amtDigits, sizeLimit);
    if (!b || !r || !q || !a) {
        result.wrongInput = true;
        return result;
    }
    app_.setBit(pb::kFlags, 5, randomPlu);
    app_.setU16(pb::kTrackBlocks, static_cast<std::uint16_t>(*b));

    int entries = app_.u16(pb::kTrackEntriesPerBlock);
    int qty = app_.u8(pb::kTrackQuantitySize);
    int amt = app_.u8(pb::kTrackAmountSize);
    // The limit is the block size the fitting keeps (entries x E + 2), so
    // that what this dialog accepts is not cut down again later.
    auto fits = [&](int n, int qb, int ab) {
        return blockSize(n, entryLength(app_, ab, qb, randomPlu)) <= pb::kMaxTrackBlockSize;
    };
    auto refuse = [&](Field f) {
        result.blockTooLarge = true;
        if (!result.keptField) result.keptField = f;
    };
    if (fits(static_cast<int>(*r), qty, amt)) entries = static_cast<int>(*r);
    else refuse(Field::Records);
    const int newQty = setup::digitsToBytes(static_cast<int>(*q));
    if (fits(entries, newQty, amt)) qty = newQty;
    else refuse(Field::QuantitySize);
    const int newAmt = setup::digitsToBytes(static_cast<int>(*a));
    if (fits(entries, qty, newAmt)) amt = newAmt;
    else refuse(Field::AmountSize);
    app_.setU16(pb::kTrackEntriesPerBlock, static_cast<std::uint16_t>(entries));
    app_.setU8(pb::kTrackQuantitySize, static_cast<std::uint8_t>(qty));
    app_.setU8(pb::kTrackAmountSize, static_cast<std::uint8_t>(amt));
    return result;
}

}  // namespace tramond
