// A program put in place from a staging folder is wholly old or wholly new,
// whatever step the process dies at, and leftovers are cleared.

#include "program/staged_commit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "program/process_stamp.h"
#include "program/program_ops.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;

namespace tramond::testing {
namespace {

using Picture = std::map<std::string, std::vector<std::uint8_t>>;

// The regular files of a folder (not recursing into staging folders).
Picture picture(const fs::path& dir) {
    Picture p;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) p[e.path().filename().string()] = readFile(e.path());
    return p;
}

int stagingFolders(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().starts_with(kStagingFolderPrefix)) ++n;
    return n;
}

int g_killAt = -1;
bool killAtStep(int step) { return step == g_killAt; }

struct CommitFixture : ::testing::Test {
    ScratchDir dir{"commit"};
    Picture oldFiles{{"a.app", pattern(40, 1)}, {"a.plu", pattern(30, 2)}, {"a.dpt", pattern(20, 3)},
                     {"a.bmp", pattern(10, 4)}};  // not staged: stays as it is
    Picture newFiles{{"a.app", pattern(41, 9)}, {"a.plu", pattern(31, 8)}, {"a.dpt", pattern(21, 7)},
                     {"a.cst", pattern(11, 6)}};  // new to the program

    void SetUp() override {
        for (const auto& [name, bytes] : oldFiles) writeFileAtomic(dir / name, bytes);
    }
    void TearDown() override { setCommitStepHookForTesting(nullptr); }

    fs::path stage() {
        const auto folder = createStagingFolder(dir.path, "a");
        for (const auto& [name, bytes] : newFiles) writeFileAtomic(folder / name, bytes);
        return folder;
    }
    Picture wholeNew() const {
        Picture p = newFiles;
        p["a.bmp"] = oldFiles.at("a.bmp");
        return p;
    }
};

TEST_F(CommitFixture, KillAtEveryStepIsFinishedByTheNextRecovery) {
    int steps = 0;
    for (g_killAt = 0;; ++g_killAt) {
        SCOPED_TRACE(g_killAt);
        for (const auto& e : fs::directory_iterator(dir.path)) fs::remove_all(e.path());
        SetUp();
        const auto folder = stage();
        setCommitStepHookForTesting(killAtStep);
        bool killed = false;
        try {
            commitStagingFolder(folder, dir.path, "a.app");
        } catch (const CommitKilled&) {
            killed = true;
        }
        setCommitStepHookForTesting(nullptr);
        if (!killed) break;
        ++steps;
        // The process is gone: its folder is no longer anyone's.
        releaseStagingFolder(folder);
        ASSERT_EQ(stagingFolders(dir.path), 1) << "the record keeps the folder for recovery";
        EXPECT_TRUE(recoverStagingFolders(dir.path).empty());
        EXPECT_EQ(picture(dir.path), wholeNew());
        EXPECT_EQ(stagingFolders(dir.path), 0);
    }
    EXPECT_EQ(steps, 9) << "two steps per file and one before the record goes";
    EXPECT_EQ(picture(dir.path), wholeNew()) << "an uninterrupted commit";
    EXPECT_EQ(stagingFolders(dir.path), 0);
}

TEST_F(CommitFixture, ADestinationThatIsNoRegularFileStopsTheCommitBeforeAnyMove) {
    fs::remove(dir / "a.dpt");
    fs::create_directory(dir / "a.dpt");
    writeFileAtomic(dir / "a.dpt" / "keep", pattern(5, 5));
    const auto before = picture(dir.path);
    const auto folder = stage();
    EXPECT_THROW(commitStagingFolder(folder, dir.path, "a.app"), FileError);
    EXPECT_EQ(picture(dir.path), before);
    EXPECT_TRUE(fs::exists(dir / "a.dpt" / "keep")) << "a folder is never removed";
    releaseStagingFolder(folder);
    EXPECT_EQ(stagingFolders(dir.path), 0);
}

TEST_F(CommitFixture, LinksAreWrittenThroughToTheirTargets) {
    fs::create_directory(dir / "real");
    fs::rename(dir / "a.plu", dir / "real" / "a.plu");
    fs::create_symlink("real/a.plu", dir / "a.plu");
    const auto folder = stage();
    commitStagingFolder(folder, dir.path, "a.app");
    EXPECT_TRUE(fs::is_symlink(dir / "a.plu"));
    EXPECT_EQ(readFile(dir / "real" / "a.plu"), newFiles.at("a.plu"));
}

