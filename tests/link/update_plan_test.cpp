#include "link/update_plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

#include "program/update_list.h"

namespace tramond {
namespace {

std::vector<std::string> extensionsOf(const UpdatePlan& plan) {
    std::vector<std::string> out;
    for (const auto& g : plan.recordGroups) out.emplace_back(g.info->extension);
    return out;
}

TEST(UpdatePlanTest, CodesGoToTheirGroupsInSendingOrder) {
    // Department record 2 and correction record 1: ".cor" first although the
    // list is given the other way round.
    auto plan = planUpdate({"000000301", "000005002"}, false);
    EXPECT_TRUE(plan.systemBlocks.empty());
    ASSERT_EQ(extensionsOf(plan), (std::vector<std::string>{".cor", ".dpt"}));
    EXPECT_EQ(plan.recordGroups[0].codes, std::vector<std::uint32_t>{301});
    EXPECT_EQ(plan.recordGroups[0].info->base, 300u);
    EXPECT_EQ(plan.recordGroups[1].codes, std::vector<std::uint32_t>{5002});

    // Salespersons and tax are separate groups, salespersons first; the tax
    // header's code 2900 travels from the application block.
    plan = planUpdate({"000002101", "000002105", "000002900", "000002901", "000002916"}, false);
    ASSERT_EQ(extensionsOf(plan), (std::vector<std::string>{".sps", ".tax"}));
    EXPECT_EQ(plan.recordGroups[0].codes, (std::vector<std::uint32_t>{2101, 2105}));
    EXPECT_EQ(plan.recordGroups[1].codes, (std::vector<std::uint32_t>{2901, 2916}));
    EXPECT_EQ(plan.systemBlocks, std::vector<std::uint32_t>{2900});
}

// Issue 26: re-splitting the System Reports totals marked kind headers that
// Update took for "no change code" (300), for a salesperson (2900) or left
// out in code mode (10000), so the nightly update failed every night.
TEST(UpdatePlanTest, EveryKindHeaderIsASystemBlockInBothModes) {
    std::vector<std::string> lines;
    for (std::uint32_t base : {300u, 400u, 500u, 600u, 700u, 800u, 900u, 1000u, 2100u, 2900u, 3000u, 4000u, 4500u,
                               5000u, 10000u})
        lines.push_back(UpdateList::formatCode(base));
    for (bool byCode : {false, true}) {
        const auto plan = planUpdate(lines, byCode);
        EXPECT_EQ(plan.systemBlocks.size(), lines.size()) << byCode;
        EXPECT_TRUE(plan.recordGroups.empty()) << byCode;
        EXPECT_TRUE(plan.ignored.empty()) << byCode;
    }
}

TEST(UpdatePlanTest, RecordsPastTheCountAreDroppedWhenTheMapChanged) {
    ApplicationBlock app;
    app.setU16(1059, 10);  // departments
    app.setU16(2227, 5);   // PLUs
    const std::vector<std::string> lines = {"000000003", "000005003", "000005015", "D000000000000560000900",
                                            "N000000000000120000400", "R000000000000340000700"};
    auto kept = planUpdate({lines.begin() + 1, lines.end()}, true);
    dropStale(kept, app);  // the map did not change: no line of this program, refused later
    EXPECT_TRUE(kept.stale.empty());
    auto plan = planUpdate(lines, true);
    dropStale(plan, app);
    ASSERT_EQ(plan.recordGroups.size(), 1u);
    EXPECT_EQ(plan.recordGroups[0].codes, std::vector<std::uint32_t>{5003});
    EXPECT_EQ(plan.pluLines, (std::vector<std::string>{"D000000000000560000900", "N000000000000120000400"}));
    EXPECT_EQ(plan.newPluCount, 1);
    EXPECT_EQ(plan.stale, (std::vector<std::string>{"000005015", "R000000000000340000700"}));
}

TEST(UpdatePlanTest, GroupBoundaries) {
    // "system": a kind header, sent from the application block.
    const std::vector<std::pair<std::uint32_t, const char*>> cases = {
        {300, "system"}, {301, ".cor"}, {399, ".cor"},  {401, ".cur"},   {999, ".tnd"},
        {1000, "system"}, {2099, ".mod"}, {2101, ".sps"}, {3000, "system"}, {4499, ".grp"},
        {4501, ".con"}, {9999, ".dpt"}, {10000, "system"}, {39999, ".plu"}, {40000, nullptr},
        {60000, nullptr}, {60001, ".pbr"}, {65000, ".pbr"}, {65001, nullptr}, {1, nullptr},
        {123, nullptr}, {299, nullptr},
    };
    for (const auto& [code, ext] : cases) {
        const auto plan = planUpdate({UpdateList::formatCode(code)}, false);
        if (ext && std::string_view(ext) == "system") {
            EXPECT_EQ(plan.systemBlocks, std::vector<std::uint32_t>{code});
        } else if (!ext) {
            EXPECT_TRUE(plan.empty()) << code;
            EXPECT_EQ(plan.ignored.size(), 1u) << code;
        } else {
            ASSERT_EQ(plan.recordGroups.size(), 1u) << code;
            EXPECT_EQ(plan.recordGroups[0].info->extension, ext) << code;
        }
    }
}

TEST(UpdatePlanTest, SystemBlocksIncludingSpecialFiles) {
    // 122 holds the system characters of the last key columns: without it
    // a character given to such a key never reaches the register.
    const auto plan = planUpdate({"000000002", "000000019", "000000090", "000000111", "000000121",
                                  "000000122", "000000123", "000005001"},
                                 false);
    EXPECT_EQ(plan.systemBlocks, (std::vector<std::uint32_t>{2, 19, 90, 111, 121, 122}));
    EXPECT_EQ(plan.ignored, (std::vector<std::string>{"000000123"}));
    ASSERT_EQ(extensionsOf(plan), std::vector<std::string>{".dpt"});
}

TEST(UpdatePlanTest, PluLinesOnlyInCodeMode) {
    const std::vector<std::string> lines = {
        "000010003",                   // a PLU by record number
        "D0000000000123400007" "00",   // delete
        "N0000000000567800008" "00",   // new
        "N0000000000999900009" "00",   // new
        "R0000000000123400001" "00",   // replace
    };
    auto plan = planUpdate(lines, true);
    EXPECT_TRUE(plan.systemBlocks.empty());
    EXPECT_TRUE(plan.recordGroups.empty()) << "PLU codes are not sent by record in code mode";
    EXPECT_EQ(plan.pluLines, std::vector<std::string>(lines.begin() + 1, lines.end()));
    EXPECT_EQ(plan.newPluCount, 2);

    plan = planUpdate(lines, false);
    EXPECT_TRUE(plan.pluLines.empty());
    EXPECT_EQ(plan.newPluCount, 0);
    ASSERT_EQ(extensionsOf(plan), std::vector<std::string>{".plu"});
    EXPECT_EQ(plan.recordGroups[0].codes, std::vector<std::uint32_t>{10003});
}

TEST(UpdatePlanTest, ReadingTheFileKeepsMalformedLinesAndSorts) {
    const auto dir = std::filesystem::temp_directory_path() / "tramond_update_plan_test";
    std::filesystem::create_directories(dir);
    const auto file = dir / "p.upd";
    {
        std::ofstream out(file, std::ios::binary);
        out << "000005002\r\n\r\nR00000000001234ABCDE00\r\n000000301\r\n000005002\r\n  \r\n"
               "000000070";  // no final line end
    }
    const auto lines = readUpdateFileLines(file);
    EXPECT_EQ(lines, (std::vector<std::string>{"000000070", "000000301", "000005002",
                                               "R00000000001234ABCDE00"}));
    std::filesystem::remove_all(dir);
}

TEST(PluLineTest, CommandLetters) {
    EXPECT_EQ(pluCommandFor("R000"), PluCommand::Replace);
    EXPECT_EQ(pluCommandFor("N000"), PluCommand::Insert);
    EXPECT_EQ(pluCommandFor("D000"), PluCommand::Delete);
    EXPECT_EQ(pluCommandFor("X000"), PluCommand::Replace);
}

TEST(PluLineTest, DeletePacksTheCodeLeastSignificantPairFirst) {
    const std::string line = "D12345678901234" "00042" "00";
    std::array<std::uint8_t, kPluRecordSize> record{};
    const auto payload = buildPluCommand(PluCommand::Delete, line, record);
    EXPECT_EQ(payload[0], 'U');
    EXPECT_EQ(payload[1], 0);
    EXPECT_EQ(payload[2], 102);
    const std::array<std::uint8_t, 7> expected = {0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), payload.begin() + 3));
    EXPECT_TRUE(std::all_of(payload.begin() + 10, payload.end(), [](auto b) { return b == 0; }))
        << "the rest of the 140 bytes stays zero";

