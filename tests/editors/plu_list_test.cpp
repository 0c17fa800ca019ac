// PLU list lines, order and code search, and the PLU update-list line.
#include <gtest/gtest.h>

#include "editors/plu_list.h"
#include "editors/plu_record.h"
#include "editor_fixture.h"

namespace tramond {
namespace {

using test::putText;

// Records with the given codes (decimal digits, "" for unused) and names.
std::vector<std::uint8_t> pluFile(const std::vector<std::pair<std::string, std::string>>& recs) {
    std::vector<std::uint8_t> bytes(recs.size() * plu::kRecordSize, 0);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        const auto base = i * plu::kRecordSize;
        const auto& code = recs[i].first;
        std::size_t n = 0;
        for (auto it = code.rbegin(); it != code.rend(); ++it, ++n)
            bytes[base + plu::kCode + n / 2] |= static_cast<std::uint8_t>((*it - '0') << (n % 2 ? 4 : 0));
        putText(bytes, base + plu::kDescriptor, recs[i].second);
    }
    return bytes;
}

TEST(PluList, NumberModeLinesInFileOrderThenByName) {
    const auto bytes = pluFile({{"", "WATER"}, {"", "beer"}, {"", "APPLE"}});
    auto list = PluList::fromBytes(bytes, 3, 0, PluListOrder::File);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.usedCount(), 3u);
    const std::string water = "WATER" + std::string(35, ' ') + "00001 ";
    EXPECT_EQ(list.line(0), water);
    EXPECT_EQ(list.line(0).size(), PluList::kLineLength);
    list.sort(PluListOrder::Name);
    EXPECT_EQ(list.recordAt(0), 3);  // APPLE
    EXPECT_EQ(list.recordAt(1), 2);  // beer: case does not put it after WATER
    EXPECT_EQ(list.recordAt(2), 1);
}

TEST(PluList, CodeModeLinesInBothOrders) {
    // Two code bytes: four digits.
    const auto bytes = pluFile({{"4711", "SOAP"}, {"", "PLU 2"}, {"12", "BREAD"}});
    auto list = PluList::fromBytes(bytes, 3, 2, PluListOrder::Code);
    EXPECT_EQ(list.usedCount(), 2u);
    EXPECT_EQ(list.unusedCount(), 1u);
    EXPECT_EQ(list.nameColumn(), 15u);
    EXPECT_EQ(list.line(0), "0012" + std::string(11, ' ') + "BREAD" + std::string(20, ' ') + "00003 ");
    EXPECT_EQ(list.line(1), "4711" + std::string(11, ' ') + "SOAP" + std::string(21, ' ') + "00001 ");
    EXPECT_EQ(list.line(2), "9999" + std::string(11, ' ') + "zz (Not Used)" + std::string(12, ' ') + "00002 ");
    // The record behind a line is always at column 40.
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(std::stoi(list.line(i).substr(PluList::kRecordColumn, 5)), list.recordAt(i));

    list.sort(PluListOrder::Name);
    EXPECT_EQ(list.nameColumn(), 0u);
    EXPECT_EQ(list.line(0), "BREAD" + std::string(20, ' ') + "0012" + std::string(11, ' ') + "00003 ");
    EXPECT_EQ(list.line(2), "zz (Not Used)" + std::string(12, ' ') + "9999" + std::string(11, ' ') + "00002 ");
}

TEST(PluList, UsedLinesStayBeforeUnusedWhateverTheySortAs) {
    // A name after "zz (Not Used)" and a code of all nines must not mix a
    // used line among the unused ones: the first unused line is where new
    // PLUs are created.
    const auto bytes = pluFile({{"", ""}, {"9999", "zzz"}, {"", ""}, {"5", "\x9A" "BER"}});
    for (auto order : {PluListOrder::Code, PluListOrder::Name}) {
        auto list = PluList::fromBytes(bytes, 4, 2, order);
        ASSERT_EQ(list.usedCount(), 2u);
        EXPECT_TRUE(list.entry(0).used);
        EXPECT_TRUE(list.entry(1).used);
        EXPECT_EQ(list.recordAt(2), 1) << "unused lines in record order";
        EXPECT_EQ(list.recordAt(3), 3);
    }
}

TEST(PluList, FindsTypedCodeWithoutLeadingZeros) {
    const auto bytes = pluFile({{"1234", "A"}, {"", ""}, {"120034", "B"}});
    const auto list = PluList::fromBytes(bytes, 3, 3, PluListOrder::Code);
    EXPECT_EQ(list.recordAt(*list.findCode("001234")), 1);
    EXPECT_EQ(list.recordAt(*list.findCode("1234")), 1);
    EXPECT_EQ(list.recordAt(*list.findCode("120034")), 3);
    EXPECT_FALSE(list.findCode("12"));
    EXPECT_FALSE(list.findCode("0")) << "zero is no code: unused records are never found";
    EXPECT_FALSE(list.findCode("999999"));
}

TEST(PluList, MakeUsedAndUnusedKeepTheOrder) {
    const auto bytes = pluFile({{"20", "B"}, {"", ""}, {"40", "D"}, {"", ""}});
    auto list = PluList::fromBytes(bytes, 4, 1, PluListOrder::Code);
    const auto first = list.usedCount();
    EXPECT_EQ(list.recordAt(first), 2);
    const auto at = list.makeUsed(first, "30", "C");
    EXPECT_EQ(at, 1u);
    EXPECT_EQ(list.recordAt(1), 2);
    EXPECT_EQ(list.usedCount(), 3u);
    const auto gone = list.makeUnused(0);  // record 1
    EXPECT_EQ(list.usedCount(), 2u);
    EXPECT_EQ(list.recordAt(gone), 1);
    EXPECT_EQ(gone, 2u) << "first of the unused lines, by record number";
}

TEST(PluList, ShortFileAndUnreadableFile) {
    const auto bytes = pluFile({{"", "A"}, {"", "B"}});
    EXPECT_EQ(PluList::fromBytes(bytes, 5, 0, PluListOrder::File).size(), 2u);
    EXPECT_FALSE(PluList::read("/nonexistent/dir/x.plu", 5, 0, PluListOrder::File));
}

TEST(PluUpdateLine, TwentyTwoCharactersWithKeyEndingAtNineteen) {
    EXPECT_EQ(pluUpdateLine('R', "1234", 17), "R" "00000000001234" "00017" "00");
    EXPECT_EQ(pluUpdateLine('N', "00001234", 17), pluUpdateLine('N', "1234", 17));
    EXPECT_EQ(pluUpdateLine('D', "12345678901234", 29999), "D" "12345678901234" "29999" "00");
    EXPECT_EQ(pluUpdateLine('R', "1", 1).size(), 22u);
}

}  // namespace
}  // namespace tramond
