// What the verbs read from outside: CSV files that are no files, too large,
// in another encoding or full of junk; program files that are no files; a
// program whose last load from the register was cut off in its commit.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "cli/record_csv.h"
#include "cli_fixture.h"
#include "program/file_io.h"
#include "program/staged_commit.h"

namespace tramond::testing {
namespace {

class InputSafetyTest : public CliVerbsFixture {
protected:
    int import(const fs::path& sheet) { return run({"import", program.appPath.string(), "department", sheet.string()}); }
    fs::path sheet(const std::string& text) {
        const auto p = dir / "sheet.csv";
        writeBytes(p, std::vector<std::uint8_t>(text.begin(), text.end()));
        return p;
    }
};

TEST_F(InputSafetyTest, ACsvThatIsNoFileOrTooLargeIsRefusedWithoutReadingIt) {
    const auto folder = dir / "folder.csv";
    fs::create_directory(folder);
    const auto fifo = dir / "fifo.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // opening it to read would wait for ever
    const auto huge = dir / "huge.csv";
    writeBytes(huge, {});
    fs::resize_file(huge, kMaxCsvBytes + 1);
    const struct {
        fs::path file;
        const char* says;
    } cases[] = {{folder, "is a folder"},
                 {fifo, "not a regular file"},
                 {huge, "at most 64 MiB"},
                 {dir / "none.csv", "no such file"}};
    const auto before = fileBytes(program.file(".dpt"));
    for (const auto& c : cases) {
        EXPECT_EQ(import(c.file), 2) << c.file;
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    }
    EXPECT_EQ(fileBytes(program.file(".dpt")), before);
}

TEST_F(InputSafetyTest, CsvMessagesNameTheEncodingAndNeverEchoJunkRaw) {
    EXPECT_EQ(import(sheet("record,name\r\n1,Caf\xE9\r\n")), 2);
    EXPECT_NE(err.str().find("line 2: the file is not UTF-8 text (byte 0xE9)"), std::string::npos) << err.str();
    EXPECT_EQ(err.str().find("code page"), std::string::npos) << "not a register matter: " << err.str();

    const std::string cell(20'000'000, 'x');
    EXPECT_EQ(import(sheet(std::string("record,name\r\n\"\x01\x1b[2J\",a\r\n1,") + cell + "\r\n")), 2);
    const auto said = err.str();
    EXPECT_NE(said.find("\"\\x01\\x1B[2J\" is not a record number"), std::string::npos) << said;
    EXPECT_NE(said.find("(cut short: 20000000 bytes)"), std::string::npos) << said.substr(0, 300);
    EXPECT_LT(said.size(), 1000u);
    EXPECT_TRUE(std::none_of(said.begin(), said.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F;
    })) << "control bytes reach the terminal";
}

TEST_F(InputSafetyTest, ASheetOfJunkShowsTheFirstProblemsAndACount) {
    std::string text = "record,name\r\n";
    for (int i = 0; i < 200'000; ++i) text += "0,x\r\n";
    EXPECT_EQ(import(sheet(text)), 2);
    const auto said = err.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 22) << "20 problems, the count, nothing written";
    EXPECT_NE(said.find("... and 199980 more problems (200000 in all)"), std::string::npos);

    EXPECT_EQ(run({"import", program.appPath.string(), "department", (dir / "sheet.csv").string(), "--json"}), 2);
    const auto json = out.str();
    EXPECT_NE(json.find("\"problemCount\":200000}"), std::string::npos);
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), 1 + 20);
}

TEST_F(InputSafetyTest, AProgramFileThatIsNoFileIsCalledWhatItIs) {
    fs::create_directory(dir / "folder.app");
    ASSERT_EQ(::mkfifo((dir / "fifo.app").c_str(), 0600), 0);
    EXPECT_EQ(run({"info", (dir / "folder.app").string()}), 2);
    EXPECT_NE(err.str().find("is a folder"), std::string::npos) << err.str();
    EXPECT_EQ(run({"info", (dir / "fifo.app").string()}), 2);
    EXPECT_NE(err.str().find("not a regular file"), std::string::npos) << err.str();
    EXPECT_EQ(run({"info", (dir / "none.app").string()}), 2);
    EXPECT_NE(err.str().find("no such program file"), std::string::npos) << err.str();
}

int g_killAt = -1;
bool killAt(int step) { return step == g_killAt; }

// Every verb that reads a program first finishes a load that was cut off
// while putting its files in place, or refuses naming it.
TEST_F(InputSafetyTest, VerbsFinishAnInterruptedLoadBeforeReadingOrRefuseNamingIt) {
    const auto appName = program.appPath.filename().string();
    auto newPlu = fileBytes(program.file(".plu"));
    newPlu[plu::kRecordSize + 20] ^= 0x5A;
    int staged = 0;
    const auto stage = [&] {
        const auto folder = createStagingFolder(dir, "shop");
        staged = 0;
        for (const auto& e : fs::directory_iterator(dir)) {
            if (!e.is_regular_file() || e.path().stem() != "shop") continue;
            fs::copy_file(e.path(), folder / e.path().filename());
            ++staged;
        }
        writeFileAtomic(folder / "shop.plu", newPlu);
        return folder;
    };
    // Cut off with the ".app" (which moves last) parked and not yet replaced:
    // the program file itself is missing until the commit is finished.
    for (const char* verb : {"info", "export", "import", "diff"}) {
        SCOPED_TRACE(verb);
        const auto folder = stage();
        g_killAt = 2 * staged - 1;  // two steps a file, the ".app" last
        setCommitStepHookForTesting(killAt);
        EXPECT_THROW(commitStagingFolder(folder, dir, appName), CommitKilled);
        setCommitStepHookForTesting(nullptr);
        releaseStagingFolder(folder);  // the process that owned it is gone
        ASSERT_FALSE(fs::exists(program.appPath));

        std::vector<std::string> args{verb, program.appPath.string()};
        if (std::string(verb) == "export" || std::string(verb) == "import") args.push_back("plu");
        if (std::string(verb) == "import") args.push_back(sheet("record\r\n1\r\n").string());
        if (std::string(verb) == "diff") args.push_back(program.appPath.string());
        EXPECT_EQ(run(args), 0) << err.str();
        EXPECT_EQ(fileBytes(program.file(".plu")), newPlu);
        EXPECT_TRUE(fs::exists(program.appPath));
        newPlu[plu::kRecordSize + 20] ^= 0x01;
    }

    // One still being put in place by a live process is waited for.
    const auto folder = stage();
    writeTextFileAtomic(folder / ".commit", std::string("tramond-commit 2\nmove\tshop.plu\t") +
                                            program.file(".plu").string() + "\n");
    const auto before = fileBytes(program.file(".plu"));
    for (const char* verb : {"info", "import"}) {
        std::vector<std::string> args{verb, program.appPath.string()};
        if (std::string(verb) == "import") args.insert(args.end(), {"dpt", sheet("record\r\n1\r\n").string()});
        EXPECT_EQ(run(args), 2) << verb;
        EXPECT_NE(err.str().find(folder.filename().string()), std::string::npos) << err.str();
    }
    EXPECT_EQ(fileBytes(program.file(".plu")), before);
    fs::remove(folder / ".commit");
    releaseStagingFolder(folder);
}

}  // namespace
}  // namespace tramond::testing
