#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/language_pack.h"
#include "app/language_texts.h"
#include "app/app_test_support.h"

namespace tramond {
namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int readPack(LanguageTexts& t, const std::string& text) {
    std::istringstream in(text);
    return readLanguagePack(t, in);
}

TEST(BuiltInTexts, HoldsTheQuotedTextsExactly) {
    const auto& t = LanguageTexts::builtIn();
    EXPECT_EQ(t.text(392), "No Program Loaded !");
    EXPECT_EQ(t.text(398), "Error opening File !!");
    EXPECT_EQ(t.text(400), "Not Available with this Application !!");
    EXPECT_EQ(t.text(682), "Application Error");
    EXPECT_EQ(t.text(13), "&Clear && Install Register");
    EXPECT_EQ(t.text(650), "&File ");  // trailing blank kept
    EXPECT_EQ(t.text(1), "&Setup  ");
    EXPECT_EQ(t.text(821), "Settings for machine : ");
    EXPECT_EQ(t.text(64), " 0 ");  // a leading blank kept: greyed
    EXPECT_EQ(t.text(78), "\xC3\x97");  // UTF-8 survives the table
    EXPECT_TRUE(t.text(17).empty());
    EXPECT_TRUE(t.text(-1).empty());
    EXPECT_TRUE(t.text(1100).empty());
    for (int n = 0; n < LanguageTexts::kCount; ++n) EXPECT_LE(t.text(n).size(), 40u) << n;
}

TEST(BuiltInTexts, GatingAndPlainText) {
    const auto& t = LanguageTexts::builtIn();
    EXPECT_TRUE(t.visible(64));
    EXPECT_FALSE(t.enabled(64));
    EXPECT_FALSE(t.visible(17));
    EXPECT_EQ(t.plain(13), "Clear & Install Register");
    EXPECT_EQ(t.plain(16), "Delete a Program");
    EXPECT_EQ(t.plain(15), "Copy Program to ..");
}

TEST(WritePack, CutsAtColonReplacesUnderscoreAndChangesTheTable) {
    TempDir dir;
    LanguageTexts t = LanguageTexts::builtIn();
    t.setText(20, "Sa_ve: now");
    t.setText(21, "Closed 24:00: Sunday");
    t.setText(22, "Time 9:");
    writeLanguagePack(t, dir.path() / "Tramond.mwt");
    const std::string pack = slurp(dir.path() / "Tramond.mwt");
    EXPECT_NE(pack.find("  37,System &Reports     \r\n"), std::string::npos);
    EXPECT_EQ(t.text(36), "System &Reports     ");
    EXPECT_EQ(t.text(20), "Sa&ve");
    EXPECT_NE(pack.find("  21,Sa&ve\r\n"), std::string::npos);
    // A colon between digits is part of a time, not the start of a comment.
    EXPECT_EQ(t.text(21), "Closed 24:00");
    EXPECT_EQ(t.text(22), "Time 9");
    // The web address keeps its colon.
    EXPECT_NE(pack.find(" 909,https://"), std::string::npos);
    EXPECT_EQ(t.text(908).substr(0, 6), "https:");
    // Empty entries have no line; the first line is entry 0 numbered 1.
    EXPECT_EQ(pack.find("  18,"), std::string::npos);
    EXPECT_EQ(pack.substr(0, 5), "   1,");
}

TEST(ReadPack, LineNumberNSetsEntryNMinusOne) {
    LanguageTexts t = LanguageTexts::builtIn();
    EXPECT_EQ(readPack(t, "  11,Laden van schijf\r\n"), 1);
    EXPECT_EQ(t.text(10), "Laden van schijf");
    EXPECT_EQ(t.text(11), "Load from &Register");
    readPack(t, "1100,last\r\n");
    EXPECT_EQ(t.text(1099), "last");
}

TEST(ReadPack, SkipsMalformedAndOutOfRangeLines) {
    const LanguageTexts before = LanguageTexts::builtIn();
    LanguageTexts t = before;
    const int set = readPack(t, "   0,zero\r\n1101,too far\r\nno comma here\r\n 1x,junk\r\n-5,neg\r\n,empty\r\n");
    EXPECT_EQ(set, 0);
    for (int n = 0; n < LanguageTexts::kCount; ++n) ASSERT_EQ(t.text(n), before.text(n)) << n;
}

TEST(ReadPack, CutsTextTo39AndLinesTo49Characters) {
    LanguageTexts t;
    readPack(t, "   5," + std::string(45, 'x') + "\n");
    EXPECT_EQ(t.text(4), std::string(39, 'x'));
    // Leading blanks before the number count toward the 49 characters.
    readPack(t, std::string(40, ' ') + "12,abcdefghij\n");
    EXPECT_EQ(t.text(11), "abcdef");
    // The text after the first comma may hold commas; CR is dropped anywhere.
    readPack(t, " 301,1,000\r.00\n  7,last line without LF");
    EXPECT_EQ(t.text(300), "1,000.00");
    EXPECT_EQ(t.text(6), "last line without LF");
}

TEST(ReadPack, EmptyTextHidesLeadingBlankGreys) {
    LanguageTexts t = LanguageTexts::builtIn();
    readPack(t, "  13,\r\n  12, &Load from Register\r\n");
    EXPECT_FALSE(t.visible(12));
    EXPECT_TRUE(t.visible(11));
    EXPECT_FALSE(t.enabled(11));
}

TEST(ReadPack, AcceptsPacksInTheWindowsCodePage) {
    LanguageTexts t;
    readPack(t, "  11,Charger du disque dur \xE9\x80\n");
    EXPECT_EQ(t.text(10), "Charger du disque dur \xC3\xA9\xE2\x82\xAC");
    readPack(t, "  12,d\xC3\xA9j\xC3\xA0\n");  // UTF-8 stays UTF-8
    EXPECT_EQ(t.text(11), "d\xC3\xA9j\xC3\xA0");
}

TEST(LoadPack, MissingPackIsWrittenFromTheTableThenRead) {
    TempDir dir;
    LanguageTexts t = LanguageTexts::builtIn();
    auto r = loadLanguagePack(t, dir.path());
    EXPECT_TRUE(r.created);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "Tramond.mwt"));
    EXPECT_EQ(t.text(36), "System &Reports     ");
    // A second start reads the file it wrote, unchanged.
    LanguageTexts again = LanguageTexts::builtIn();
    r = loadLanguagePack(again, dir.path());
    EXPECT_FALSE(r.created);
    for (int n = 0; n < 1099; ++n)
        if (t.text(n).size() <= 39) { ASSERT_EQ(again.text(n), t.text(n)) << n; }
}

