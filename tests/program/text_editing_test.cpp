#include "program/text_editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "program/file_io.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> slice(const TextBlock& t, std::size_t offset, std::size_t n) {
    auto s = t.slice(offset, n);
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> readAll(const fs::path& p) { return readFile(p); }

class TextEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tramond_text_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        session_.programPath = dir_ / "shop.app";
        session_.loaded = true;
        // The program's text on disk as in memory: only what an editor
        // changes differs from it.
        writeFileAtomic(dir_ / "shop.txt", session_.text.bytes());
    }
    void TearDown() override {
        setWriteFaultHookForTesting(nullptr);
        fs::remove_all(dir_);
    }

    const TextEditorInfo& editor(std::string_view handler) {
        const auto* info = findTextEditor(handler);
        EXPECT_NE(info, nullptr) << handler;
        return *info;
    }
    std::vector<std::string> updateLines() { return session_.updateList().lines(); }
    void enablePbTrailer() {
        session_.app.set(appblock::kPbCount, 40);
        session_.app.set(appblock::kPbTrailer, true);
    }

    fs::path dir_;
    ProgramSession session_;
};

// --- the line grid ---------------------------------------------------------

TEST(LineGrid, EmptyLinesShowTheAtSignAndMissingLinesAreEmpty) {
    LineGrid grid(3, 10, {"ABC", ""});
    EXPECT_EQ(grid.cell(0), "ABC");
    EXPECT_EQ(grid.cell(1), "@");
    EXPECT_EQ(grid.cell(2), "@");
}

TEST(LineGrid, OverlongTextWarnsUntilTheKeyIsReleased) {
    LineGrid grid(2, 5, {});
    grid.edit(0, "ABCDE");
    EXPECT_FALSE(grid.outOfLine());
    grid.edit(0, "ABCDEF");
    EXPECT_TRUE(grid.outOfLine());
    EXPECT_EQ(grid.cell(0), "ABCDEF");  // not cut while the key is down
    grid.keyReleased(0);
    EXPECT_FALSE(grid.outOfLine());
    EXPECT_EQ(grid.cell(0), "ABCDE");
}

TEST(LineGrid, LosingFocusCutsEveryOverlongCell) {
    LineGrid grid(3, 4, {});
    grid.edit(0, "123456");
    grid.edit(2, "abcdefg");
    grid.focusLost();
    EXPECT_EQ(grid.cell(0), "1234");
    EXPECT_EQ(grid.cell(1), "@");
    EXPECT_EQ(grid.cell(2), "abcd");
}

TEST(LineGrid, WidthCountsCharactersNotBytes) {
    LineGrid grid(1, 4, {});
    grid.edit(0, "\xC3\xA9t\xC3\xA9s");  // "étés": 4 characters, 6 bytes
    EXPECT_FALSE(grid.outOfLine());
    grid.edit(0, "\xC3\xA9t\xC3\xA9s!");
    EXPECT_TRUE(grid.outOfLine());
    grid.keyReleased(0);
    EXPECT_EQ(grid.cell(0), "\xC3\xA9t\xC3\xA9s");
}

TEST(LineGrid, OkTurnsEmptyAndAtSignCellsIntoEmptyLinesAndPadsText) {
    LineGrid grid(4, 6, {"keep", "x", "y"});
    grid.edit(1, "");
    grid.edit(2, "@");
    grid.accept();
    ASSERT_TRUE(grid.accepted());
    const auto& r = grid.result();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], std::optional<std::string>("keep  "));
    EXPECT_EQ(r[1], std::nullopt);
    EXPECT_EQ(r[2], std::nullopt);
    EXPECT_EQ(r[3], std::nullopt);
    EXPECT_EQ(grid.cell(1), "@");  // the cleared cell shows the at sign again
}

TEST(LineGrid, OkHoldsAPastedTextToTheWidth) {
    // A text that reached the cell without a key release (pasted with the
    // mouse) must not run into the next line.
    LineGrid grid(2, 4, {});
    grid.edit(0, "ABCDEFGH");
    grid.accept();
    EXPECT_EQ(grid.result()[0], std::optional<std::string>("ABCD"));
    EXPECT_EQ(encodeLines(grid), bytesOf(std::string("ABCD") + '\0' + "   "));
}

// --- byte rules --------------------------------------------------------------

