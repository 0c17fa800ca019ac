#include "program/sizing.h"

#include <array>
#include <cstdio>
#include <limits>

#include "program/record_kinds.h"

namespace tramond {
namespace {

namespace ab = appblock;

enum class BaseRule { DescriptorPlus, Plu, None };

struct SizedKind {
    const ab::KindHeaderLayout* header;
    BaseRule rule;
    unsigned extra;  // DescriptorPlus: bytes beside the descriptor
};

// The twelve kinds whose register record length carries totals, in the
// order the register documentation numbers them (0..11).
const std::array<SizedKind, 12> kSizedKinds = {{
    {&ab::kCorrection, BaseRule::DescriptorPlus, 3},
    {&ab::kCurrency, BaseRule::DescriptorPlus, 14},
    {&ab::kDepartment, BaseRule::DescriptorPlus, 7},
    {&ab::kDiscount, BaseRule::DescriptorPlus, 11},
    {&ab::kDrawer, BaseRule::DescriptorPlus, 3},
    {&ab::kGroup, BaseRule::DescriptorPlus, 4},
    {&ab::kPoRa, BaseRule::DescriptorPlus, 5},
    {&ab::kTax, BaseRule::DescriptorPlus, 8},
    {&ab::kTender, BaseRule::DescriptorPlus, 13},
    {&ab::kPbFunction, BaseRule::DescriptorPlus, 3},
    {&ab::kPlu, BaseRule::Plu, 0},
    {&ab::kSystemArea, BaseRule::None, 0},
}};

std::uint32_t setMultiplier(const ApplicationBlock& app, int set) {
    switch (set) {
        case 0:
            return 1;
        case 1:
            return app.kindCount(ab::kClerk);
        case 2:
            return app.get(ab::kTimePeriodCount);
        case 3:
            return app.get(ab::kDayOfWeekMultiplier);
        default: {
            // Month-of-year totals become salesperson totals once there are salespersons.
            const auto sps = app.kindCount(ab::kSalesperson);
            return sps != 0 ? sps : app.get(ab::kMonthMultiplier);
        }
    }
}

std::uint64_t totalsLength(const ApplicationBlock& app, const ab::KindHeaderLayout& h) {
    std::uint64_t sum = 0;
    for (int i = 0; i < ab::kTotalizerSetCount; ++i) {
        const auto set = app.totalizerSet(h, i);
        if (set.bytesPerTotal != 0)
            sum += std::uint64_t{set.bytesPerTotal} * static_cast<unsigned>(set.periodCount()) *
                   setMultiplier(app, i);
    }
    return sum;
}

std::uint32_t pbRecordLength(const ApplicationBlock& app) {
    std::uint32_t len = app.get(ab::kPbAmountSize) + app.get(ab::kPbTextSize) +
                        static_cast<std::uint32_t>(app.pbRandomCodeSize()) + 6;
    if (app.option(ab::kFlagPbOptions, 8)) len += 2 * app.get(ab::kPbAmountSize) + 2;
    return len;
}

std::uint64_t pbAreaSize(const ApplicationBlock& app) {
    std::uint64_t size = std::uint64_t{app.get(ab::kPbCount)} * pbRecordLength(app);
    if (app.get(ab::kPbInvoiceNumber))
        size += app.option(ab::kFlagPbInvoiceOptions, 7) ? 10002 : 1202;
    if (app.get(ab::kPbTrailer)) size += 1200;
    return size;
}

// Entry length and block size are derived and stored for the register.
void storeTrackBlock(ApplicationBlock& app) {
    std::uint32_t entry = app.get(ab::kTrackAmountSize) + app.get(ab::kTrackQuantitySize) + 3;
    if (app.get(ab::kPbTrackRandomPlu) && app.kindCount(ab::kPlu) != 0)
        entry += app.get(ab::kPluRandomCodeSize);
    app.set(ab::kTrackEntryLength, entry & 0xff);
    app.set(ab::kTrackBlockSize, (app.get(ab::kTrackEntriesPerBlock) * entry + 2) & 0xff);
}

std::uint64_t trackBufferSize(const ApplicationBlock& app) {
    return std::uint64_t{app.get(ab::kTrackBlocks)} * app.get(ab::kTrackBlockSize);
}

std::uint64_t logoSize(const ApplicationBlock& app) {
    const auto setting = app.get(ab::kLogoSetting);
    const auto size = setting & 0x0f;
    if (size == 0 || setting == static_cast<std::uint32_t>(ab::kLogoDoNotSend)) return 0;
    return size == 1 ? 5125 : 10245;
}

std::uint64_t countTimesLength(const ApplicationBlock& app, const ab::KindHeaderLayout& h) {
    return std::uint64_t{app.kindCount(h)} * app.kindRecordLength(h);
}

struct Area {
    int slot;
    bool (*present)(const ApplicationBlock&);
    std::uint64_t (*size)(const ApplicationBlock&);
};

bool always(const ApplicationBlock&) {
    return true;
}
template <const ab::KindHeaderLayout& H>
bool hasRecords(const ApplicationBlock& app) {
    return app.kindCount(H) > 0;
}
bool hasPb(const ApplicationBlock& app) {
    return app.get(ab::kPbCount) > 0;
}
template <const ab::KindHeaderLayout& H>
std::uint64_t recordsSize(const ApplicationBlock& app) {
    return countTimesLength(app, H);
}

// The register's memory areas in the order it lays them out.
const std::array<Area, 20> kAreas = {{
    {7, hasRecords<ab::kCorrection>, recordsSize<ab::kCorrection>},
    {9, hasRecords<ab::kCurrency>, recordsSize<ab::kCurrency>},
    {8, hasRecords<ab::kDiscount>, recordsSize<ab::kDiscount>},
    {6, hasRecords<ab::kDrawer>, recordsSize<ab::kDrawer>},
    {4, hasRecords<ab::kTender>, recordsSize<ab::kTender>},
    {5, hasRecords<ab::kPoRa>, recordsSize<ab::kPoRa>},
    {10, hasRecords<ab::kTax>, recordsSize<ab::kTax>},
    {12, hasRecords<ab::kModifier>,
     [](const ApplicationBlock& a) {
         return std::uint64_t{a.kindCount(ab::kModifier)} *
                (a.kindDescriptorLength(ab::kModifier) + 3u);
     }},
    {13, hasRecords<ab::kClerk>, recordsSize<ab::kClerk>},
    {1, always, recordsSize<ab::kGroup>},
    {2, always, recordsSize<ab::kDepartment>},
    {3, hasRecords<ab::kPlu>, recordsSize<ab::kPlu>},
    {11, hasPb, recordsSize<ab::kPbFunction>},
    {18, hasPb, pbAreaSize},
    {19, [](const ApplicationBlock& a) { return hasPb(a) && trackBufferSize(a) != 0; },
     trackBufferSize},
    {15, hasRecords<ab::kSalesperson>, recordsSize<ab::kSalesperson>},
    {17,
     [](const ApplicationBlock& a) {
         return a.flag(ab::kFlagFloatingClerks) != 0 && a.flag(ab::kFlagFloatingClerkSize) != 0;
     },
     [](const ApplicationBlock& a) {
         return std::uint64_t{a.flag(ab::kFlagFloatingClerks)} *
                a.flag(ab::kFlagFloatingClerkSize) * 12;
     }},
    {14, [](const ApplicationBlock& a) { return logoSize(a) != 0; },
     [](const ApplicationBlock& a) { return logoSize(a); }},
    {20, hasRecords<ab::kCondiment>,
     [](const ApplicationBlock& a) {
         return std::uint64_t{a.kindCount(ab::kCondiment)} * a.kindRecordLength(ab::kCondiment);
     }},
    {22, always, [](const ApplicationBlock&) -> std::uint64_t { return 454; }},
}};
constexpr int kLargeAreaSlot = 23;
constexpr std::uint32_t kLargeAreaSize = 200000;
constexpr int kEndSlot = 21;
constexpr std::uint32_t kReservedMemory = 65536;

}  // namespace

std::string MemoryRequirement::text() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, " Memory Required : %7ld (%4dK) ", static_cast<long>(bytes),
                  static_cast<int>(kilobytes));
    return buf;
}

