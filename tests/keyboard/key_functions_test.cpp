// Key function codes: the fixed list, the record groups, levels, kinds and
// the captions read back from the program's record files.

#include <set>

#include "keyboard/key_functions.h"
#include "keyboard_fixture.h"

namespace tramond::test {
namespace {

const LanguageTexts& texts() { return LanguageTexts::builtIn(); }

TEST(FixedFunctions, ListHoldsNinetyFiveDistinctCodesWithGeneratedNames) {
    const auto list = fixedFunctions();
    ASSERT_EQ(list.size(), 95u);
    std::set<std::uint16_t> codes;
    for (const auto& f : list) codes.insert(f.code);
    EXPECT_EQ(codes.size(), 95u);
    EXPECT_EQ(list[0].code, 48);
    EXPECT_EQ(fixedFunctionName(texts(), list[0]), " 0 ");
    // Modifier groups follow the 59 functions before them.
    EXPECT_EQ(fixedFunctionName(texts(), list[59]), "Modifier1/8");
    EXPECT_EQ(list[59].code, 270);
    EXPECT_EQ(fixedFunctionName(texts(), list[74]), "Modifier121/128");
    EXPECT_EQ(list[74].code, 285);
    const auto kp4 = std::find_if(list.begin(), list.end(), [](const auto& f) { return f.code == 2057; });
    ASSERT_NE(kp4, list.end());
    EXPECT_EQ(fixedFunctionName(texts(), *kp4), "KP return4");
    EXPECT_EQ(list.back().code, 2098);
}

TEST(FixedFunctions, LevelChoicesFormCodesAndRefuseLevelsOutOfRange) {
    const auto list = fixedFunctions();
    auto indexOf = [&](std::uint16_t code) {
        return static_cast<std::size_t>(
            std::find_if(list.begin(), list.end(), [&](const auto& f) { return f.code == code; }) - list.begin());
    };
    const auto pl = indexOf(kCodePriceLevelByNumber), al = indexOf(kCodeArticleLevelByNumber);
    EXPECT_EQ(codeForFixedChoice(pl, 3), 2013);
    EXPECT_EQ(codeForFixedChoice(pl, 2), 2012);
    EXPECT_EQ(codeForFixedChoice(al, 4), 2024);
    EXPECT_EQ(codeForFixedChoice(al, 5), std::nullopt);
    EXPECT_EQ(codeForFixedChoice(pl, 0), std::nullopt);  // an empty box must not store "New Price"
    EXPECT_EQ(codeForFixedChoice(pl, 5), std::nullopt);  // would store "No Cond" (2015)
    EXPECT_EQ(codeForFixedChoice(pl), std::nullopt);
    EXPECT_EQ(codeForFixedChoice(indexOf(2005)), 2005);
    EXPECT_EQ(codeForFixedChoice(95), std::nullopt);
    ApplicationBlock app;
    app.set(appblock::kPluPriceLevels, 4);
    EXPECT_EQ(levelMaximum(kCodePriceLevelByNumber, app), 4);
    EXPECT_EQ(levelMaximum(kCodeArticleLevelByNumber, app), 4);
    EXPECT_EQ(levelMaximum(2005, app), 0);
    app.set(appblock::kPluPriceLevels, 9);  // a damaged header: still only the four prices a PLU has
    EXPECT_EQ(levelMaximum(kCodePriceLevelByNumber, app), 4);
}

// The group table as the key functions describe it: file, record size, name
// place and base. The name place is the record editors' table too.
TEST(RecordGroups, MatchTheRecordFilesAndBases) {
    struct Row {
        std::string_view ext;
        std::size_t size, offset, width;
        std::uint16_t base;
        std::string_view name;
    };
    const Row rows[] = {
        {".cor", 20, 3, 17, 300, "Correction"},  {".dis", 28, 11, 17, 500, "Discount"},
        {".drw", 20, 3, 17, 600, "Drawer"},      {".por", 22, 5, 17, 800, "PoRa"},
        {".tnd", 30, 13, 17, 900, "Tender"},     {".cur", 31, 14, 17, 400, "Currency"},
        {".pbf", 20, 3, 17, 700, "Prev.Bal."},   {".dpt", 39, 4, 25, 5000, "Department"},
        {".plu", 137, 9, 25, 10000, "PLU"},      {".clk", 78, 4, 17, 3000, "Clerk"},
        {".mod", 28, 3, 25, 1000, "Modifier"},   {".sps", 27, 2, 25, 2100, "Salespers."},
        {".con", 140, 2, 25, 4500, "Condiments"},
    };
    const auto groups = recordGroups();
    ASSERT_EQ(groups.size(), std::size(rows));
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto& g = groups[i];
        const auto& info = kindInfo(g.kind);
        const auto place = descriptorPlace(g.kind);
        SCOPED_TRACE(rows[i].ext);
        EXPECT_EQ(g.index, static_cast<int>(i) + 1);
        EXPECT_EQ(info.extension, rows[i].ext);
        EXPECT_EQ(info.recordSize, rows[i].size);
        ASSERT_TRUE(place);
        EXPECT_EQ(place->offset, rows[i].offset);
        EXPECT_EQ(place->field, rows[i].width);
        EXPECT_EQ(g.base, rows[i].base);
        EXPECT_EQ(groupName(texts(), g), rows[i].name);
        EXPECT_EQ(codeForRecordChoice(g, 7), rows[i].base + 7);
    }
}

TEST(KeyKinds, FollowTheCodeRanges) {
    const std::pair<std::uint16_t, std::optional<int>> cases[] = {
        {0, std::nullopt}, {1, 0},     {2, 1},     {46, 0},    {57, 0},     {58, 1},
        {299, 1},          {300, 1},   {301, 2},   {399, 2},   {401, 7},    {501, 3},
        {601, 4},          {701, 8},   {801, 5},   {901, 6},   {1001, 12},  {2000, 1},
        {2004, 0},         {2006, 0},  {2100, 1},  {2101, 13}, {2354, 13},  {3001, 11},
        {4500, 1},         {4501, std::nullopt},   {5000, 1},  {5001, 9},   {10000, 1},
        {10001, 10},       {39999, 10}, {40000, std::nullopt},
    };
    for (const auto& [code, kind] : cases) EXPECT_EQ(keyKind(code), kind) << code;
    EXPECT_EQ(keyKindName(texts(), 5), "PoRa");
    EXPECT_EQ(keyKindName(texts(), 13), "Salespers.");
}

class Captions : public ::testing::Test {
protected:
    Captions() {
        program.writeRecords(RecordKind::Tender, 8, [](int n) { return "TENDER " + std::to_string(n) + "  "; });
        program.writeRecords(RecordKind::Plu, 30, [](int n) { return "Käse " + std::to_string(n); });
    }
    std::string caption(std::uint16_t code) { return captions.caption(code); }