    // Non-digits are skipped, an odd leading digit sits alone in a low nibble.
    EXPECT_EQ(packPluLineCode("D0000000-12.345" "00001" "00"), (std::array<std::uint8_t, 7>{0x45, 0x23, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(packPluLineCode("D"), (std::array<std::uint8_t, 7>{}));
}

TEST(PluLineTest, PositionMustBeANumber) {
    EXPECT_EQ(pluLinePosition("R00000000001234" "00421" "00"), 421);
    EXPECT_EQ(pluLinePosition("R00000000001234" "0ABC1" "00"), std::nullopt);
    EXPECT_EQ(pluLinePosition("R00000000001234"), std::nullopt);
    EXPECT_EQ(pluLinePosition("R00000000001234" "  7"), 7);
}

TEST(PluLineTest, ReplaceAndInsertCarryTheRecordWithSwappedWords) {
    std::array<std::uint8_t, kPluRecordSize> record{};
    std::iota(record.begin(), record.end(), std::uint8_t{1});
    for (auto cmd : {PluCommand::Replace, PluCommand::Insert}) {
        const auto payload = buildPluCommand(cmd, "N00000000001234" "00001" "00", record);
        EXPECT_EQ(payload[2], static_cast<std::uint8_t>(cmd));
        EXPECT_EQ(payload[3], record[1]);
        EXPECT_EQ(payload[4], record[0]);
        EXPECT_EQ(payload[3 + 34], record[35]);
        EXPECT_EQ(payload[3 + 35], record[34]);
        EXPECT_EQ(payload[3 + 2], record[2]) << "the code is not swapped";
        EXPECT_EQ(payload[3 + 82], record[82]) << "only words 0 and 34 in code mode";
        EXPECT_EQ(payload[139], record[136]);
    }
}

TEST(PluCapacityTest, HalfOfTheFreeEntriesMustStaySpare) {
    // 100 PLUs, 60 used after 20 were created: 60 entries were free on the
    // register, half of them (30) may be filled.
    EXPECT_TRUE(newPluEntriesFit(100, 20, 60));
    EXPECT_TRUE(newPluEntriesFit(100, 30, 70));
    EXPECT_FALSE(newPluEntriesFit(100, 31, 71));
    EXPECT_TRUE(newPluEntriesFit(100, 0, 100));
    // Integer division: (3 + 1 - 2) / 2 = 1 fits one, (3 + 2 - 3) / 2 = 1 not two.
    EXPECT_TRUE(newPluEntriesFit(3, 1, 2));
    EXPECT_FALSE(newPluEntriesFit(3, 2, 3));
}

}  // namespace
}  // namespace tramond