void applyFixedValues(ApplicationBlock& app) {
    for (const auto& k : recordKinds()) {
        if (k.fixedDescriptorLength != 0)
            app.setU8(k.descriptorLengthOffset, k.fixedDescriptorLength);
        if (k.fixedCount && k.countOffset != 0) app.setU16(k.countOffset, *k.fixedCount);
    }
    app.set(ab::kTimePeriodCount, 48);
}

void computeRecordLengths(ApplicationBlock& app) {
    for (const auto& k : kSizedKinds) {
        const auto& h = *k.header;
        std::uint32_t base = 0;
        switch (k.rule) {
            case BaseRule::DescriptorPlus:
                base = app.kindDescriptorLength(h) + k.extra;
                break;
            case BaseRule::Plu:
                base = pluBaseLength(app);
                break;
            case BaseRule::None:
                break;
        }
        if (k.rule != BaseRule::None)
            app.setKindBaseLength(h, static_cast<std::uint8_t>(base & 0xff));
        const std::uint64_t sum = base + totalsLength(app, h);
        // A length the u16 field cannot hold leaves the base length in place.
        app.setKindRecordLength(h, static_cast<std::uint16_t>(sum < 65536 ? sum : base & 0xffff));
    }
    app.setKindRecordLength(ab::kClerk, clerkRecordLength(app));
    // The salesperson length (2563) belongs to the Sales Persons dialog: a
    // program read from a register keeps the value it came with.
}

