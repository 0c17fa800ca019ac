// CSV as spreadsheets read and write it.

#include <gtest/gtest.h>

#include "cli/csv.h"

namespace tramond {
namespace {

TEST(Csv, FieldsSurviveQuotingBothWays) {
    const std::vector<std::string> fields{"plain", "a,b", "say \"hi\"", "two\r\nlines", "", " spaced ", "é│"};
    const auto text = csv::record(fields) + csv::record({"2", "x"});
    EXPECT_EQ(csv::field("a,b"), "\"a,b\"");
    EXPECT_EQ(csv::field("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csv::field("plain"), "plain");

    const auto parsed = csv::parse(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.rows.size(), 2u);
    EXPECT_EQ(parsed.rows[0].fields, fields);
    EXPECT_EQ(parsed.rows[0].line, 1u);
    EXPECT_EQ(parsed.rows[1].line, 3u) << "a line break inside quotes still counts as a line";
}

TEST(Csv, ReadsWhatOtherProgramsWrite) {
    // Byte-order mark, bare LF, no line end at the end, blank lines between.
    const auto parsed = csv::parse("\xEF\xBB\xBFrecord,name\n1,a\n\n2,\"b\"");
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.rows.size(), 3u);
    EXPECT_EQ(parsed.rows[0].fields[0], "record");
    EXPECT_EQ(parsed.rows[2].fields, (std::vector<std::string>{"2", "b"}));
    EXPECT_EQ(parsed.rows[2].line, 4u);
}

TEST(Csv, SemicolonSheetsOfEuropeanSpreadsheets) {
    const std::string text = "record;name;x\r\n1;\"a;b\";c,d\r\n";
    ASSERT_EQ(csv::guessSeparator(text), ';');
    EXPECT_EQ(csv::parse(text, ';').rows.at(1).fields, (std::vector<std::string>{"1", "a;b", "c,d"}));
    EXPECT_EQ(csv::guessSeparator("record,name;x\n"), ',');
}

TEST(Csv, MalformedTextNamesItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    for (const auto& c : {Case{"a,b\n1,\"open\n", "line 2: a quoted field is not closed"},
                          Case{"a\n1\n2\"x\n", "line 3: a quote inside an unquoted field"},
                          Case{"a\n\"x\"y\n", "line 2: characters after a closing quote"}}) {
        const auto parsed = csv::parse(c.text);
        EXPECT_EQ(parsed.error, c.error) << c.text;
    }
}

}  // namespace
}  // namespace tramond
