#include "program/update_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <numeric>

#include "program/file_io.h"
#include "program/record_kinds.h"

namespace fs = std::filesystem;
using namespace tramond;

namespace {

class UpdateListTest : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("tramond-upd-" + std::to_string(::getpid()));
    fs::path file = dir / "shop.upd";
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        setWriteFaultHookForTesting(nullptr);
        fs::remove_all(dir);
    }
    std::string raw() const {
        const auto b = readFile(file);
        return {b.begin(), b.end()};
    }
    void put(const std::string& text) const { std::ofstream(file, std::ios::binary) << text; }
};

int g_writes = 0;
bool countWrites(WriteStage stage, std::size_t) {
    if (stage == WriteStage::Create) ++g_writes;
    return false;
}
bool failWrites(WriteStage stage, std::size_t) {
    return stage == WriteStage::Rename;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST_F(UpdateListTest, CodesAreNineDigitLinesInTextOrderWithoutDuplicates) {
    EXPECT_EQ(UpdateList::formatCode(70), "000000070");
    EXPECT_EQ(UpdateList::formatCode(10005), "000010005");
    EXPECT_EQ(UpdateList::formatCode(999999999), "999999999");
    EXPECT_THROW(UpdateList::formatCode(1000000000), std::out_of_range);

    UpdateList list(file);
    EXPECT_TRUE(list.lines().empty());  // missing file: nothing marked
    list.mark(70);
    list.mark(5003);
    list.mark(2);
    list.mark(70);
    EXPECT_EQ(list.lines(), (Lines{"000000002", "000000070", "000005003"}));
    EXPECT_EQ(raw(), "000000002\r\n000000070\r\n000005003\r\n");
}

TEST_F(UpdateListTest, PluLinesShareTheListAndSortAfterCodes) {
    UpdateList list(file);
    const std::string r = "R000000000012340004200";
    const std::string n = "N000000000056780000700";
    list.markLine(r);
    list.mark(10001);
    list.markLines(std::vector<std::string>{n, r});
    EXPECT_EQ(list.lines(), (Lines{"000010001", n, r}));
    EXPECT_THROW(list.markLine("X000000000012340004200"), std::invalid_argument);
    EXPECT_THROW(list.markLine("12345"), std::invalid_argument);
    EXPECT_EQ(list.lines().size(), 3u);
}

TEST_F(UpdateListTest, HandMadeLinesSurviveEveryMark) {
    // Update Register sends or refuses such lines with its own message; a
    // mark in an editor must not make them vanish.
    put("garbage\n\n   \n12345\n000000005\r\n  000000003  \n00000000x\nR0000000000123400001000\n"
        "R000000000012340000100\n000000005\n");
    UpdateList list(file);
    const Lines kept{"000000003", "000000005", "00000000x", "12345", "R000000000012340000100",
                     "R0000000000123400001000", "garbage"};
    EXPECT_EQ(list.lines(), kept);
    list.mark(4);
    EXPECT_EQ(raw(),
              "000000003\r\n000000004\r\n000000005\r\n00000000x\r\n12345\r\nR000000000012340000100\r\n"
              "R0000000000123400001000\r\ngarbage\r\n");
}

TEST_F(UpdateListTest, DeleteCancelsPendingLinesOfTheSamePlu) {
    UpdateList list(file);
    const std::string key = "000000000012340004200";  // code 1234 at position 42
    const std::string other = "000000000012340004300";  // same code, another position
    // Created, then deleted: the pending lines go, the delete stays (an
    // earlier Update may have sent the insert without clearing the list).
    list.markLines(std::vector<std::string>{"N" + key, "R" + key, "R" + other});
    list.markLine("D" + key);
    EXPECT_EQ(list.lines(), (Lines{"D" + key, "R" + other}));
    // A PLU the register has: its pending change gives way to the delete.
    list.markLine("D" + other);
    EXPECT_EQ(list.lines(), (Lines{"D" + key, "D" + other}));
    // Deleted, then created again at the same place: both go out, delete first.
    list.markLine("N" + other);
    EXPECT_EQ(list.lines(), (Lines{"D" + key, "D" + other, "N" + other}));
}

TEST_F(UpdateListTest, MarkingManyReadsAndWritesTheFileOnce) {
    UpdateList list(file);
    list.mark(2);
    std::vector<std::uint32_t> codes(30000);
    std::iota(codes.rbegin(), codes.rend(), kindInfo(RecordKind::Plu).changeBase);  // descending
    codes.push_back(10001);

    g_writes = 0;
    setWriteFaultHookForTesting(countWrites);
    list.markMany(codes);
    EXPECT_EQ(g_writes, 1);
    list.mark(2);  // already there: nothing to write
    list.markMany(codes);
    EXPECT_EQ(g_writes, 1);
    list.mark(3);
    EXPECT_EQ(g_writes, 2);
    setWriteFaultHookForTesting(nullptr);

    const auto lines = list.lines();
    ASSERT_EQ(lines.size(), 30002u);
    EXPECT_EQ(lines[0], "000000002");
    EXPECT_EQ(lines[2], "000010001");
    EXPECT_EQ(lines.back(), "000040000");
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
}

TEST_F(UpdateListTest, EnsureClearAndFailuresKeepTheList) {
    UpdateList list(file);
    list.ensureExists();
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    list.mark(7);
    list.ensureExists();  // never empties an existing list
    EXPECT_EQ(list.lines(), Lines{"000000007"});

    setWriteFaultHookForTesting(failWrites);
    EXPECT_THROW(list.markMany(std::vector<std::uint32_t>{80, 90}), FileError);
    EXPECT_THROW(list.clear(), FileError);
    setWriteFaultHookForTesting(nullptr);
    EXPECT_EQ(raw(), "000000007\r\n");

    list.clear();
    EXPECT_TRUE(list.lines().empty());
    EXPECT_TRUE(fs::exists(file));

    fs::remove(file);
    fs::create_directory(file);
    EXPECT_THROW(list.mark(2), FileError);
    EXPECT_THROW(list.ensureExists(), FileError);
}
