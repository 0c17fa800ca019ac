#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>

#include "program/default_logo.h"
#include "program/file_io.h"
#include "program/setup_clerk.h"
#include "program/setup_graph_logo.h"
#include "program/setup_plu.h"
#include "program/setup_prev_balance.h"
#include "setup_fixture.h"

using namespace tramond;
using Field = SetupPlu::Field;

namespace {

class SetupSizesTest : public tramond::testing::SetupFixture {};

std::array<std::string, 7> pluTexts(const SetupPlu& plu) {
    std::array<std::string, 7> t;
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = plu.text(SetupPlu::fields()[i].field);
    return t;
}

TEST(SetupPluTest, DigitsAreStoredAsBytesAndShownBack) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    SetupPlu plu(app);
    auto t = pluTexts(plu);
    t[2] = "7";   // random code
    t[3] = "0";   // price size: at least one byte
    t[4] = "0";   // price levels: at least one
    t[5] = "7";   // inventory: 8 digits + 1 byte
    t[6] = "5";   // inventory amount
    ASSERT_FALSE(plu.store(t));
    EXPECT_EQ(app.u8(2234), 4);
    EXPECT_EQ(plu.text(Field::RandomSize), "8");
    EXPECT_EQ(app.u8(2237), 1);
    EXPECT_EQ(app.u8(2236), 1);
    EXPECT_EQ(app.u8(2239), 5);
    EXPECT_EQ(plu.text(Field::InventorySize), "8");
    EXPECT_EQ(app.u8(2240), 3);
    t[5] = "0";
    ASSERT_FALSE(plu.store(t));
    EXPECT_EQ(app.u8(2239), 0);
    EXPECT_EQ(plu.text(Field::InventorySize), "0");  // not "-2"
}

TEST(SetupPluTest, OverLimitIsRefusedWithoutTouchingTheBlock) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    const auto before = app;
    SetupPlu plu(app);
    EXPECT_FALSE(plu.acceptsText(Field::Count, "30000"));
    EXPECT_FALSE(plu.acceptsText(Field::RandomSize, "15"));
    EXPECT_TRUE(plu.acceptsText(Field::RandomSize, ""));
    auto t = pluTexts(plu);
    t[0] = "425";
    t[4] = "5";
    EXPECT_EQ(plu.store(t), Field::PriceLevels);
    EXPECT_EQ(app, before);
}

TEST(SetupPluTest, SwitchesToggleTheirOwnBits) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    app.setU8(2231, 0x04);  // a bit no switch owns
    SetupPlu plu(app);
    plu.toggle(SetupPlu::Switch::Condiments);
    plu.toggle(SetupPlu::Switch::Tare);
    EXPECT_EQ(app.u8(2231), 0x0e);
    plu.toggle(SetupPlu::Switch::Tare);
    plu.toggle(SetupPlu::Switch::LinkedPlu);
    EXPECT_EQ(app.u8(2231), 0x0d);
    const bool cost = plu.isOn(SetupPlu::Switch::CostPrice);
    plu.toggle(SetupPlu::Switch::CostPrice);
    EXPECT_NE(plu.isOn(SetupPlu::Switch::CostPrice), cost);
}

TEST(TrackBlockTest, FittingReducesTwentyEntriesToTwelve) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    app.setU8(pb::kTrackAmountSize, 4);
    app.setU8(pb::kTrackQuantitySize, 3);
    app.setBit(pb::kFlags, 5, true);
    app.setU8(pb::kPluRandomSize, 0);
    app.setU16(pb::kTrackEntriesPerBlock, 20);
    EXPECT_EQ(trackEntryLength(app), 10);
    SetupPrevBalance dlg(app);
    dlg.confirm();
    EXPECT_EQ(app.u16(pb::kTrackEntriesPerBlock), 12);
}

TEST(TrackBlockTest, FittingFillsSmallBlocksUpToTenAndCountsTheRandomCode) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    app.setU8(pb::kTrackAmountSize, 4);
    app.setU8(pb::kTrackQuantitySize, 3);
    app.setBit(pb::kFlags, 5, true);
    app.setU16(pb::kTrackEntriesPerBlock, 3);
    EXPECT_EQ(fitTrackBlock(app), 10);  // 10 x 10 + 2 = 102
    app.setU8(pb::kPluRandomSize, 7);   // E = 17 with PLUs present
    EXPECT_EQ(fitTrackBlock(app), 7);   // 7 x 17 + 2 = 121
    app.setU16(pb::kPluCount, 0);       // no PLUs: the code does not count
    EXPECT_EQ(trackEntryLength(app), 10);
}