std::uint16_t clerkRecordLength(const ApplicationBlock& app) {
    return static_cast<std::uint16_t>(app.kindDescriptorLength(ab::kClerk) +
                                      (app.get(ab::kClerkTime) ? 40 : 2));
}

std::uint32_t pluBaseLength(const ApplicationBlock& app) {
    const std::uint32_t random = app.get(ab::kPluRandomCodeSize);
    const std::uint32_t priceSize = app.get(ab::kPluPriceSize);
    std::uint32_t len =
        random + app.kindDescriptorLength(ab::kPlu) + app.get(ab::kPluPriceLevels) * priceSize + 2;
    if (app.get(ab::kPluCostPrice) != 0) len += priceSize;
    len += app.get(ab::kPluInventorySize) + app.get(ab::kPluInventoryAmountSize) +
           app.get(ab::kPluExtraFieldSize);
    if (app.get(ab::kPluLinked)) len += (random != 0 ? 7 : 2) + 4;
    if (app.get(ab::kPluTare)) len += 4;
    if (app.get(ab::kPluCondiments)) len += 1;
    len += 4;
    if (app.kindCount(ab::kTax) != 0) len += 1;
    return len;
}

MemoryRequirement computeMemoryMap(ApplicationBlock& app) {
    for (int i = 0; i < ab::kMemorySlotCount; ++i) app.setMemorySlot(i, 0);
    // Derived lengths the areas below rely on.
    app.setKindRecordLength(
        ab::kCondiment, static_cast<std::uint16_t>(app.kindDescriptorLength(ab::kCondiment) + 115));
    storeTrackBlock(app);

    std::uint64_t total = app.kindRecordLength(ab::kSystemArea);
    for (const auto& area : kAreas) {
        if (!area.present(app)) continue;
        const auto size = area.size(app);
        app.setMemorySlot(area.slot, static_cast<std::uint32_t>(total));
        total += size;
    }
    if (app.option(ab::kFlagLargeArea, 1)) {
        app.setMemorySlot(kLargeAreaSlot, static_cast<std::uint32_t>(total));
        total += kLargeAreaSize;
    }
    app.setMemorySlot(kEndSlot, static_cast<std::uint32_t>(total));

    // Only absurd counts reach 4 GB; show the largest figure rather than a wrapped one.
    const std::uint64_t required = total + kReservedMemory;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    MemoryRequirement r;
    r.bytes = static_cast<std::uint32_t>(required < kMax ? required : kMax);
    r.kilobytes = static_cast<std::uint32_t>((required + 1023) / 1024);
    return r;
}

MemoryRequirement recomputeSizes(ApplicationBlock& app) {
    computeRecordLengths(app);
    return computeMemoryMap(app);
}

int countActiveTotals(const ApplicationBlock& app, int type) {
    int n = 0;
    for (const auto& kind : kSizedKinds)
        for (int set = 0; set < ab::kTotalizerSetCount; ++set) {
            if (type != 0 && set != type - 1) continue;
            const auto t = app.totalizerSet(*kind.header, set);
            if (t.bytesPerTotal != 0) n += t.periodCount();
        }
    return n;
}

}  // namespace tramond
