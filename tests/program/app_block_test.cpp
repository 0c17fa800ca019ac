#include <gtest/gtest.h>

#include <map>
#include <set>

#include "program/application_block.h"
#include "program/record_kinds.h"

using namespace tramond;
namespace ab = tramond::appblock;

TEST(BuiltInImage, FlagsAndPortsAtStart) {
    const auto app = ApplicationBlock::builtIn();
    const std::map<int, int> expected = {
        {17, 3}, {21, 1}, {22, 5}, {27, 15}, {28, 13}, {29, 13}, {33, 1}, {36, 2},
        {39, 2}, {42, 2}, {45, 2}, {48, 2},  {51, 2},  {54, 2},  {57, 2}, {62, 12},
    };
    for (int n = 1; n <= 150; ++n) {
        const auto it = expected.find(n);
        EXPECT_EQ(app.flag(n), it == expected.end() ? 0 : it->second) << "flag " << n;
    }
    EXPECT_EQ(app.u8(46 + 26), 15);  // flag 27 (port 1) sits at offset 72
    EXPECT_EQ(app.machineOf(33), 0);
    EXPECT_EQ(app.portOf(33), 1);
}

TEST(BuiltInImage, KeyboardCountsAndHeaders) {
    const auto app = ApplicationBlock::builtIn();
    EXPECT_EQ(app.get(ab::kKeyboardByte), 151u);
    const int special[12] = {130, 143, 168, 138, 125, 148, 135, 167, 0, 13, 26, 39};
    for (int k = 0; k < 12; ++k) EXPECT_EQ(app.specialKey(k), special[k]) << k;
    for (std::size_t o = 13; o <= 45; ++o) EXPECT_EQ(app.u8(o), 0) << o;

    // QWERTY by column from row 1: block index = column x 13 + row.
    EXPECT_EQ(app.systemChar(0), 0);
    EXPECT_EQ(app.systemChar(1), '-');
    EXPECT_EQ(app.systemChar(2), 'Q');
    EXPECT_EQ(app.systemChar(4), 'Z');
    EXPECT_EQ(app.systemChar(3 * 13 + 5), ' ');
    EXPECT_EQ(app.systemChar(6 * 13 + 1), '"');
    EXPECT_EQ(app.systemChar(8 * 13 + 3), '.');
    EXPECT_EQ(app.systemChar(9 * 13 + 1), 'P');
    EXPECT_EQ(app.systemChar(9 * 13 + 4), 0);
    EXPECT_EQ(app.systemChar(10 * 13 + 1), 0);
    int placed = 0;
    for (int i = 0; i < 169; ++i) placed += app.systemChar(i) != 0;
    EXPECT_EQ(placed, 4 * 4 + 4 * 5 + 2 * 3);  // four columns of 4, four of 5, two of 3

    EXPECT_EQ(app.kindCount(ab::kPlu), 420);
    EXPECT_EQ(app.kindCount(ab::kDepartment), 20);
    EXPECT_EQ(app.kindCount(ab::kGroup), 10);
    EXPECT_EQ(app.kindCount(ab::kClerk), 11);
    EXPECT_EQ(app.kindCount(ab::kModifier), 20);
    EXPECT_EQ(app.kindCount(ab::kPbFunction), 8);
    EXPECT_EQ(app.get(ab::kPbCount), 45u);
    EXPECT_EQ(app.kindCount(ab::kSalesperson), 0);
    EXPECT_EQ(app.kindCount(ab::kCondiment), 3);
    EXPECT_EQ(app.u16(2375), 32);  // tenders, fixed
    EXPECT_EQ(app.get(ab::kDayOfWeekMultiplier), 7u);
    EXPECT_EQ(app.get(ab::kMonthMultiplier), 12u);
    EXPECT_EQ(app.get(ab::kPluOptionFlags), 11u);
    EXPECT_TRUE(app.get(ab::kPluLinked));
    EXPECT_TRUE(app.get(ab::kPluTare));
    EXPECT_TRUE(app.get(ab::kPluCondiments));
    EXPECT_EQ(app.get(ab::kPluPriceLevels), 4u);
    EXPECT_EQ(app.get(ab::kPluPriceSize), 3u);
    EXPECT_EQ(app.kindDescriptorLength(ab::kPlu), 24);
    EXPECT_EQ(app.kindRecordLength(ab::kClerk), 18);
    // A new program gets its PB info file: PB count nonzero and a PB text size.
    EXPECT_NE(app.get(ab::kPbTextSize), 0u);
    EXPECT_EQ(app.timeZoneStart(18), 0x0830);
    EXPECT_EQ(app.timeZoneStart(48), 0x2330);
}