TEST(LoadPack, MissingPackInUnwritableDirectoryThrows) {
    LanguageTexts t;
    t.setText(1, "x");
    EXPECT_THROW(loadLanguagePack(t, "/nonexistent/dir/for/tramond"), std::exception);
}

TEST(InstallLanguage, CopiesKeepsExistingAndReportsEachFailure) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "mwt Files");
    std::filesystem::create_directories(dir.path() / "Help" / "english");
    std::ofstream(dir.path() / "mwt Files" / "Trmd_english.mwt") << "  11,X\r\n";
    std::ofstream(dir.path() / "Help" / "english" / "Tramond.html") << "<html></html>";
    const auto& english = languageChoices()[0];
    ASSERT_EQ(english.name, "English");
    auto failures = installLanguage(english, dir.path());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "Attempt to copy help index file has failed");
    EXPECT_EQ(slurp(dir.path() / "Tramond.mwt"), "  11,X\r\n");

    std::ofstream(dir.path() / "Tramond.mwt", std::ios::trunc) << "mine";
    installLanguage(english, dir.path());
    EXPECT_EQ(slurp(dir.path() / "Tramond.mwt"), "mine");

    const auto& dutch = languageChoices()[1];
    TempDir empty;
    failures = installLanguage(dutch, empty.path());
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures[0], "Attempt to copy mwt file has failed");
    EXPECT_EQ(failures[1], "Attempt to copy help file has failed");
}

TEST(InstallLanguage, FinnishUsesTheEnglishHelp) {
    for (const auto& c : languageChoices())
        if (c.name == "Finnish") { EXPECT_EQ(c.help, "english"); }
}

TEST(ShippedPack, MatchesTheBuiltInTable) {
    const auto shipped =
        std::filesystem::path(TRAMOND_SOURCE_DIR) / "resources" / "mwt Files" / "Trmd_english.mwt";
    EXPECT_EQ(slurp(shipped), formatLanguagePack(LanguageTexts::builtIn()))
        << "regenerate resources/mwt Files/Trmd_english.mwt from the built-in table";
}

}  // namespace
}  // namespace tramond
