// Expected figures are worked out by hand from the kind-header tables, not
// taken from the code's output.

#include "program/sizing.h"

#include <gtest/gtest.h>

#include "program/application_block.h"

using namespace tramond;
namespace ab = tramond::appblock;

namespace {

TotalizerSet totals(std::uint8_t periods, std::uint8_t bytesPerTotal) {
    TotalizerSet t;
    t.periodFlags = periods;
    t.bytesPerTotal = bytesPerTotal;
    return t;
}

// A block with nothing but the fixed descriptor lengths and counts.
ApplicationBlock fixedOnly() {
    ApplicationBlock app;
    applyFixedValues(app);
    return app;
}

}  // namespace

TEST(FixedValues, DescriptorLengthsAndCounts) {
    ApplicationBlock app;
    applyFixedValues(app);
    for (auto* h : {&ab::kCorrection, &ab::kCurrency, &ab::kDiscount, &ab::kDrawer, &ab::kPoRa,
                    &ab::kTender, &ab::kTax, &ab::kPbFunction, &ab::kClerk})
        EXPECT_EQ(app.kindDescriptorLength(*h), 16) << h->count;
    for (auto* h : {&ab::kGroup, &ab::kDepartment, &ab::kPlu, &ab::kSalesperson, &ab::kModifier,
                    &ab::kCondiment})
        EXPECT_EQ(app.kindDescriptorLength(*h), 24) << h->count;
    EXPECT_EQ(app.kindCount(ab::kCorrection), 16);
    EXPECT_EQ(app.kindCount(ab::kCurrency), 32);
    EXPECT_EQ(app.kindCount(ab::kDiscount), 16);
    EXPECT_EQ(app.kindCount(ab::kDrawer), 32);
    EXPECT_EQ(app.kindCount(ab::kPoRa), 8);
    EXPECT_EQ(app.kindCount(ab::kTender), 32);
    EXPECT_EQ(app.kindCount(ab::kTax), 16);
    EXPECT_EQ(app.get(ab::kTimePeriodCount), 48u);
    EXPECT_EQ(app.kindCount(ab::kPlu), 0);
}

TEST(RecordLength, TotalizerSetMultipliers) {
    auto app = fixedOnly();
    app.set(ab::kMonthMultiplier, 12);
    app.set(ab::kDayOfWeekMultiplier, 7);
    app.setKindCount(ab::kClerk, 5);
    // Department base: 24 + 7 = 31.
    app.setTotalizerSet(ab::kDepartment, 4, totals(0x01, 3));
    computeRecordLengths(app);
    EXPECT_EQ(app.kindBaseLength(ab::kDepartment), 31);
    EXPECT_EQ(app.kindRecordLength(ab::kDepartment),
              31 + 3 * 12);  // month byte without salespersons

    app.setKindCount(ab::kSalesperson, 5);
    computeRecordLengths(app);
    EXPECT_EQ(app.kindRecordLength(ab::kDepartment), 31 + 3 * 5);

    // Each set's periods (bits 0..3 only) times bytes times its multiplier;
    // a set with bytes per total 0 adds nothing however many periods it has.
    app.setTotalizerSet(ab::kDepartment, 0, totals(0xF3, 10));  // 2 periods
    app.setTotalizerSet(ab::kDepartment, 1, totals(0x01, 4));   // x 5 clerks
    app.setTotalizerSet(ab::kDepartment, 2, totals(0x03, 1));   // x 48 time periods
    app.setTotalizerSet(ab::kDepartment, 3, totals(0x0F, 0));
    computeRecordLengths(app);
    EXPECT_EQ(app.kindRecordLength(ab::kDepartment), 31 + 20 + 20 + 96 + 15);

    app.setTotalizerSet(ab::kDepartment, 3, totals(0x01, 2));  // x day-of-week byte 7
    computeRecordLengths(app);
    EXPECT_EQ(app.kindRecordLength(ab::kDepartment), 31 + 20 + 20 + 96 + 14 + 15);
}

TEST(RecordLength, ClerksAndSalespersons) {
    auto app = fixedOnly();
    // A salesperson length received from a register survives the recompute:
    // only the Sales Persons dialog sets it.
    app.setKindRecordLength(ab::kSalesperson, 40);
    computeRecordLengths(app);
    EXPECT_EQ(app.kindRecordLength(ab::kClerk), 16 + 2);
    EXPECT_EQ(app.kindRecordLength(ab::kSalesperson), 40);
    app.set(ab::kClerkTime, true);
    computeRecordLengths(app);
    EXPECT_EQ(app.kindRecordLength(ab::kClerk), 16 + 40);
}

