// The operating-system image from Intel HEX: where bytes land, and every kind
// of bad file refused whole, with its line.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

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
    ASSERT_FALSE(loadHexText(line + "\n:00000001FF", image)) << "a last line without line feed counts";
    EXPECT_EQ(image.usedRows(), 3);
    EXPECT_TRUE(image.rowUsed(0) && image.rowUsed(1) && image.rowUsed(2));
    // The sum the handheld answers with: every byte of every used row.
    EXPECT_EQ(image.sum(), (32 * 33 / 2 + 16 * 0xFF) & 0xFFFF);
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

// A file must end with exactly one end record: a file cut short, or with
// records after its end, never goes out as a whole operating system. What is
// no HEX text at all is refused with its reason.
TEST(HexImage, OnlyWholeTextFilesEndingInOneEndRecordAreTaken) {
    const std::string data = ":0100000011EE\n";
    const std::string end = ":00000001FF\n";
    struct Case {
        std::string text;
        int line;          // -1: accepted
        const char* what;
    };
    const Case cases[] = {
        {data + end, -1, ""},
        {data + end + "\n\r\n; built 2024\n", -1, ""},
        {"\xEF\xBB\xBF" + data + end, -1, ""},
        {"", 0, "the file is empty"},
        {data, 1, "ends without its end record"},
        {data + data, 2, "cut short"},
        {data + end + data, 3, "a record after the end record of line 2"},
        {data + end + end, 3, "after the end record"},
        {"hello\nworld\n", 0, "no Intel HEX records"},
        {data + std::string("\x7F" "ELF\x02\x01", 6) + "\n" + end, 2, "binary file"},
        {data + std::string("\0\0\0", 3) + end, 2, "byte 0x00 at column 1"},
    };
    for (const auto& c : cases) {
        HexImage image;
        const auto error = loadHexText(c.text, image);
        if (c.line < 0) {
            EXPECT_FALSE(error) << c.text << ": " << error->describe();
            continue;
        }
        ASSERT_TRUE(error) << c.text;
        EXPECT_EQ(error->line, c.line) << c.text;
        EXPECT_NE(error->describe().find(c.what), std::string::npos) << c.text << " -> " << error->describe();
        EXPECT_EQ(image.usedRows(), 0) << c.text;
    }
}

TEST(HexImage, EveryCutOfARealImageBeforeItsEndIsRefused) {
    // An image as a linker writes it, cut after each of its lines.
    std::mt19937 rng(5);
    std::string text;
    for (unsigned address = 0; address < 40 * 16; address += 16) {
        char head[16];
        std::snprintf(head, sizeof head, ":10%04X00", address);
        text += head;
        unsigned sum = 0x10 + (address >> 8) + (address & 0xFF);
        for (int i = 0; i < 16; ++i) {
            const unsigned b = rng() & 0xFF;
            sum += b;
            char two[3];
            std::snprintf(two, sizeof two, "%02X", b);
            text += two;
        }
        char check[4];
        std::snprintf(check, sizeof check, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += check;
    }
    text += ":00000001FF\n";
    HexImage image;
    ASSERT_FALSE(loadHexText(text, image));
    EXPECT_EQ(image.usedRows(), 40);
    for (std::size_t cut = text.find('\n'); cut + 1 < text.size(); cut = text.find('\n', cut + 1)) {
        HexImage part;
        const auto error = loadHexText(text.substr(0, cut + 1), part);
        ASSERT_TRUE(error) << "cut at " << cut;
        EXPECT_NE(error->what.find("cut short"), std::string::npos) << error->what;
    }
}

// What is not a regular file is refused at once, before anything waits on
// it; a file larger than any image is not read.
TEST(HexImage, FilesThatAreNoHexFilesAreRefusedWithoutWaiting) {
    const auto dir = std::filesystem::temp_directory_path() / ("tramond-hex-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "folder.a30");
    const auto fifo = dir / "fifo.a30";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto big = dir / "big.a30";
    std::ofstream(big) << ":00000001FF\n";
    std::filesystem::resize_file(big, HexImage::kMaxFileBytes + 1);
    struct Case {
        std::filesystem::path file;
        const char* what;
    };
    const Case cases[] = {
        {"/nonexistent/tovik.a30", "cannot open"},
        {dir / "folder.a30", "is a folder"},
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {big, "more than an image's"},
    };
    for (const auto& c : cases) {
        HexImage image;
        const auto start = std::chrono::steady_clock::now();
        const auto error = loadHexFile(c.file, image);
        ASSERT_TRUE(error) << c.file;
        EXPECT_EQ(error->line, 0) << c.file;
        EXPECT_NE(error->what.find(c.what), std::string::npos) << c.file << " -> " << error->what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.file;
    }
    std::filesystem::remove_all(dir);
}

TEST(UploadProgress, ATerminalGetsOneLineALogATenthAtATime) {
    UploadProgressLines log(false), terminal(true);
    std::string logText, terminalText;
    EXPECT_EQ(log.status("Clearing Tovik."), "Clearing Tovik.\n");
    for (int row = 1; row <= 250; ++row) {
        for (auto* p : {&log, &terminal}) p->status("WriteAdress: 4000:" + std::to_string(row));
        logText += log.progress(row, 250);
        terminalText += terminal.progress(row, 250);
    }
    terminalText += terminal.finish();
    EXPECT_EQ(std::count(logText.begin(), logText.end(), '\n'), 11) << logText;
    EXPECT_EQ(logText.find('\r'), std::string::npos);
    EXPECT_NE(logText.find("100 % (250 of 250 rows)\n"), std::string::npos) << logText;
    EXPECT_EQ(std::count(terminalText.begin(), terminalText.end(), '\n'), 1) << "one line, rewritten";
    EXPECT_EQ(std::count(terminalText.begin(), terminalText.end(), '\r'), 250);
    // A status after the progress starts on a line of its own.
    UploadProgressLines t(true);
    t.progress(1, 2);
    EXPECT_EQ(t.status("Error: Programming Failed."), "\nError: Programming Failed.\n");
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