TEST(EntryRules, SpecialCaptionsArePaddedAndProgramCaptionsOnlyTerminated) {
    std::vector<std::uint8_t> special = bytesOf(std::string("Tot") + '\0' + "xxxxxxxxxxxxx");
    special.resize(17, 'x');
    auto program = special;
    applyEntryRule(special, 17, EntryRule::PadToEndWithZero);
    EXPECT_EQ(special, bytesOf("Tot" + std::string(13, ' ') + '\0'));
    applyEntryRule(program, 17, EntryRule::ZeroAtEnd);
    auto expected = bytesOf(std::string("Tot") + '\0' + "xxxxxxxxxxxx");
    expected.push_back(0);
    EXPECT_EQ(program, expected);
}

TEST(EntryRules, NoneLeavesEveryByte) {
    auto line = bytesOf("ABCDEFGHIJKLMNOPQRSTUVWX");
    applyEntryRule(line, 24, EntryRule::None);
    EXPECT_EQ(line, bytesOf("ABCDEFGHIJKLMNOPQRSTUVWX"));
}

// --- text-block editors ------------------------------------------------------

TEST(TextEditors, TableMatchesTheTextBlockSections) {
    ASSERT_EQ(textEditors().size(), 10u);
    for (const auto& e : textEditors()) {
        if (e.storage != TextStorage::TextBlock) continue;
        const auto it = std::find_if(textblock::kSections.begin(), textblock::kSections.end(),
                                     [&](const TextSectionInfo& s) { return s.offset == e.offset; });
        ASSERT_NE(it, textblock::kSections.end()) << e.handler;
        EXPECT_EQ(it->entries, static_cast<std::size_t>(e.lines)) << e.handler;
        EXPECT_EQ(it->width, static_cast<std::size_t>(e.width)) << e.handler;
    }
}

TEST_F(TextEditorTest, NoProgramAndUnavailableTrailerAreRefused) {
    const auto& header = editor("mReceiptHeader1Click");
    const auto& trailer = editor("mPBExtraTrailer1Click");
    session_.loaded = false;
    EXPECT_EQ(TextEditorController::check(session_, header), TextEditorController::Check::NoProgram);
    session_.loaded = true;
    EXPECT_EQ(TextEditorController::check(session_, header), TextEditorController::Check::Ok);
    EXPECT_EQ(TextEditorController::check(session_, trailer), TextEditorController::Check::NotAvailable);
    session_.app.set(appblock::kPbCount, 5);
    EXPECT_EQ(TextEditorController::check(session_, trailer), TextEditorController::Check::NotAvailable);
    session_.app.set(appblock::kPbCount, 0);
    session_.app.set(appblock::kPbTrailer, true);
    EXPECT_EQ(TextEditorController::check(session_, trailer), TextEditorController::Check::NotAvailable);
    session_.app.set(appblock::kPbCount, 5);
    EXPECT_EQ(TextEditorController::check(session_, trailer), TextEditorController::Check::Ok);
}

TEST_F(TextEditorTest, ClearedReceiptLineIsStoredEmptyAndShowsTheAtSignAgain) {
    const auto& info = editor("mReceiptHeader1Click");
    const std::size_t line3 = 1819 + 2 * 48;
    std::fill_n(session_.text.bytes().begin() + line3, 48, 'Q');
    {
        TextEditorController c(session_, info);
        EXPECT_EQ(c.grid().cell(2), std::string(48, 'Q'));
        c.grid().edit(2, "");
        c.grid().accept();
        ASSERT_EQ(c.finish(), TextEditorController::Outcome::Saved);
    }
    std::vector<std::uint8_t> expected(48, ' ');
    expected[0] = 0;
    EXPECT_EQ(slice(session_.text, line3, 48), expected);
    TextEditorController again(session_, info);
    EXPECT_EQ(again.grid().cell(2), "@");
}

TEST_F(TextEditorTest, FiftyCharactersInAReceiptLineKeepTheFirstFortyEight) {
    const auto& info = editor("mReceiptTrailer1Click");
    std::string typed;
    for (int i = 0; i < 50; ++i) typed += static_cast<char>('A' + i % 26);
    TextEditorController c(session_, info);
    c.grid().edit(0, typed);
    c.grid().keyReleased(0);
    c.grid().accept();
    ASSERT_EQ(c.finish(), TextEditorController::Outcome::Saved);
    // No terminator: all 48 bytes are text, and the next line is untouched.
    EXPECT_EQ(slice(session_.text, 6271, 48), bytesOf(typed.substr(0, 48)));
    EXPECT_EQ(session_.text.bytes()[6271 + 48], TextBlock::builtIn().bytes()[6271 + 48]);
}