TEST(RecordLength, SumsOfSixtyFiveThousandAndMoreKeepTheBaseLength) {
    auto app = fixedOnly();
    app.setTotalizerSet(ab::kDepartment, 1, totals(0x01, 32));
    app.setKindCount(ab::kClerk, 2047);  // 31 + 32 x 2047 = 65535
    computeRecordLengths(app);
    EXPECT_EQ(app.kindRecordLength(ab::kDepartment), 65535);

    app.setTotalizerSet(ab::kDepartment, 1, totals(0x01, 15));
    app.setKindCount(ab::kClerk, 4367);  // 31 + 15 x 4367 = 65536
    computeRecordLengths(app);
    EXPECT_EQ(app.kindRecordLength(ab::kDepartment), 31);
}

TEST(RecordLength, PluBaseLengthFormula) {
    auto app = fixedOnly();
    app.set(ab::kPluPriceLevels, 4);
    app.set(ab::kPluPriceSize, 3);
    // 0 + 24 + 4 x 3 + 2 + 4, + 1 for the 16 tax rates
    EXPECT_EQ(pluBaseLength(app), 43u);
    app.setKindCount(ab::kTax, 0);
    EXPECT_EQ(pluBaseLength(app), 42u);
    app.setKindCount(ab::kTax, 1);
    EXPECT_EQ(pluBaseLength(app), 43u);
    app.set(ab::kPluLinked, true);  // + 2 + 4 without a random code
    EXPECT_EQ(pluBaseLength(app), 49u);
    app.set(ab::kPluRandomCodeSize, 7);  // + 7 code bytes, linked + 7 + 4
    EXPECT_EQ(pluBaseLength(app), 7 + 24 + 12 + 2 + 11 + 4 + 1u);
    app.set(ab::kPluTare, true);
    app.set(ab::kPluCondiments, true);
    app.set(ab::kPluCostPrice, 1);
    app.set(ab::kPluInventorySize, 5);
    app.set(ab::kPluInventoryAmountSize, 6);
    app.set(ab::kPluExtraFieldSize, 2);
    EXPECT_EQ(pluBaseLength(app), 7 + 24 + 12 + 2 + 3 + 5 + 6 + 2 + 11 + 4 + 1 + 4 + 1u);

    // The base field holds the low byte; the record length the whole sum.
    app.set(ab::kPluPriceLevels, 100);
    app.set(ab::kPluPriceSize, 2);
    app.set(ab::kPluCostPrice, 0);
    const unsigned base = 7 + 24 + 200 + 2 + 5 + 6 + 2 + 11 + 4 + 1 + 4 + 1;  // 267
    computeRecordLengths(app);
    EXPECT_EQ(app.kindBaseLength(ab::kPlu), base & 0xff);
    EXPECT_EQ(app.kindRecordLength(ab::kPlu), base);
}

TEST(MemoryMap, BuiltInImage) {
    auto app = ApplicationBlock::builtIn();
    const auto r = recomputeSizes(app);
    // Record lengths: base + 2 periods x bytes per total of the standard set.
    EXPECT_EQ(app.kindRecordLength(ab::kCorrection), 19 + 22);
    EXPECT_EQ(app.kindRecordLength(ab::kPlu), 54 + 22);
    EXPECT_EQ(app.kindRecordLength(ab::kSystemArea), 22 + 8 * 11 + 8 * 48);  // 494
    const std::pair<int, std::uint32_t> slots[] = {
        {0, 0},    {7, 494},    {9, 1150},   {8, 2622},  {6, 3310},   {4, 4302},
        {5, 5742}, {10, 6038},  {12, 6774},  {13, 7314}, {1, 7512},   {2, 8012},
        {3, 9072}, {11, 40992}, {18, 41240}, {19, 0},    {15, 0},     {17, 0},
        {14, 0},   {20, 42815}, {22, 43232}, {23, 0},    {21, 43686},
    };
    for (auto [slot, start] : slots) EXPECT_EQ(app.memorySlot(slot), start) << "slot " << slot;
    for (int s = 24; s < 64; ++s) EXPECT_EQ(app.memorySlot(s), 0u) << "slot " << s;
    EXPECT_EQ(app.kindRecordLength(ab::kCondiment), 24 + 115);
    EXPECT_EQ(r.bytes, 43686u + 65536u);
    EXPECT_EQ(r.kilobytes, 107u);
    EXPECT_EQ(r.text(), " Memory Required :  109222 ( 107K) ");
}