TEST(ApplicationBlockAccess, OutOfRangeIsRefused) {
    ApplicationBlock app;
    EXPECT_THROW(app.flag(0), std::out_of_range);
    EXPECT_THROW(app.setFlag(151, 1), std::out_of_range);
    EXPECT_THROW(app.option(5, 9), std::out_of_range);
    // Opaque to the optimiser, which would otherwise warn about the very
    // access the check refuses.
    volatile std::size_t pastTheEnd = 2842;
    EXPECT_THROW(app.u32(pastTheEnd), std::out_of_range);
    EXPECT_NO_THROW(app.u32(2841));
    EXPECT_THROW(app.memorySlot(64), std::out_of_range);
    EXPECT_THROW(app.kindBaseLength(ab::kClerk), std::out_of_range);
    EXPECT_THROW(app.kindCount(ab::kSystemArea), std::out_of_range);
    EXPECT_THROW(app.totalizerSet(ab::kPlu, 5), std::out_of_range);
    EXPECT_THROW(app.set(ab::kPluPriceLevels, 256), std::out_of_range);
    EXPECT_THROW(app.setMachineAndPort(66, 25, 1), std::out_of_range);
    EXPECT_THROW(app.setKeyCode(169, 1), std::out_of_range);
    EXPECT_THROW(app.timeZonePriceLevel(25), std::out_of_range);
    EXPECT_EQ(app, ApplicationBlock());  // nothing was written by the refused calls
}

TEST(ApplicationBlockAccess, NamedFieldsLandOnTheirBytes) {
    ApplicationBlock app;
    app.setOption(88, 6, true);
    EXPECT_EQ(app.u8(133), 0x20);
    app.setMachineAndPort(66, 2, 3);
    EXPECT_EQ(app.flag(66), 23);
    app.setMemorySlot(21, 0x01020304);
    EXPECT_EQ(app.u8(703 + 84), 0x04);
    EXPECT_EQ(app.u8(703 + 87), 0x01);
    app.setKeyCode(13, 0x1234);
    EXPECT_EQ(app.u16(365 + 26), 0x1234);
    app.setManagerKey(9, true);
    EXPECT_EQ(app.u8(25), 0x02);
    TotalizerSet t;
    t.periodFlags = 5;
    t.bytesPerTotal = 11;
    t.sizes = {2, 3, 5, 0, 0, 0};
    app.setTotalizerSet(ab::kTax, 3, t);
    EXPECT_EQ(app.u8(2335 + 24), 5);
    EXPECT_EQ(app.u8(2335 + 24 + 4), 5);
    EXPECT_EQ(app.totalizerSet(ab::kTax, 3), t);
    app.set(ab::kLogoSetting, 0x1F);
    EXPECT_EQ(app.logoSize(), 15);
    EXPECT_EQ(app.logoDensity(), 1);
    app.set(ab::kIndividualPrinters, true);
    EXPECT_EQ(app.u8(2566), 0x02);
    app.setTimeZonePriceLevel(24, 4);
    EXPECT_EQ(app.u8(2612), 4);
}

TEST(RecordKinds, TableAgreesWithTheHeaders) {
    const auto kinds = recordKinds();
    EXPECT_EQ(kinds.size(), 17u);
    std::set<std::string_view> exts;
    std::set<std::uint32_t> bases;
    for (const auto& k : kinds) {
        exts.insert(k.extension);
        bases.insert(k.changeBase);
        EXPECT_EQ(kindForExtension(k.extension), k.kind);
    }
    EXPECT_EQ(exts.size(), kinds.size());
    EXPECT_EQ(bases.size(), kinds.size());

    for (const auto& k : kinds) {
        const auto* h = kindHeader(k.kind);
        if (k.kind == RecordKind::PbInfo || k.kind == RecordKind::PbExtraTrailer) {
            EXPECT_EQ(h, nullptr);
            continue;
        }
        ASSERT_NE(h, nullptr) << k.name;
        EXPECT_EQ(k.countOffset, h->count) << k.name;
        EXPECT_EQ(k.descriptorLengthOffset, h->descriptorLength) << k.name;
    }
    EXPECT_EQ(kindHeader(RecordKind::Tax)->totalizerSets, 2335u);
    EXPECT_EQ(kindHeader(RecordKind::Plu)->recordLength, 2229u);

    const auto app = ApplicationBlock::builtIn();
    EXPECT_EQ(recordCount(app, RecordKind::PbInfo), 45u);
    EXPECT_EQ(recordCount(app, RecordKind::PbExtraTrailer), 50u);
    EXPECT_EQ(descriptorLength(app, RecordKind::Tender), 16);
    EXPECT_EQ(changeCode(RecordKind::Department, 3), 5003u);
    EXPECT_EQ(changeCode(RecordKind::Plu, 1), 10001u);
    EXPECT_EQ(changeCode(RecordKind::PbInfo, 1), 60001u);
    EXPECT_EQ(changeCode(RecordKind::PbExtraTrailer, 1), 90u);
    EXPECT_EQ(changeCode(RecordKind::PbExtraTrailer, 50), 90u);
    EXPECT_THROW(changeCode(RecordKind::Clerk, 0), std::out_of_range);
    EXPECT_EQ(kindForExtension(".app"), std::nullopt);
}
