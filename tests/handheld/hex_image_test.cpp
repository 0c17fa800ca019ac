// The operating-system image from Intel HEX: where bytes land, and every kind
// of bad file refused whole, with its line.

#include <gtest/gtest.h>

#include "handheld/hex_image.h"
#include "handheld/os_upload.h"

namespace tramond {
namespace {

TEST(HexImage, EndRecordAloneMarksRowZeroOfBlankBytes) {
    HexImage image;
    ASSERT_FALSE(loadHexText(":00000001FF\r\n", image));
    EXPECT_EQ(image.usedRows(), 1);
    ASSERT_TRUE(image.rowUsed(0));
    for (auto b : image.row(0)) EXPECT_EQ(b, 0xFF);
    // What the upload sends for it: 0x10 + sixteen 0xFF add up to 0x1000.
    EXPECT_EQ(rowChecksum(0, image.row(0)), 0x00);
}

TEST(HexImage, RecordSpanningRowsFillsTheRightColumns) {
    std::string line = ":20000800";
    unsigned sum = 0x20 + 0x08;
    for (int i = 0; i < 32; ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", i + 1);
        line += two;
        sum += static_cast<unsigned>(i + 1);
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    line += check;

    HexImage image;
    ASSERT_FALSE(loadHexText(line, image)) << "a last line without line feed counts";
    EXPECT_EQ(image.usedRows(), 3);
    EXPECT_TRUE(image.rowUsed(0) && image.rowUsed(1) && image.rowUsed(2));
    for (int c = 0; c < 8; ++c) EXPECT_EQ(image.row(0)[c], 0xFF) << c;
    for (int i = 0; i < 32; ++i) EXPECT_EQ(image.row((8 + i) / 16)[(8 + i) % 16], i + 1) << i;
    for (int c = 8; c < 16; ++c) EXPECT_EQ(image.row(2)[c], 0xFF) << c;
}

TEST(HexImage, AddressRecordsOfTheFirst64KAndStartAddressesWriteNothing) {
    HexImage image;
    ASSERT_FALSE(loadHexText(":020000040000FA\n:020000020000FC\n:0400000300000008F1\n:0400000500000008EF\n"
                             "not a record\n\n:0100100042AD\n:00000001FF\n",
                             image));
    EXPECT_EQ(image.usedRows(), 2);
    for (auto b : image.row(0)) EXPECT_EQ(b, 0xFF);
    EXPECT_EQ(image.row(1)[0], 0x42);
}

TEST(HexImage, BadFilesAreRefusedWithTheirLineAndLeaveNothing) {
    const std::string good = ":0100000011EE\n";
    struct Case {
        std::string line;
        std::string what;
    };
    const Case cases[] = {
        {":" + std::string(100, '0'), "longer than 99"},
        {":10000000AABB", "byte count 16"},
        {":0200000011G2EB", "'G' at column 12"},
        {":0100000011EF", "checksum EF should be EE"},
        {":020000021000EC", "extended address 1000"},
        {":020000040001F9", "extended address 0001"},
        {":02FFFF00AABB9B", "runs past the end"},
        {":0100000611E8", "unknown record type 06"},
        {":01000001AA54", "end record with data"},
        {":000000", "not a complete record"},
    };
    for (const auto& c : cases) {
        HexImage image;
        const auto error = loadHexText(good + good + c.line + "\r\n" + good, image);
        ASSERT_TRUE(error) << c.line;
        EXPECT_EQ(error->line, 3) << c.line;
        EXPECT_NE(error->what.find(c.what), std::string::npos) << c.line << " -> " << error->what;
        EXPECT_EQ(image.usedRows(), 0) << c.line;
    }
}

TEST(HexImage, MissingFileIsAnErrorNotAnEmptyImage) {
    HexImage image;
    const auto error = loadHexFile("/nonexistent/tovik.a30", image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->line, 0);
}

TEST(UploadRecords, SetupRecordsCarryTheirSegmentAndChecksum) {
    const std::uint8_t checks[] = {0xEC, 0xDC, 0xCC, 0xBC};
    for (int s = 1; s <= 4; ++s) {
        const auto r = setupRecord(s);
        EXPECT_EQ(r[4], 16 * s);
        EXPECT_EQ(r[6], checks[s - 1]);
        unsigned sum = 0;
        for (int i = 0; i < 7; ++i) sum += r[static_cast<std::size_t>(i)];
        EXPECT_EQ(sum & 0xFF, 0u) << s;
        EXPECT_EQ(r[7], 0x00);
        EXPECT_EQ(r[8], 0x3A);
    }
    EXPECT_EQ(checksumText(0x0A, 0xF3), "Checksum:0AF3");
}

}  // namespace
}  // namespace tramond
