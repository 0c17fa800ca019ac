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
        AcceleratorRules rules = {};
    };
    const AcceleratorRules dialog{{}, false};
    const AcceleratorRules toolsLast{{false, true, false}, true};
    const Case cases[] = {
        // Marks that do not clash are kept as the pack wrote them.
        {{"&File", "E&dit"}, {"&File", "E&dit"}},
        // The second "&R" moves to a free word start, then to any free letter.
        {{"&Resort", "&Random", "&Next", "&New"}, {"&Resort", "R&andom", "&Next", "N&ew"}},
        // No mark at all: the first free word start.
        {{"Load", "Language"}, {"&Load", "L&anguage"}},
        // A caption's own mark wins over a guess for an unmarked one, even
        // an earlier one.
        {{"Delete", "&Delete all"}, {"D&elete", "&Delete all"}},
        // "&&" is a literal ampersand; the value after a TAB is not used.
        {{"Save && &Close", "Clerks\t12", "Cost"}, {"Save && &Close", "C&lerks\t12", "C&ost"}},
        // A pack's letter is never moved to make room: a caption whose letters
        // are all taken goes without.
        {{"&Logo", "T&ovik", "Lo"}, {"&Logo", "T&ovik", "Lo"}},
        {{"&Logo", "&Location"}, {"&Logo", "L&ocation"}},
        // Nothing left to mark: no mark rather than a clash; empty stays empty.
        {{"a", "A", ""}, {"&a", "A", ""}},
        // The tool's own caption gives way to a pack's, even a later one.
        {{"&Bb", "&Eat", "&Be"}, {"&Bb", "E&at", "B&e"}, toolsLast},
        // Dialogs make up no letters: OK stays plain wherever it stands.
        {{"&Next", "OK", "&New", "Cancel"}, {"&Next", "OK", "N&ew", "Cancel"}, dialog},
    };
    for (const auto& c : cases) {
        const auto got = uniqueAccelerators(c.in, c.rules);
        EXPECT_EQ(got, c.out) << c.in[0];
        std::set<char> letters;
        for (const auto& g : got)
            if (const char a = acceleratorOf(g)) { EXPECT_TRUE(letters.insert(a).second) << g; }
    }
    EXPECT_EQ(acceleratorOf("Price &Level"), 'l');
    EXPECT_EQ(acceleratorOf("A && B"), 0);
}

}  // namespace
}  // namespace tramond