TEST_F(CommitFixture, StaleFoldersGoLiveOnesStay) {
    const auto live = createStagingFolder(dir.path, "a");
    // A foreign live process (pid 1 always runs), a dead one, an old layout.
    fs::create_directory(dir / (std::string(kStagingFolderPrefix) + "1-5-a"));
    fs::create_directory(dir / (std::string(kStagingFolderPrefix) + "99999998-5-a"));
    fs::create_directory(dir / (std::string(kStagingFolderPrefix) + "a-123"));
    // Process 1 runs, but it is not the one that started this: another
    // start time (a reboot, or a reused id).
    fs::create_directory(dir / (std::string(kStagingFolderPrefix) + "1.1.0-5-a"));
    writeFileAtomic(dir / (std::string(kStagingFolderPrefix) + "a-123") / "a.plu", pattern(30, 1));
    EXPECT_TRUE(recoverStagingFolders(dir.path).empty());
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(dir / (std::string(kStagingFolderPrefix) + "1-5-a")));
    EXPECT_EQ(stagingFolders(dir.path), 2);
    EXPECT_EQ(picture(dir.path), oldFiles) << "a folder without a record changes no program file";
    releaseStagingFolder(live);
}

TEST_F(CommitFixture, LoadingAProgramFinishesAnInterruptedCommitFirst) {
    oldFiles["a.app"] = pattern(2845, 1);
    newFiles["a.app"] = pattern(2845, 2);
    SetUp();
    const auto folder = stage();
    g_killAt = 3;  // the ".plu" or ".dpt" moved, the ".app" not yet
    setCommitStepHookForTesting(killAtStep);
    EXPECT_THROW(commitStagingFolder(folder, dir.path, "a.app"), CommitKilled);
    setCommitStepHookForTesting(nullptr);
    releaseStagingFolder(folder);

    ProgramSession s;
    ASSERT_TRUE(loadProgram(s, dir / "a.app").ok());
    EXPECT_EQ(readFile(dir / "a.plu"), newFiles.at("a.plu"));
    EXPECT_EQ(readFile(dir / "a.cst"), newFiles.at("a.cst"));
    EXPECT_EQ(stagingFolders(dir.path), 0);
}

// The load was started as "cd SHOP; tramond shop.app read ..." and cut off;
// the next reader works elsewhere, where a program of the same name lives.
TEST_F(CommitFixture, ACommitMadeWithRelativePathsIsFinishedInItsOwnFolderFromAnyOther) {
    ScratchDir other{"other"};
    const Picture unrelated{{"a.app", pattern(40, 5)}, {"a.plu", pattern(30, 6)}, {"a.dpt", pattern(20, 7)}};
    const auto cwd = fs::current_path();
    for (g_killAt = 0; g_killAt < 9; ++g_killAt) {
        SCOPED_TRACE(g_killAt);
        for (const auto& e : fs::directory_iterator(dir.path)) fs::remove_all(e.path());
        for (const auto& e : fs::directory_iterator(other.path)) fs::remove_all(e.path());
        SetUp();
        for (const auto& [name, bytes] : unrelated) writeFileAtomic(other / name, bytes);

        fs::current_path(dir.path);
        const auto folder = createStagingFolder("", "a");
        for (const auto& [name, bytes] : newFiles) writeFileAtomic(folder / name, bytes);
        setCommitStepHookForTesting(killAtStep);
        EXPECT_THROW(commitStagingFolder(folder, "", "a.app"), CommitKilled);
        setCommitStepHookForTesting(nullptr);
        releaseStagingFolder(folder);

        fs::current_path(other.path);
        const auto relative = fs::relative(dir / "a.app", other.path);
        EXPECT_EQ(finishInterruptedLoads(relative), "");
        fs::current_path(cwd);
        EXPECT_EQ(picture(dir.path), wholeNew());
        EXPECT_EQ(picture(other.path), unrelated) << "nothing lands beside the reader";
        EXPECT_EQ(stagingFolders(dir.path), 0);
    }
}