TEST_F(TextEditorTest, EmptyCaptionsFollowTheirSectionRules) {
    {
        TextEditorController c(session_, editor("mSpecialCaptions1Click"));
        c.grid().edit(0, "");
        c.grid().accept();
        c.finish();
    }
    EXPECT_EQ(slice(session_.text, 0, 17), bytesOf(std::string(16, ' ') + '\0'));
    {
        TextEditorController c(session_, editor("mProgramCaptions1Click"));
        c.grid().edit(0, "");
        c.grid().accept();
        c.finish();
    }
    EXPECT_EQ(slice(session_.text, 6799, 17), bytesOf(std::string(1, '\0') + std::string(15, ' ') + '\0'));
}

TEST_F(TextEditorTest, SeventeenCharactersInADayNameKeepSixteenAndATerminator) {
    TextEditorController c(session_, editor("mDayDescriptors1Click"));
    c.grid().edit(6, "ABCDEFGHIJKLMNOPQ");
    c.grid().accept();
    c.finish();
    EXPECT_EQ(slice(session_.text, 1700 + 6 * 17, 17), bytesOf(std::string("ABCDEFGHIJKLMNOP") + '\0'));
}

TEST_F(TextEditorTest, ReportNamesEndWithAZeroAtTwentyFour) {
    TextEditorController c(session_, editor("mReportNames1Click"));
    c.grid().edit(15, std::string(25, 'R'));
    c.grid().accept();
    c.finish();
    EXPECT_EQ(slice(session_.text, 5431 + 15 * 25, 25), bytesOf(std::string(24, 'R') + '\0'));
}

TEST_F(TextEditorTest, SystemMessagesKeepAllTwentyFourCharacters) {
    TextEditorController c(session_, editor("mSystemMessages1Click"));
    c.grid().edit(119, "ABCDEFGHIJKLMNOPQRSTUVWX");
    c.grid().accept();
    c.finish();
    EXPECT_EQ(slice(session_.text, 2347 + 119 * 24, 24), bytesOf("ABCDEFGHIJKLMNOPQRSTUVWX"));
    EXPECT_EQ(session_.text.bytes()[5227], TextBlock::builtIn().bytes()[5227]);
}

TEST_F(TextEditorTest, TextsAreEditedInUnicodeAndStoredInTheOemCodePage) {
    session_.text.bytes()[5831] = 0x82;  // CP850 e acute
    session_.text.bytes()[5832] = 0;
    TextEditorController c(session_, editor("mSlipHeader1Click"));
    EXPECT_EQ(c.grid().cell(0), "\xC3\xA9");
    c.grid().edit(1, "Caf\xC3\xA9");
    c.grid().accept();
    c.finish();
    EXPECT_EQ(slice(session_.text, 5831 + 40, 5), bytesOf("Caf\x82 "));
}

// Issue 26: a close without OK leaves the files and the update list as
// they were (it used to rewrite the section and mark its codes).
TEST_F(TextEditorTest, ClosingWithoutOkWritesAndMarksNothing) {
    const auto before = session_.text;
    const auto txt = readAll(session_.file(".txt"));
    {
        TextEditorController c(session_, editor("mReceiptHeader1Click"));
        c.grid().edit(0, "never confirmed");
        ASSERT_EQ(c.finish(), TextEditorController::Outcome::Saved);
    }
    EXPECT_EQ(session_.text, before);
    EXPECT_EQ(readAll(session_.file(".txt")), txt);
    EXPECT_TRUE(updateLines().empty());
}

