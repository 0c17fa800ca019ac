#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/app_test_support.h"
#include "app/help_index.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

const fs::path kShippedHelp = fs::path(TRAMOND_SOURCE_DIR) / "resources" / "Help" / "english";

TEST(HelpIndex, ReadsContextsAnchorsAndSkipsJunk) {
    std::istringstream in("# comment\n2\tfile-menu\tFile menu\r\nx\tbad\n60\tregister-keyboard\n\n7\t\tno anchor\n");
    const auto topics = readHelpIndex(in);
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0].context, 2);
    EXPECT_EQ(topics[0].anchor, "file-menu");
    EXPECT_EQ(topics[0].title, "File menu");
    EXPECT_EQ(topics[1].anchor, "register-keyboard");
}

TEST(HelpIndex, EveryShippedTopicHasItsAnchorAndTheNamedContextsExist) {
    std::ifstream cnt(kShippedHelp / "Tramond.cnt");
    const auto topics = readHelpIndex(cnt);
    std::ifstream html(kShippedHelp / "Tramond.html");
    const std::string page{std::istreambuf_iterator<char>(html), {}};
    for (const auto& t : topics) EXPECT_NE(page.find("id=\"" + t.anchor + "\""), std::string::npos) << t.anchor;
    // The contexts the dialogs set: the File menu, the count dialogs, the keyboards.
    for (int context : {2, 31, 32, 37, 38, 51, 52, 60, 61, 83}) {
        bool found = false;
        for (const auto& t : topics) found = found || t.context == context;
        EXPECT_TRUE(found) << context;
    }
}

TEST(HelpIndex, CopiedHelpComesFirstThenTheShippedEnglish) {
    TempDir dir;
    EXPECT_FALSE(helpAddress(dir.path(), 0).has_value());
    fs::create_directories(dir.path() / "Help" / "english");
    fs::copy_file(kShippedHelp / "Tramond.html", dir.path() / "Help" / "english" / "Tramond.html");
    fs::copy_file(kShippedHelp / "Tramond.cnt", dir.path() / "Help" / "english" / "Tramond.cnt");
    EXPECT_EQ(*helpAddress(dir.path(), 2), (dir.path() / "Help" / "english" / "Tramond.html").string() + "#file-menu");
    std::ofstream(dir.path() / "Tramond.html") << "<html></html>";
    EXPECT_EQ(*helpAddress(dir.path(), 2), (dir.path() / "Tramond.html").string());  // no index beside it
    EXPECT_EQ(*helpAddress(dir.path(), 0), (dir.path() / "Tramond.html").string());
}

}  // namespace
}  // namespace tramond