// A record whose places do not match where the program's names lead now
// (edited, or the folder moved with a link pointing elsewhere) is not acted
// on: the program is refused, and nothing outside changes.
TEST_F(CommitFixture, ARecordNamingAPlaceOutsideTheProgramIsRefusedNotFollowed) {
    ScratchDir other{"outside"};
    writeFileAtomic(other / "victim.plu", pattern(30, 5));
    const auto folder = dir / (std::string(kStagingFolderPrefix) + "99999998.5.0-1-1-a");
    fs::create_directory(folder);
    writeFileAtomic(folder / "a.plu", pattern(31, 8));
    writeTextFileAtomic(folder / ".commit", std::string("tramond-commit 2\nmove\ta.plu\t") +
                                            (other / "victim.plu").string() + "\n");
    std::vector<std::string> others;
    const auto why = finishInterruptedLoads(dir / "a.app", &others);
    EXPECT_NE(why.find("not finished"), std::string::npos) << why;
    EXPECT_NE(why.find(folder.filename().string()), std::string::npos) << "names the unfinished load: " << why;
    EXPECT_EQ(readFile(other / "victim.plu"), pattern(30, 5));
    EXPECT_EQ(picture(dir.path), oldFiles);
    EXPECT_TRUE(fs::exists(folder / ".commit")) << "kept for inspection";
    // Another program's reader is not held up by it, only told.
    EXPECT_EQ(finishInterruptedLoads(dir / "b.app", &others), "");
    EXPECT_FALSE(others.empty());
}

TEST_F(CommitFixture, ACommitUnderWayInALiveProcessRefusesReadersOfItsProgram) {
    const auto folder = createStagingFolder(dir.path, "a");
    writeFileAtomic(folder / "a.plu", pattern(31, 8));
    writeTextFileAtomic(folder / ".commit", std::string("tramond-commit 2\nmove\ta.plu\t") + (dir / "a.plu").string() +
                                            "\n");
    EXPECT_NE(finishInterruptedLoads(dir / "a.app").find("right now"), std::string::npos);
    EXPECT_EQ(finishInterruptedLoads(dir / "b.app"), "");
    EXPECT_EQ(picture(dir.path), oldFiles);
    fs::remove(folder / ".commit");
    releaseStagingFolder(folder);
}

TEST(ProcessStamps, AReusedIdDoesNotKeepADeadOwnersLeftoversAlive) {
    const auto& me = currentProcess();
    const auto parsed = ProcessStamp::parse(me.text() + "-123-a");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->pid, me.pid);
    EXPECT_TRUE(processAlive(*parsed));
    struct Case {
        const char* what;
        ProcessStamp stamp;
    };
    const Case dead[] = {
        {"same id, later start", {me.pid, me.startTicks + 1, me.boot}},
        {"same id and start, another boot", {me.pid, me.startTicks, me.boot == "1" ? "2" : "1"}},
        {"an id that does not run", {99999998, me.startTicks, me.boot}},
    };
    for (const auto& c : dead) EXPECT_FALSE(processAlive(c.stamp)) << c.what;
    for (const char* junk : {"12-3-a", "1.2-x", "a.b.c-d", "1.2.xyz-a", ""})
        EXPECT_FALSE(ProcessStamp::parse(junk)) << junk;
}

TEST(ProgramPathType, FifosAndFoldersAreRefusedWithoutOpening) {
    ScratchDir dir{"fifo"};
    ASSERT_EQ(::mkfifo((dir / "p.app").c_str(), 0600), 0);
    // Opening would block for ever; the test would hang rather than fail.
    EXPECT_THROW(readFile(dir / "p.app"), FileError);
    ProgramSession s;
    EXPECT_EQ(loadProgram(s, dir / "p.app").outcome, LoadOutcome::FileError);
    EXPECT_FALSE(s.loaded);

    // A ".txt" that is a folder: the program loads, but its texts are known
    // to be missing rather than silently the built-in ones.
    writeFileAtomic(dir / "q.app", std::vector<std::uint8_t>(ApplicationBlock::kSize));
    fs::create_directory(dir / "q.txt");
    const auto r = loadProgram(s, dir / "q.app");
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.textsUnreadable);
    EXPECT_TRUE(fs::is_directory(dir / "q.txt"));
}

}  // namespace
}  // namespace tramond::testing