TEST_F(TextEditorTest, UntouchedOkOnSpecialCaptionsPadsEveryEntry) {
    // The rule applies on every close: an entry stored short comes back
    // padded, and the whole range of codes is marked.
    std::fill_n(session_.text.bytes().begin() + 17, 17, 0);
    session_.text.bytes()[17] = 'S';
    writeFileAtomic(session_.file(".txt"), session_.text.bytes());
    {
        TextEditorController c(session_, editor("mSpecialCaptions1Click"));
        c.grid().accept();
        c.finish();
    }
    EXPECT_EQ(slice(session_.text, 17, 17), bytesOf("S" + std::string(15, ' ') + '\0'));
    EXPECT_EQ(updateLines().size(), 8u);
    EXPECT_EQ(updateLines().front(), "000000030");
    EXPECT_EQ(updateLines().back(), "000000037");
}

std::atomic<bool> g_failWrites{false};
bool failWrites(WriteStage, std::size_t) { return g_failWrites.load(); }

TEST_F(TextEditorTest, AFailedWriteIsReportedAndMarksNothing) {
    const auto onDisk = readAll(session_.file(".txt"));
    const auto before = session_.text;
    g_failWrites = true;
    setWriteFaultHookForTesting(&failWrites);
    TextEditorController c(session_, editor("mMonthDescriptors1Click"));
    c.grid().edit(0, "JAN");
    c.grid().accept();
    EXPECT_EQ(c.finish(), TextEditorController::Outcome::WriteFailed);
    g_failWrites = false;
    EXPECT_TRUE(updateLines().empty());
    EXPECT_EQ(readAll(session_.file(".txt")), onDisk);
    EXPECT_EQ(session_.text, before);  // nothing left in memory to be saved unmarked later
}

// --- PB extra trailer --------------------------------------------------------

TEST_F(TextEditorTest, MissingTrailerFileIsCreatedWithZeros) {
    enablePbTrailer();
    const auto pxt = session_.file(".pxt");
    TextEditorController c(session_, editor("mPBExtraTrailer1Click"));
    ASSERT_TRUE(fs::exists(pxt));
    EXPECT_EQ(readAll(pxt), std::vector<std::uint8_t>(1200, 0));
    EXPECT_EQ(c.grid().lineCount(), 50);
    EXPECT_EQ(c.grid().width(), 24);
    EXPECT_EQ(c.grid().cell(0), "@");
    EXPECT_EQ(c.grid().cell(49), "@");
}

TEST_F(TextEditorTest, TrailerKeepsLinesAfterAnEmptyLine) {
    enablePbTrailer();
    {
        TextEditorController c(session_, editor("mPBExtraTrailer1Click"));
        c.grid().edit(0, "THANK YOU");
        c.grid().edit(2, "SEE YOU");
        c.grid().edit(49, std::string(24, 'Z'));
        c.grid().accept();
        ASSERT_EQ(c.finish(), TextEditorController::Outcome::Saved);
    }
    const auto file = readAll(session_.file(".pxt"));
    ASSERT_EQ(file.size(), 1200u);
    std::vector<std::uint8_t> expected(1200, 0);
    const std::string l1 = "THANK YOU" + std::string(15, ' ');
    const std::string l3 = "SEE YOU" + std::string(17, ' ');
    std::copy(l1.begin(), l1.end(), expected.begin());
    std::copy(l3.begin(), l3.end(), expected.begin() + 48);
    std::fill_n(expected.begin() + 49 * 24, 24, 'Z');
    EXPECT_EQ(file, expected);
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000090"});

    TextEditorController again(session_, editor("mPBExtraTrailer1Click"));
    EXPECT_EQ(again.grid().cell(0), l1);
    EXPECT_EQ(again.grid().cell(1), "@");
    EXPECT_EQ(again.grid().cell(2), l3);
}

TEST_F(TextEditorTest, TrailerWriteKeepsWhatALongerFileHoldsBeyondIt) {
    enablePbTrailer();
    std::vector<std::uint8_t> content(1210, 0);
    std::fill(content.begin() + 1200, content.end(), 0xEE);
    writeFileAtomic(session_.file(".pxt"), content);
    {
        TextEditorController c(session_, editor("mPBExtraTrailer1Click"));
        c.grid().edit(0, "X");
        c.grid().accept();
        c.finish();
    }
    const auto file = readAll(session_.file(".pxt"));
    ASSERT_EQ(file.size(), 1210u);
    EXPECT_EQ(file[0], 'X');
    EXPECT_EQ(file[1], ' ');
    EXPECT_EQ(file[24], 0);
    EXPECT_EQ(file[1209], 0xEE);
}

}  // namespace
}  // namespace tramond