TEST(MemoryMap, ConditionalAreas) {
    auto app = ApplicationBlock::builtIn();
    const auto end = recomputeSizes(app).bytes - 65536;

    // No PLUs: slot 3 stays 0 and PB functions start where departments end.
    auto noPlu = app;
    noPlu.setKindCount(ab::kPlu, 0);
    EXPECT_EQ(recomputeSizes(noPlu).bytes - 65536, end - 420 * 76);
    EXPECT_EQ(noPlu.memorySlot(3), 0u);
    EXPECT_EQ(noPlu.memorySlot(11), 9072u);

    auto logo = app;
    logo.set(ab::kLogoSetting, 15);  // do not send
    EXPECT_EQ(recomputeSizes(logo).bytes - 65536, end);
    EXPECT_EQ(logo.memorySlot(14), 0u);
    logo.set(ab::kLogoSetting, 31);  // do not send, density 1: the whole byte is not 15
    EXPECT_EQ(recomputeSizes(logo).bytes - 65536, end + 10245);
    EXPECT_EQ(logo.memorySlot(14), 42815u);
    logo.set(ab::kLogoSetting, 0x21);  // 256 x 160, density 2
    EXPECT_EQ(recomputeSizes(logo).bytes - 65536, end + 5125);

    auto floating = app;
    floating.setFlag(ab::kFlagFloatingClerks, 4);
    EXPECT_EQ(recomputeSizes(floating).bytes - 65536, end);
    EXPECT_EQ(floating.memorySlot(17), 0u);
    floating.setFlag(ab::kFlagFloatingClerkSize, 10);
    EXPECT_EQ(recomputeSizes(floating).bytes - 65536, end + 4 * 10 * 12);
    EXPECT_EQ(floating.memorySlot(17), 42815u);

    auto large = app;
    large.setOption(ab::kFlagLargeArea, 1, true);
    EXPECT_EQ(recomputeSizes(large).bytes - 65536, end + 200000);
    EXPECT_EQ(large.memorySlot(23), end);
}

TEST(MemoryMap, PbAreaAndTrackBuffer) {
    auto app = ApplicationBlock::builtIn();
    const auto end = recomputeSizes(app).bytes - 65536;
    const std::uint32_t pb = 45 * (5 + 24 + 6);

    auto invoice = app;
    invoice.set(ab::kPbInvoiceNumber, true);
    EXPECT_EQ(recomputeSizes(invoice).bytes - 65536, end + 1202);
    invoice.setOption(ab::kFlagPbInvoiceOptions, 7, true);
    invoice.set(ab::kPbTrailer, true);
    EXPECT_EQ(recomputeSizes(invoice).bytes - 65536, end + 10002 + 1200);

    auto items = app;
    items.setOption(ab::kFlagPbOptions, 8, true);  // store item 1 & 2
    items.set(ab::kPbFlags, 3);                    // 3-byte random code
    EXPECT_EQ(recomputeSizes(items).bytes - 65536, end - pb + 45 * (5 + 24 + 3 + 6 + 2 * 5 + 2));

    auto track = app;
    track.set(ab::kTrackAmountSize, 4);
    track.set(ab::kTrackQuantitySize, 3);
    track.set(ab::kPbTrackRandomPlu, true);
    track.set(ab::kPluRandomCodeSize, 2);
    track.set(ab::kTrackEntriesPerBlock, 10);
    recomputeSizes(track);
    EXPECT_EQ(track.get(ab::kTrackEntryLength), 12u);
    EXPECT_EQ(track.get(ab::kTrackBlockSize), 122u);
    EXPECT_EQ(track.memorySlot(19), 0u);  // no blocks: no area
    track.set(ab::kTrackBlocks, 5);
    recomputeSizes(track);
    EXPECT_EQ(track.memorySlot(19), track.memorySlot(18) + pb);
    EXPECT_EQ(track.memorySlot(20), track.memorySlot(19) + 5 * 122);
    // The block size keeps its low 8 bits: 30 x 12 + 2 = 362 -> 106.
    track.set(ab::kTrackEntriesPerBlock, 30);
    recomputeSizes(track);
    EXPECT_EQ(track.get(ab::kTrackBlockSize), 106u);

    auto noPb = app;
    noPb.set(ab::kPbCount, 0);
    noPb.set(ab::kTrackBlocks, 5);
    recomputeSizes(noPb);
    EXPECT_EQ(noPb.memorySlot(11), 0u);
    EXPECT_EQ(noPb.memorySlot(18), 0u);
    EXPECT_EQ(noPb.memorySlot(19), 0u);
}
