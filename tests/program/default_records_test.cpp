#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "program/default_logo.h"
#include "program/default_records.h"
#include "program/file_io.h"
#include "program/packed.h"
#include "program/sizing.h"
#include "scratch_dir.h"

namespace tramond {
namespace {

namespace ab = appblock;
using K = RecordKind;
using Bytes = std::vector<std::uint8_t>;
using testing::ScratchDir;

std::string str(const Bytes& r, std::size_t at, std::size_t n) { return std::string(r.begin() + at, r.begin() + at + n); }
std::uint16_t word0(const Bytes& r) { return static_cast<std::uint16_t>(r[0] | r[1] << 8); }

class DefaultRecords : public ::testing::Test {
protected:
    ApplicationBlock app;
    TextBlock text = TextBlock::builtIn();
    void SetUp() override { applyFixedValues(app); }
};

TEST_F(DefaultRecords, PluWithDescriptorLengthGetsNumberPrintByteQuantityAndPrices) {
    app.set(ab::kPluPriceSize, 4);
    app.set(ab::kPluPriceLevels, 2);
    const auto r = defaultRecord(K::Plu, 7, app, text);
    ASSERT_EQ(r.size(), 137u);
    EXPECT_EQ(str(r, 9, 10), std::string("PLU     7\0", 10));
    EXPECT_EQ(r[107], 11);
    EXPECT_EQ(Bytes(r.begin() + 90, r.begin() + 98), (Bytes{0x00, 0x10, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(r.begin() + 37, r.begin() + 40), (Bytes{0x07, 0, 0}));
    EXPECT_EQ(Bytes(r.begin() + 46, r.begin() + 49), (Bytes{0x07, 0, 0}));
    EXPECT_EQ(Bytes(r.begin() + 55, r.begin() + 58), (Bytes{0, 0, 0})) << "third level not in use";
    EXPECT_EQ(r[2], 0) << "code stays zero";
}

TEST_F(DefaultRecords, PluWithoutDescriptorLengthHasWordOnly) {
    app.setKindDescriptorLength(ab::kPlu, 0);
    app.set(ab::kPluPriceSize, 4);
    app.set(ab::kPluPriceLevels, 4);
    const auto r = defaultRecord(K::Plu, 7, app, text);
    EXPECT_EQ(str(r, 9, 9), "PLU      ");
    EXPECT_EQ(r[107], 0);
    EXPECT_EQ(r[91], 0);
    EXPECT_EQ(r[37], 0);
}

TEST_F(DefaultRecords, PluPriceLevelsBeyondFourNeverReachTheCostPrice) {
    app.set(ab::kPluPriceSize, 4);
    app.set(ab::kPluPriceLevels, 9);
    const auto r = defaultRecord(K::Plu, 12345, app, text);
    EXPECT_EQ(Bytes(r.begin() + 64, r.begin() + 67), (Bytes{0x45, 0x23, 0x01}));
    EXPECT_EQ(Bytes(r.begin() + 73, r.begin() + 81), Bytes(8, 0));
}

TEST_F(DefaultRecords, FunctionKindsCarryTheirFirstWordAndPrintOption) {
    for (std::uint32_t n = 1; n <= 12; ++n) {
        const auto r = defaultRecord(K::PbFunction, n, app, text);
        EXPECT_EQ(word0(r), n <= 10 ? n - 1 : 9) << "PB function " << n;
        EXPECT_EQ(r[2], 11);
    }
    EXPECT_EQ(word0(defaultRecord(K::Correction, 6, app, text)), 1);
    const auto tender = defaultRecord(K::Tender, 3, app, text);
    EXPECT_EQ(word0(tender), 1);
    EXPECT_EQ(tender[2], 11);
    EXPECT_EQ(str(tender, 13, 8), std::string("TEND  3\0", 8));
    const auto clerk = defaultRecord(K::Clerk, 11, app, text);
    EXPECT_EQ(word0(clerk), 16);
    EXPECT_EQ(str(clerk, 4, 9), std::string("CLER  11\0", 9));
    EXPECT_EQ(str(defaultRecord(K::Modifier, 2, app, text), 3, 8), std::string("ADDI  2\0", 8));
    EXPECT_EQ(str(defaultRecord(K::Salesperson, 2, app, text), 2, 7), "SALP  2");
    EXPECT_EQ(defaultRecord(K::Currency, 1, app, text)[2], 0) << "currencies have no print option";
}

TEST_F(DefaultRecords, WordsComeFromTheTextBlockCutToFourCharacters) {
    text.setDescriptorWord(7, "RABATT-LONGWORD");
    const auto r = defaultRecord(K::Discount, 2, app, text);
    EXPECT_EQ(str(r, 11, 8), std::string("RABA  2\0", 8));
}

TEST_F(DefaultRecords, CondimentNumberFollowsThePluDescriptorLength) {
    EXPECT_EQ(str(defaultRecord(K::Condiment, 3, app, text), 2, 10), std::string("COND    3\0", 10));
    app.setKindDescriptorLength(ab::kPlu, 0);
    EXPECT_EQ(str(defaultRecord(K::Condiment, 3, app, text), 2, 10), std::string("COND     \0", 10));
}

TEST_F(DefaultRecords, PbInfoRecordHoldsPackedNumberAndTableCaption) {
    app.set(ab::kPbTextSize, 24);
    const auto r = defaultRecord(K::PbInfo, 45, app, text);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_EQ(Bytes(r.begin(), r.begin() + 7), (Bytes{0x45, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(str(r, 7, 14), std::string("TABLE #    45\0", 14));
    EXPECT_EQ(str(r, 21, 10), std::string(10, ' '));
    EXPECT_EQ(r[31], 0);
    app.set(ab::kPbTextSize, 0);
    EXPECT_TRUE(defaultRecords(K::PbInfo, 1, 45, app, text).empty()) << "nothing without code or text size";
}

TEST_F(DefaultRecords, AppendingFiveToEightToAFourRecordGroupFile) {
    ScratchDir dir;
    const auto file = dir / "shop.grp";
    app.setKindCount(ab::kGroup, 4);
    createRecordFile(file, K::Group, app, text);
    const auto before = testing::bytesOf(file);
    ASSERT_EQ(before.size(), 4u * 29);

    app.setKindCount(ab::kGroup, 8);
    EXPECT_EQ(extendRecordFile(file, K::Group, app, text), 4u);
    const auto after = testing::bytesOf(file);
    ASSERT_EQ(after.size(), 8u * 29);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
    for (int n = 5; n <= 8; ++n)
        EXPECT_EQ(str(after, (n - 1) * 29 + 4, 8), "GRP   " + std::to_string(n) + std::string(1, '\0'));
}

TEST_F(DefaultRecords, ExtensionNeverShortensAndRewritesATornLastRecord) {
    ScratchDir dir;
    const auto file = dir / "shop.dpt";
    app.setKindCount(ab::kDepartment, 20);
    createRecordFile(file, K::Department, app, text);
    app.setKindCount(ab::kDepartment, 10);
    EXPECT_EQ(extendRecordFile(file, K::Department, app, text), 0u);
    app.setKindCount(ab::kDepartment, 15);
    EXPECT_EQ(extendRecordFile(file, K::Department, app, text), 0u);
    EXPECT_EQ(std::filesystem::file_size(file), 20u * 39);

    std::filesystem::resize_file(file, 3 * 39 + 10);  // a torn fourth record
    app.setKindCount(ab::kDepartment, 5);
    EXPECT_EQ(extendRecordFile(file, K::Department, app, text), 2u);
    const auto bytes = testing::bytesOf(file);
    ASSERT_EQ(bytes.size(), 5u * 39);
    EXPECT_EQ(str(bytes, 3 * 39 + 4, 8), std::string("DEPT  4\0", 8)) << "record 4 in its own place";
}

TEST_F(DefaultRecords, ExtensionCreatesAMissingFileEvenWithCountZero) {
    ScratchDir dir;
    app.setKindCount(ab::kModifier, 0);
    EXPECT_EQ(extendRecordFile(dir / "shop.mod", K::Modifier, app, text), 0u);
    EXPECT_TRUE(std::filesystem::exists(dir / "shop.mod"));
    EXPECT_EQ(firstMissingRecord(0, 29, 3), 1u);
    EXPECT_EQ(firstMissingRecord(58, 29, 3), 3u);
    EXPECT_EQ(firstMissingRecord(87, 29, 3), 0u);
}

TEST(DefaultCheckFile, WordsAndBytesOfANewProgram) {
    const auto c = defaultCheckFile();
    const std::uint16_t words[] = {306, 307, 701, 705, 702, 2030, 5001, 5002, 5003, 5004, 5005, 10000, 901, 1000};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(c[2 * i] | c[2 * i + 1] << 8, words[i]) << "word " << i;
    EXPECT_EQ(c[28], 10);
    EXPECT_EQ(c[29], 30);
    EXPECT_EQ(c[30], 50);
    EXPECT_EQ(c[31], 12);
    for (std::size_t i = 32; i < c.size(); ++i) ASSERT_EQ(c[i], 0) << i;
    ScratchDir dir;
    writeDefaultCheckFile(dir / "shop.chk");
    EXPECT_EQ(std::filesystem::file_size(dir / "shop.chk"), 168u);
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(DefaultLogo, FileSizesAndHeadersPerLogoType) {
    const struct { int type; std::uint32_t w, h, size; } cases[] = {
        {1, 256, 160, 5182}, {2, 256, 320, 10302}, {3, 512, 160, 10302}};
    for (const auto& c : cases) {
        const auto b = defaultLogoBitmap(c.type);
        ASSERT_EQ(b.size(), c.size) << "type " << c.type;
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le32(b, 2), c.size);
        EXPECT_EQ(le32(b, 6), 0u);
        EXPECT_EQ(le32(b, 10), 62u);
        EXPECT_EQ(le32(b, 14), 40u);
        EXPECT_EQ(le32(b, 18), c.w);
        EXPECT_EQ(le32(b, 22), c.h);
        EXPECT_EQ(b[26] | b[27] << 8, 1);
        EXPECT_EQ(b[28] | b[29] << 8, 1);
        for (std::size_t i = 30; i < 54; ++i) ASSERT_EQ(b[i], 0) << i;
        EXPECT_EQ(le32(b, 54), 0u);
        EXPECT_EQ(le32(b, 58), 0x00FFFFFFu);
    }
}

TEST(DefaultLogo, FramedBlackEdgesWhiteInside) {
    const auto b = defaultLogoBitmap(1);
    const std::size_t s = 32, h = 160;
    const auto dot = [&](std::size_t x, std::size_t yFromTop) {  // true = white
        return (b[62 + (h - 1 - yFromTop) * s + x / 8] >> (7 - x % 8)) & 1;
    };
    EXPECT_EQ(dot(0, 0), 0) << "top-left is frame";
    EXPECT_EQ(dot(255, 159), 0) << "bottom-right is frame";
    EXPECT_EQ(dot(128, 80), 1) << "centre is white";
}

TEST(DefaultLogo, TypesWithoutBitmapWriteNothing) {
    ScratchDir dir;
    ApplicationBlock app;
    for (std::uint8_t setting : {0x00, 0x0F, 0x14}) {
        app.set(ab::kLogoSetting, setting);
        EXPECT_FALSE(writeDefaultLogo(dir / "shop.bmp", app));
        EXPECT_FALSE(std::filesystem::exists(dir / "shop.bmp"));
    }
    app.set(ab::kLogoSetting, 0x32);  // density 3, 256 x 320
    EXPECT_TRUE(writeDefaultLogo(dir / "shop.bmp", app));
    EXPECT_EQ(std::filesystem::file_size(dir / "shop.bmp"), 10302u);
}

}  // namespace
}  // namespace tramond