TEST(TrackBlockTest, TrackDialogKeepsSizesThatWouldOverflow) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    app.setU8(pb::kTrackAmountSize, 4);
    app.setU8(pb::kTrackQuantitySize, 3);
    app.setU16(pb::kTrackEntriesPerBlock, 10);
    SetupPbTrackBuffer dlg(app);
    EXPECT_EQ(dlg.text(SetupPbTrackBuffer::Field::AmountSize), "8");
    // 12 entries of 10 bytes fit; a 14-digit amount (E = 13) would make 158.
    auto r = dlg.store("100", "12", "6", "14", false);
    EXPECT_TRUE(r.blockTooLarge);
    EXPECT_EQ(r.keptField, SetupPbTrackBuffer::Field::AmountSize);
    EXPECT_EQ(app.u16(pb::kTrackBlocks), 100);
    EXPECT_EQ(app.u16(pb::kTrackEntriesPerBlock), 12);
    EXPECT_EQ(app.u8(pb::kTrackAmountSize), 4);
    // 12 x 10 + 2 = 122 accepted; 13 x 10 + 2 = 132 refused.
    r = dlg.store("100", "13", "6", "8", false);
    EXPECT_EQ(r.keptField, SetupPbTrackBuffer::Field::Records);
    EXPECT_EQ(app.u16(pb::kTrackEntriesPerBlock), 12);
    r = dlg.store("x", "1", "1", "1", true);
    EXPECT_TRUE(r.wrongInput);
    EXPECT_FALSE(app.bit(pb::kFlags, 5));
}

TEST(SetupPrevBalanceTest, RowsEditTheirFields) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    SetupPrevBalance dlg(app);
    EXPECT_TRUE(dlg.setValue(0, "5000"));
    EXPECT_FALSE(dlg.setValue(0, "5001"));
    EXPECT_EQ(app.u16(pb::kCount), 5000);
    EXPECT_TRUE(dlg.setValue(3, "9"));
    EXPECT_EQ(app.u8(pb::kAmountSize), 5);
    EXPECT_EQ(dlg.value(3), "10");
    app.setU8(pb::kFlags, 0xa0);
    EXPECT_TRUE(dlg.setValue(5, "6"));
    EXPECT_EQ(app.u8(pb::kFlags), 0xa3);  // high bits kept
    EXPECT_FALSE(dlg.setValue(5, "15"));
    EXPECT_FALSE(dlg.setValue(4, "1"));    // a toggle row takes no number
}

TEST(SetupPrevBalanceTest, InvoiceOrExtraCountKeepsFlag106Option7) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    SetupPrevBalance dlg(app);
    dlg.toggle(7);  // invoice on
    EXPECT_TRUE(app.option(106, 7));
    dlg.toggle(9);  // extra count on
    dlg.toggle(7);  // invoice off, extra count still on
    EXPECT_TRUE(app.option(106, 7));
    dlg.toggle(9);
    EXPECT_FALSE(app.option(106, 7));
    dlg.toggle(8);
    EXPECT_FALSE(app.option(106, 7));
    EXPECT_EQ(dlg.value(8), "Yes");
}

TEST_F(SetupSizesTest, PrevBalanceFilesFollowTheSettings) {
    loadProgram();
    session.app.setU8(pb::kFlags, 0x80);  // trailer, no random code
    session.app.setU8(pb::kTextSize, 0);
    finishSetupPrevBalance(session, true);
    EXPECT_EQ(recordsIn(RecordKind::PbFunction), 8u);
    EXPECT_FALSE(fileExists(".pbr"));
    EXPECT_EQ(recordsIn(RecordKind::PbExtraTrailer), 50u);
    session.app.setU8(pb::kTextSize, 16);
    finishSetupPrevBalance(session, true);
    EXPECT_EQ(recordsIn(RecordKind::PbInfo), 45u);
}

TEST_F(SetupSizesTest, NoPbCountCreatesNoPbFiles) {
    loadProgram();
    session.app.setU16(pb::kCount, 0);
    session.app.setU8(pb::kFlags, 0x83);
    finishSetupPrevBalance(session, true);
    EXPECT_FALSE(fileExists(".pbf"));
    EXPECT_FALSE(fileExists(".pbr"));
    EXPECT_EQ(appOnDisk().u16(pb::kCount), 0);
}

TEST_F(SetupSizesTest, ClerkCountTimeAndSmr) {
    loadProgram();
    std::vector<std::uint8_t> smr(ApplicationBlock::kSize + 10, 0xee);
    writeFileAtomic(session.file(".smr"), smr);
    SetupClerk dlg(session.app);
    EXPECT_FALSE(dlg.acceptsText("1000"));
    ASSERT_TRUE(dlg.store("", true));
    EXPECT_EQ(session.app.u16(SetupClerk::kCount), 1);
    ASSERT_TRUE(dlg.store("14", true));
    finishSetupClerk(session, true);
    EXPECT_EQ(session.app.u16(SetupClerk::kRecordLength), 16 + 40);
    EXPECT_EQ(appOnDisk().u16(SetupClerk::kRecordLength), 16 + 40);
    EXPECT_EQ(recordsIn(RecordKind::Clerk), 14u);
    const auto written = readFile(session.file(".smr"));
    ASSERT_EQ(written.size(), smr.size());  // updated in place, tail kept
    EXPECT_TRUE(std::equal(session.app.bytes().begin(), session.app.bytes().end(), written.begin()));
    EXPECT_EQ(written.back(), 0xee);
    ASSERT_TRUE(dlg.store("14", false));
    setClerkRecordLength(session.app);
    EXPECT_EQ(session.app.u16(SetupClerk::kRecordLength), 18);
}

