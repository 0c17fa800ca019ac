// Copying PLU field groups into a run of records: which bytes move, which
// records are hit, how the update list hears of them, and the range checks.
#include "editors/plu_copy.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "editor_fixture.h"

namespace tramond {
namespace {

using test::ProgramDir;
using Outcome = PluCopyResult::Outcome;
constexpr std::size_t kSize = plu::kRecordSize;

class PluCopyTest : public ::testing::Test {
protected:
    // Record r (from 1) has every byte set to r; the source is all 0xEE.
    void SetUp() override {
        header.count = 6;
        std::vector<std::uint8_t> bytes(6 * kSize);
        for (std::size_t r = 0; r < 6; ++r) std::fill_n(bytes.begin() + r * kSize, kSize, std::uint8_t(r + 1));
        dir.write(".plu", bytes);
        dir.session.app.setU16(2227, 6);
        source.assign(kSize, 0xEE);
    }
    PluCopyResult copy(std::initializer_list<std::size_t> ticked, std::string start, std::string range,
                       int sourceRecord = 2) {
        PluCopyRequest request;
        for (auto g : ticked) request.groups[g] = true;
        request.start = std::move(start);
        request.range = std::move(range);
        return copyPluFields(dir.session, header, source, sourceRecord, request);
    }
    // The bytes of record r that differ from what it held.
    std::vector<std::size_t> changed(int r) const {
        const auto bytes = dir.read(".plu");
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < kSize; ++i)
            if (bytes.at((r - 1) * kSize + i) != r) out.push_back(i);
        return out;
    }
    static std::vector<std::size_t> span(std::size_t first, std::size_t last) {
        std::vector<std::size_t> out;
        for (auto i = first; i <= last; ++i) out.push_back(i);
        return out;
    }

    ProgramDir dir;
    PluHeader header;
    std::vector<std::uint8_t> source;
};

TEST_F(PluCopyTest, StartAtTheSourceSkipsItAndEachGroupCopiesOnlyItsBytes) {
    // Only "KP", from the source's own position, range 3.
    auto result = copy({10}, "2", "3");
    ASSERT_EQ(result.outcome, Outcome::Copied);
    EXPECT_EQ(result.targets, (std::vector<int>{3, 4, 5}));
    EXPECT_TRUE(changed(2).empty());
    for (int r : {3, 4, 5}) EXPECT_EQ(changed(r), (std::vector<std::size_t>{108})) << r;
    EXPECT_TRUE(changed(6).empty());
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000010003", "000010004", "000010005"}));

    // The cost price leaves the condiment table link (byte 81) alone.
    result = copy({3}, "6", "1");
    EXPECT_EQ(changed(6), span(73, 80));
    // Every group together: the bytes of the table, and nothing else (36 and
    // 110..136 are not copied).
    copy({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "1", "1");
    auto all = span(0, 1);
    for (auto part : {span(9, 35), span(37, 109)}) all.insert(all.end(), part.begin(), part.end());
    EXPECT_EQ(changed(1), all);
}

TEST_F(PluCopyTest, RangeIsCheckedInRecordNumbersAfterTheSkip) {
    const auto before = dir.read(".plu");
    struct Case {
        const char* start;
        const char* range;
        int source;
        Outcome outcome;
    };
    // Record 6 is the last; the source skip moves the run one further.
    const Case cases[] = {
        {"5", "2", 2, Outcome::Copied},       // 5, 6
        {"5", "3", 2, Outcome::RangeTooBig},  // would reach 7
        {"6", "1", 6, Outcome::RangeTooBig},  // skip of the source: would write 7
        {"5", "2", 5, Outcome::RangeTooBig},  // 6, 7
        {"0", "3", 2, Outcome::Nothing},     {"x", "3", 2, Outcome::Nothing},
        {"3", "abc", 2, Outcome::Nothing},  // a range that is not a number copies nothing
        {"3", "0", 2, Outcome::Nothing},     {"3", "99999999999999999999", 2, Outcome::Nothing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " / " + c.range);
        const auto result = copy({10}, c.start, c.range, c.source);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(dir.read(".plu").size(), before.size());
        if (c.outcome != Outcome::Copied) { EXPECT_TRUE(result.targets.empty()); }
    }
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000010005", "000010006"}));
}

// Issue 26: every target was marked with the source's code, so Update
// replaced the source PLU on the register, never the targets.
TEST_F(PluCopyTest, CodeModeMarksEachTargetByItsOwnCodeAndNeverCopiesNames) {
    header.codeBytes = 2;
    dir.session.app.setU8(2234, 2);
    source[2] = 0x34;  // code 1234
    source[3] = 0x12;
    const auto result = copy({0, 1}, "4", "2");
    ASSERT_EQ(result.outcome, Outcome::Copied);
    EXPECT_FALSE(result.nameCopied);
    EXPECT_EQ(changed(4), span(34, 35));
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"R000000000004040000400", "R000000000005050000500"}));
}

TEST_F(PluCopyTest, ShortOrMissingFileIsNeverExtended) {
    header.count = 8;  // the file holds only 6
    EXPECT_EQ(copy({10}, "5", "3").outcome, Outcome::FileError);
    EXPECT_EQ(dir.read(".plu").size(), 6 * kSize);
    std::filesystem::remove(dir.session.file(".plu"));
    EXPECT_EQ(copy({10}, "3", "1").outcome, Outcome::FileError);
    EXPECT_FALSE(std::filesystem::exists(dir.session.file(".plu")));
    EXPECT_TRUE(dir.updates().empty());
}

}  // namespace
}  // namespace tramond
