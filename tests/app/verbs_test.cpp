#include <gtest/gtest.h>

#include "app/verbs.h"

namespace tramond {
namespace {

VerbRegistry someVerbs() {
    VerbRegistry r;
    r.add({"info", "info PROGRAM.app [--json]", "what a program holds", "", VerbNeeds::Nothing,
           [](VerbContext&) { return 0; }});
    return r;
}

TEST(Verbs, ArgumentsAreClassifiedBeforeAnyWindow) {
    const auto verbs = someVerbs();
    const auto noFiles = [](const std::string&) { return false; };
    struct Case {
        std::vector<std::string> args;
        EntryKind kind;
    };
    const Case cases[] = {
        {{}, EntryKind::Window},
        {{"--help"}, EntryKind::Help},
        {{"-h"}, EntryKind::Help},
        {{"--version"}, EntryKind::Version},
        {{"info", "x.app"}, EntryKind::Verb},
        {{"shop.app"}, EntryKind::Window},
        {{"shop.app", "update", "1", "COM1", "9600"}, EntryKind::Window},
        {{"--yes", "shop.app", "clinst", "0", "COM1", "9600"}, EntryKind::Window},
        {{"/tmp/shop"}, EntryKind::Window},
        {{"--frobnicate"}, EntryKind::BadUsage},
        {{"infoo", "x.app"}, EntryKind::BadUsage},
    };
    for (const auto& c : cases) {
        const auto e = classifyArguments(c.args, verbs, noFiles);
        EXPECT_EQ(e.kind, c.kind) << (c.args.empty() ? "(none)" : c.args[0]);
    }
    // A program saved without a suffix is opened, not taken for a verb.
    EXPECT_EQ(classifyArguments({"shop"}, verbs, [](const std::string&) { return true; }).kind,
              EntryKind::Window);
}

TEST(Verbs, OptionsAreSplitFromPositionalArguments) {
    auto a = parseVerbArguments({"x.app", "--json", "-o", "out.pdf", "plu"}, {"--json"}, {"-o"});
    EXPECT_EQ(a.error, "");
    EXPECT_EQ(a.positional, (std::vector<std::string>{"x.app", "plu"}));
    EXPECT_TRUE(a.has("--json"));
    EXPECT_EQ(a.value("-o"), "out.pdf");

    EXPECT_EQ(parseVerbArguments({"--machine=3"}, {}, {"--machine"}).value("--machine"), "3");
    EXPECT_EQ(parseVerbArguments({"-o"}, {}, {"-o"}).error, "option -o needs a value");
    EXPECT_EQ(parseVerbArguments({"--jsn"}, {"--json"}, {}).error, "unknown option --jsn");
    EXPECT_EQ(parseVerbArguments({"--", "-odd.app"}, {}, {"-o"}).positional,
              (std::vector<std::string>{"-odd.app"}));
}

TEST(Verbs, UsageListsEveryVerbAndJsonQuotesControlCharacters) {
    const auto text = usageText(someVerbs());
    EXPECT_NE(text.find("info PROGRAM.app [--json]"), std::string::npos);
    EXPECT_NE(text.find("what a program holds"), std::string::npos);
    EXPECT_EQ(jsonQuote("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
}

}  // namespace
}  // namespace tramond