TEST_F(SetupSizesTest, MissingSmrIsNotCreated) {
    loadProgram();
    finishSetupClerk(session, true);
    EXPECT_FALSE(fileExists(".smr"));
}

TEST(SetupFloatingClerksTest, TransactionSizeRequiredWithFloatingClerks) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    SetupFloatingClerks dlg(app);
    EXPECT_EQ(SetupFloatingClerks::transactionSizeError(), "Max Transaction Size  :must be bigger then zero!");
    EXPECT_FALSE(dlg.acceptsText(SetupFloatingClerks::Field::MaxClerks, "101"));
    EXPECT_TRUE(dlg.acceptsText(SetupFloatingClerks::Field::SelectTimer, "240"));
    EXPECT_EQ(dlg.store({"4", "0", "30"}), SetupFloatingClerks::Outcome::NeedsTransactionSize);
    EXPECT_EQ(app.flag(80), 0);
    EXPECT_EQ(dlg.store({"4", "", "30"}), SetupFloatingClerks::Outcome::NeedsTransactionSize);
    EXPECT_EQ(dlg.store({"4", "241", "30"}), SetupFloatingClerks::Outcome::WrongInput);
    EXPECT_EQ(dlg.store({"4", "20", "30"}), SetupFloatingClerks::Outcome::Stored);
    EXPECT_EQ(app.flag(80), 4);
    EXPECT_EQ(app.flag(81), 20);
    EXPECT_EQ(app.flag(82), 30);
    EXPECT_EQ(dlg.store({"0", "0", "0"}), SetupFloatingClerks::Outcome::Stored);
}

// The floating-clerk area has a slot in the map: OK writes the map that
// goes with the new flags, marked, so Update asks for Clear & Install; the
// file never holds the new flags under the old map. Cancel writes nothing.
TEST_F(SetupSizesTest, FloatingClerksWriteTheMapWithTheirFlags) {
    recomputeSizes(session.app);
    loadProgram();
    const auto before = appOnDisk();
    SetupFloatingClerks dlg(session.app);
    ASSERT_EQ(dlg.store({"4", "20", "30"}), SetupFloatingClerks::Outcome::Stored);
    finishSetupFloatingClerks(session, false);
    EXPECT_EQ(appOnDisk(), before) << "not confirmed";
    finishSetupFloatingClerks(session, true);
    const auto after = appOnDisk();
    EXPECT_EQ(after, session.app);
    EXPECT_EQ(after.flag(80), 4);
    EXPECT_NE(after.memorySlot(17), before.memorySlot(17)) << "the floating-clerk slot moved with the flags";
    const auto lines = session.updateList().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "000000003"), lines.end()) << "the map is marked";
}

TEST_F(SetupSizesTest, LogoSettingByteAndDefaultBitmap) {
    SetupGraphLogo dlg(session.app);
    dlg.store(4, 1);
    EXPECT_EQ(session.app.u8(SetupGraphLogo::kSettingByte), 31);
    EXPECT_EQ(dlg.sizeIndex(), 4);
    EXPECT_EQ(dlg.densityIndex(), 1);
    loadProgram();
    finishSetupGraphLogo(session, true);
    EXPECT_FALSE(fileExists(".bmp"));  // "do not send": no picture to make
    dlg.store(2, 3);
    EXPECT_EQ(session.app.u8(SetupGraphLogo::kSettingByte), 2 + 48);
    finishSetupGraphLogo(session, true);
    ASSERT_TRUE(fileExists(".bmp"));
    EXPECT_EQ(std::filesystem::file_size(session.file(".bmp")), 62u + 320u * 32u);
    EXPECT_EQ(appOnDisk().u8(SetupGraphLogo::kSettingByte), 50);
    // An existing picture is the dealer's: it is never replaced.
    writeFileAtomic(session.file(".bmp"), std::vector<std::uint8_t>{1, 2, 3});
    dlg.store(1, 0);
    finishSetupGraphLogo(session, true);
    EXPECT_EQ(std::filesystem::file_size(session.file(".bmp")), 3u);
}

TEST_F(SetupSizesTest, IndividualSwitchesToggleAndWrite) {
    session.app.setU8(kIndividualSettingsByte, 0x80);
    EXPECT_TRUE(toggleIndividualKeyboards(session));  // no program: memory only
    loadProgram();
    EXPECT_TRUE(toggleIndividualPrinters(session));
    EXPECT_EQ(appOnDisk().u8(kIndividualSettingsByte), 0x83);
    EXPECT_FALSE(toggleIndividualKeyboards(session));
    EXPECT_EQ(appOnDisk().u8(kIndividualSettingsByte), 0x82);
    EXPECT_TRUE(individualPrinters(session.app));
}

}  // namespace
