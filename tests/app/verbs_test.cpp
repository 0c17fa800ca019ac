#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "app/kind_words.h"
#include "app/verbs.h"
#include "support/json_value.h"

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
        {{"--help-man"}, EntryKind::Manual},
        {{"shop.app", "emode"}, EntryKind::Window},
        // --json and --yes wherever the synopsis shows them, and after the
        // transfer arguments too.
        {{"--json", "shop.app", "update", "1", "COM1", "9600"}, EntryKind::Window},
        {{"shop.app", "update", "1", "COM1", "9600", "--json", "--yes"}, EntryKind::Window},
        {{"shop.app", "update", "--dry-run"}, EntryKind::Window},
        {{"--", "--odd.app", "update", "1", "COM1", "9600"}, EntryKind::Window},
        // A misspelt mode or option must not pass unseen in a nightly job.
        {{"shop.app", "updat", "1", "COM1", "9600"}, EntryKind::BadUsage},
        {{"shop.app", "update", "1", "COM1", "9600", "--jsn"}, EntryKind::BadUsage},
        {{"shop.app", "update", "1", "COM1", "9600", "extra"}, EntryKind::BadUsage},
        {{"shop.app", "clinst", "1", "COM1", "9600", "--dry-run"}, EntryKind::BadUsage},
        {{"--json", "shop.app"}, EntryKind::BadUsage},
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

// The rules every verb keeps, whatever the verb does: one JSON object on
// every outcome, exceptions as messages with a status, a mismatched output
// suffix refused before the verb runs.
TEST(Verbs, TheFrameworkKeepsTheRulesForEveryVerb) {
    enum class Does { OwnJsonAndSucceeds, FailsSilently, WritesTextAndSucceeds, Throws, ThrowsPath };
    struct Case {
        const char* name;
        Does does;
        bool ownJson;
        std::vector<std::string> args;
        int status;
        const char* stdoutHas;
    };
    const Case cases[] = {
        {"own object", Does::OwnJsonAndSucceeds, true, {"--json"}, 0, "\"mine\":true"},
        {"own verb failing before its object", Does::FailsSilently, true, {"--json"}, 2, "\"exit\":2"},
        {"text verb wrapped", Does::WritesTextAndSucceeds, false, {"--json"}, 0, "\"output\":\"Wrote x\\n\""},
        {"exception", Does::Throws, true, {"--json"}, 1, "\"ok\":false"},
        {"path exception is input", Does::ThrowsPath, false, {"--json"}, 2, "\"exit\":2"},
        {"suffix refused", Does::OwnJsonAndSucceeds, true, {"-o", "kb.txt", "--json"}, 2, "must end in .pdf"},
        {"suffix in any case", Does::OwnJsonAndSucceeds, true, {"-o", "KB.PDF", "--json"}, 0, "\"mine\""},
    };
    for (const auto& c : cases) {
        int runs = 0;
        Verb verb{"v", "v [--json]", "Does it.", "", VerbNeeds::Nothing, [&](VerbContext& ctx) {
                      ++runs;
                      // A verb without its own object never sees --json.
                      EXPECT_EQ(ctx.json(), c.ownJson) << c.name;
                      ctx.err << "tramond v: said\n";
                      switch (c.does) {
                          case Does::OwnJsonAndSucceeds: ctx.out << "{\"mine\":true}\n"; return 0;
                          case Does::FailsSilently: return 2;
                          case Does::WritesTextAndSucceeds: ctx.out << "Wrote x\n"; return 0;
                          case Does::Throws: throw std::runtime_error("boom");
                          case Does::ThrowsPath:
                              throw std::filesystem::filesystem_error("cannot", std::make_error_code(std::errc::is_a_directory));
                      }
                      return 0;
                  }};
        if (c.ownJson) verb.jsonKeys = "mine";
        verb.outputSuffixes = {".pdf"};
        std::ostringstream out, err;
        const int status = runVerbCommand(verb, c.args, out, err);
        EXPECT_EQ(status, c.status) << c.name;
        const auto json = testing::JsonReader::parse(out.str());
        ASSERT_TRUE(json && json->type == testing::JsonValue::Type::Object) << c.name << ": " << out.str();
        EXPECT_NE(out.str().find(c.stdoutHas), std::string::npos) << c.name << ": " << out.str();
        EXPECT_EQ(out.str().find('\n'), out.str().size() - 1) << c.name << ": one line";
        if (!json->has("mine")) { EXPECT_EQ((*json)["exit"].number, c.status) << c.name; }
        // What went to stderr is in the object and still on stderr.
        EXPECT_FALSE(err.str().empty()) << c.name;
        if (json->has("messages")) { EXPECT_FALSE((*json)["messages"].items.empty()) << c.name; }
        if (std::string(c.name) == "suffix refused") { EXPECT_EQ(runs, 0) << "refused before the verb runs"; }
    }
    // Without --json the verb's own output passes through untouched, and
    // --help answers before anything runs.
    Verb plain{"v", "v", "Does it.", "", VerbNeeds::Nothing, [](VerbContext& ctx) {
                   ctx.out << "text\n";
                   return 1;
               }};
    std::ostringstream out, err;
    EXPECT_EQ(runVerbCommand(plain, {}, out, err), 1);
    EXPECT_EQ(out.str(), "text\n");
    out.str("");
    EXPECT_EQ(runVerbCommand(plain, {"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("Exit status: 0 success, 1 failure, 2 bad arguments"), std::string::npos) << out.str();
}

// One KIND table: every word and alias names its kind whatever the case or
// punctuation, and no alias names two kinds.
TEST(Verbs, KindWordsAndAliasesNameExactlyOneKind) {
    for (const auto& k : kindNames()) {
        std::vector<std::string> names = k.aliases;
        names.push_back(k.word);
        for (const auto& n : names) {
            std::string upper = n, spaced;
            for (auto& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            for (const char ch : n) spaced += ch == '-' ? ' ' : ch;
            for (const auto& form : {n, upper, spaced})
                EXPECT_EQ(kindFromWord(form), k.kind) << form << " for " << k.word;
        }
    }
    EXPECT_EQ(kindFromWord("Department File"), RecordKind::Department);
    EXPECT_EQ(kindFromWord(".DPT"), RecordKind::Department);
    EXPECT_EQ(kindFromWord("pbinfo"), RecordKind::PbInfo) << "the listing's old word still works";
    EXPECT_EQ(kindFromWord("Salesp. File"), RecordKind::Salesperson);
    EXPECT_FALSE(kindFromWord("keyboard"));
    EXPECT_FALSE(kindFromWord("--"));
    EXPECT_EQ(kindList(std::vector<RecordKind>{RecordKind::Plu, RecordKind::PoRa}), "plu (.plu), po-ra (.por)");
}

TEST(Verbs, UsageListsEveryVerbAndJsonQuotesControlCharacters) {
    const auto text = usageText(someVerbs());
    EXPECT_NE(text.find("info PROGRAM.app [--json]"), std::string::npos);
    EXPECT_NE(text.find("what a program holds"), std::string::npos);
    EXPECT_EQ(jsonQuote("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
}

}  // namespace
}  // namespace tramond
