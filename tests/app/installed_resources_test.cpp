// An installed tool: the executable in <prefix>/bin (not writable), the
// shipped resources in <prefix>/share/tramond, the program's own directory
// somewhere else (the user's data directory).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/app_test_support.h"
#include "app/help_index.h"
#include "app/language_pack.h"
#include "app/program_dir.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct InstalledLayout : ::testing::Test {
    TempDir prefix;
    TempDir home;
    fs::path bin = prefix.path() / "bin";
    fs::path share = prefix.path() / "share" / "tramond";

    void SetUp() override {
        fs::create_directories(bin);
        fs::create_directories(share / "mwt Files");
        fs::create_directories(share / "Help" / "english");
        std::ofstream(share / "mwt Files" / "Trmd_english.mwt") << "  11,Shipped\r\n";
        std::ofstream(share / "Help" / "english" / "Tramond.html") << "<html></html>";
        std::ofstream(share / "Help" / "english" / "Tramond.cnt") << "2\tfile-menu\tFile menu\n";
        std::ofstream(share / "Tramondlogo.bmp") << "BM";
    }
};

TEST_F(InstalledLayout, ResourcesAreFoundBesideTheExecutableFirstThenUnderShare) {
    const auto dirs = resourceDirectories(bin);
    ASSERT_EQ(dirs.size(), 2u);
    EXPECT_EQ(dirs[0], fs::weakly_canonical(bin));
    EXPECT_EQ(dirs[1], fs::weakly_canonical(share));
    // A build tree: no share folder, only the executable's own.
    TempDir build;
    EXPECT_EQ(resourceDirectories(build.path()), (std::vector<fs::path>{fs::weakly_canonical(build.path())}));

    EXPECT_EQ(findResource(home.path(), dirs, "Tramondlogo.bmp"), dirs[1] / "Tramondlogo.bmp");
    std::ofstream(bin / "Tramondlogo.bmp") << "BM";
    EXPECT_EQ(findResource(home.path(), dirs, "Tramondlogo.bmp"), dirs[0] / "Tramondlogo.bmp");
    std::ofstream(home.path() / "Tramondlogo.bmp") << "BM";
    EXPECT_EQ(findResource(home.path(), dirs, "Tramondlogo.bmp"), home.path() / "Tramondlogo.bmp");
    EXPECT_FALSE(findResource(home.path(), dirs, "missing.bmp"));
}

TEST_F(InstalledLayout, TheUsersFilesStayOutOfTheInstalledBinFolder) {
    // bin is writable here, as /usr/local/bin is for root.
    EXPECT_EQ(programDirectory(std::nullopt, bin, home.path()), home.path());
    TempDir portable;
    EXPECT_EQ(programDirectory(std::nullopt, portable.path(), home.path()), portable.path());
}

TEST_F(InstalledLayout, LanguageChoiceCopiesFromShareAndHelpIsReadInPlace) {
    const auto dirs = resourceDirectories(bin);
    EXPECT_EQ(*helpAddress(home.path(), 2, dirs), (dirs[1] / "Help" / "english" / "Tramond.html").string() + "#file-menu");

    EXPECT_TRUE(installLanguage(languageChoices()[0], home.path(), dirs).empty());
    EXPECT_EQ(contentOf(home.path() / kLanguagePackFile), "  11,Shipped\r\n");
    EXPECT_EQ(*helpAddress(home.path(), 2, dirs), (home.path() / kHelpFile).string() + "#file-menu");
    // Nothing is written where the resources are shipped.
    EXPECT_FALSE(fs::exists(share / kLanguagePackFile));
}

}  // namespace
}  // namespace tramond
