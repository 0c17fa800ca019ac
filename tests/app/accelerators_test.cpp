#include "app/accelerators.h"

#include <gtest/gtest.h>

#include <set>

namespace tramond {
namespace {

using Captions = std::vector<std::string>;

TEST(Accelerators, ClashesAndMissingMarksGetLettersOfTheirOwn) {
    struct Case {
        Captions in;
        Captions out;
    };
    const Case cases[] = {
        // Marks that do not clash are kept as the pack wrote them.
        {{"&File", "E&dit"}, {"&File", "E&dit"}},
        // The second "&R" moves to a free word start, then to any free letter.
        {{"&Resort", "&Random", "&Next", "&New"}, {"&Resort", "R&andom", "&Next", "N&ew"}},
        // No mark at all: the first free word start.
        {{"Load", "Language"}, {"&Load", "L&anguage"}},
        // A later caption's own mark wins over a guess for an earlier one.
        {{"Delete", "&Delete all"}, {"D&elete", "&Delete all"}},
        // "&&" is a literal ampersand; the value after a TAB is not used.
        {{"Save && &Close", "Clerks\t12", "Cost"}, {"Save && &Close", "C&lerks\t12", "C&ost"}},
        // A caption whose letters are all taken moves another caption along
        // rather than go without.
        {{"&Logo", "T&ovik", "Lo"}, {"L&ogo", "&Tovik", "&Lo"}},
        // Nothing left to mark: no mark rather than a clash; empty stays empty.
        {{"a", "A", ""}, {"&a", "A", ""}},
    };
    for (const auto& c : cases) {
        const auto got = uniqueAccelerators(c.in);
        EXPECT_EQ(got, c.out) << c.in[0];
        std::set<char> letters;
        for (const auto& g : got)
            if (const char a = acceleratorOf(g)) EXPECT_TRUE(letters.insert(a).second) << g;
    }
    EXPECT_EQ(acceleratorOf("Price &Level"), 'l');
    EXPECT_EQ(acceleratorOf("A && B"), 0);
}

}  // namespace
}  // namespace tramond