    KeyboardProgram program;
    ProgramKeyNames names{program.session.programPath, program.session.app};
    KeyCaptions captions{program.session.app, texts(), names};
};

TEST_F(Captions, FixedAndRecordCodes) {
    const std::pair<std::uint16_t, std::string> cases[] = {
        {0, ""},           {1, "00"},        {2, "000"},         {46, "."},       {48, "0"},
        {57, "9"},         {2057, "KP RET4"}, {2054, "KP RET1"}, {270, "Mo 1-8"}, {285, "Mo 121-128"},
        {10000, "PLU"},    {5000, "DPT"},     {900, "Tn#"},       {2100, "SPS"},   {4500, "Cn#"},
        {2005, "SubTotal"}, {210, "Page Up"}, {907, "TENDER 7"}, {10025, "Käse 25"},
        // Level keys say their level; the fixed functions among them keep their names.
        {2010, "New Price"}, {2011, "PL# 1"}, {2012, "PL# 2"}, {2014, "PL# 4"}, {2015, "No Cond"},
        {2016, "Print Invoice"}, {2019, "PL# 9"}, {2021, "AL# 1"}, {2024, "AL# 4"}, {2025, ""},
        {10031, ""},  // beyond the file: no name, no message
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(caption(code), text) << code;
    EXPECT_TRUE(captions.takeMessages().empty());
}

TEST_F(Captions, MissingFileIsReportedOncePerRebuild) {
    EXPECT_EQ(caption(5003), "");
    EXPECT_EQ(caption(5004), "");
    const auto m = captions.takeMessages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].title, "Error");
    EXPECT_EQ(m[0].text, "Error opening File !!");
}

TEST_F(Captions, ModifierUsedAsPluNumber) {
    const std::vector<std::string> mods = {"%123", "% 12a", "%999", "Modi 4", "%123456789012"};
    program.writeRecords(RecordKind::Modifier, 5, [&](int n) { return mods[n - 1]; });
    // PLU 3 carries the number 123 (packed, least significant pair first).
    auto plu = program.read(".plu");
    plu[2 * 137 + 2] = 0x23;
    plu[2 * 137 + 3] = 0x01;
    writeFileAtomic(program.session.file(".plu"), plu);
    names.reload();

    EXPECT_EQ(caption(1001), "%123");  // without the option the name is shown
    program.session.app.setOption(26, 5, true);
    EXPECT_EQ(caption(1001), "123");
    EXPECT_TRUE(captions.takeMessages().empty());
    EXPECT_EQ(caption(1002), "");
    EXPECT_EQ(caption(1003), "999");
    EXPECT_EQ(caption(1004), "Modi 4");
    EXPECT_EQ(caption(1005), "123456789012");
    const auto m = captions.takeMessages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].text, "If you want to use Modifier as Plu#, enter valid integer in modifier name");
    EXPECT_EQ(m[1].text, "You are trying to connect modifier with no existing plu# 999");
    EXPECT_EQ(m[2].text, "You are trying to connect modifier with no existing plu# 123456789012");
}

}  // namespace
}  // namespace tramond::test
