// The repository beside the programs: what a version holds, what its
// message says, which files belong to a program, time look-ups, failures
// that only warn, a lock left behind, and pushing to a bare repository.

#include <git2.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <thread>

#include "history/program_history.h"
#include "history_test_support.h"
#include "program/file_io.h"
#include "program/file_set.h"
#include "program/program_ops.h"
#include "program/scratch_dir.h"

namespace tramond::testing {
namespace {

namespace fs = std::filesystem;
using namespace history;

class HistoryStore : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramSession s;
        s.app.setKindCount(appblock::kPlu, 1000);  // 137,000 bytes: a file of three pieces
        ASSERT_TRUE(createProgram(s, dir / "shop.app").ok());
        app = dir / "shop.app";
    }
    void poke(const std::string& ext, std::size_t at, std::uint8_t value) {
        auto bytes = readFile(fileset::sibling(app, ext));
        bytes.at(at) = value;
        writeFileAtomic(fileset::sibling(app, ext), bytes);
    }
    ScratchDir dir{"history"};
    fs::path app;
};

TEST_F(HistoryStore, AVersionHoldsExactlyTheProgramsFiles) {
    // Around the program: another program, its archive, a staging folder,
    // a temporary file, and files of network registers 2 and 12.
    writeFileAtomic(dir / "shop.zip", pattern(10, 1));
    writeFileAtomic(dir / "shop2.plu", pattern(10, 2));
    writeFileAtomic(dir / "shop.plu.tmp", pattern(10, 3));
    writeFileAtomic(dir / "shop.kb2", pattern(600, 4));
    writeFileAtomic(dir / "shop.pr12", pattern(62, 5));
    writeFileAtomic(dir / "shop.kb0", pattern(62, 6));
    fs::create_directories(dir / ".tramond-load-1" );
    writeFileAtomic(dir / ".tramond-load-1" / "shop.plu", pattern(10, 7));
    // Piece boundaries: exactly one piece, one byte more, empty.
    writeFileAtomic(dir / "shop.cst", pattern(kPieceSize, 8));
    writeFileAtomic(dir / "shop.bmp", pattern(kPieceSize + 1, 9));
    writeFileAtomic(dir / "shop.stf", {});

    ProgramHistory h(app);
    const auto first = h.record({Event::Record, "as delivered", {}, false});
    ASSERT_TRUE(first.recorded) << first.warning;
    EXPECT_EQ(first.version, 1);

    const auto onDisk = programFiles(app);
    EXPECT_EQ(h.files(1), onDisk);
    for (const char* name : {"shop.app", "shop.plu", "shop.upd", "shop.kb2", "shop.pr12", "shop.cst", "shop.bmp",
                             "shop.stf"})
        EXPECT_EQ(onDisk.count(name), 1u) << name;
    for (const char* name : {"shop.zip", "shop2.plu", "shop.plu.tmp", "shop.kb0"})
        EXPECT_EQ(onDisk.count(name), 0u) << name;
    EXPECT_GT(onDisk.at("shop.plu").size(), 2 * kPieceSize);
}

TEST_F(HistoryStore, VersionsTellEventTransferPersonAndChangedFiles) {
    ProgramHistory h(app);
    ASSERT_TRUE(h.record({Event::Edit, {}, {}, true}).recorded);
    // Nothing changed: closing again records nothing and names the version.
    const auto again = h.keepCurrent();
    EXPECT_FALSE(again.recorded);
    EXPECT_EQ(again.version, 1);
    EXPECT_TRUE(again.warning.empty());

    poke(".plu", 137 * 700 + 40, 0x99);  // one price, in the sixth piece
    writeTextFileAtomic(dir / "shop.upd", "000010701\r\n");
    const Transfer sent{"1-4", "/dev/ttyS0", 38400, "failed on 3: Check RS232 Connection !!\r\nagain"};
    const auto update = h.record({Event::Update, {}, sent, false});
    ASSERT_TRUE(update.recorded) << update.warning;
    EXPECT_EQ(update.version, 2);

    const auto all = h.versions();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].number, 1);
    EXPECT_EQ(all[0].event, Event::Edit);
    EXPECT_FALSE(all[0].transfer);
    const auto& v = all[1];
    EXPECT_EQ(v.event, Event::Update);
    ASSERT_TRUE(v.transfer);
    EXPECT_EQ(v.transfer->registers, "1-4");
    EXPECT_EQ(v.transfer->port, "/dev/ttyS0");
    EXPECT_EQ(v.transfer->baud, 38400);
    EXPECT_EQ(v.transfer->result, "failed on 3: Check RS232 Connection !!  again") << "one line";
    EXPECT_EQ(v.changed, (std::vector<std::string>{".plu", ".upd"}));
    EXPECT_NE(v.person.find('@'), std::string::npos);
    EXPECT_LE(std::abs(v.time - std::chrono::duration_cast<std::chrono::seconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count()),
              5);
    EXPECT_NE(h.files(1).at("shop.plu")[137 * 700 + 40], 0x99);
    EXPECT_EQ(h.files(2), programFiles(app));
    EXPECT_THROW(h.files(3), HistoryError);
    EXPECT_THROW(h.files(0), HistoryError);
}

TEST_F(HistoryStore, EveryBaseNameHasABranchOfItsOwn) {
    // Names git would refuse as they are, next to the one they might be mistaken for.
    const std::vector<std::string> names = {"shop 1", "shop%201", ".shop", "shop.", "a..b", "x.lock", "x@{y}", "@",
                                            "ü~^:?*[\\"};
    ASSERT_EQ(git_libgit2_init() > 0, true);
    std::set<std::string> branches;
    for (const auto& name : names) {
        ProgramSession s;
        ASSERT_TRUE(createProgram(s, dir / (name + ".app")).ok()) << name;
        ProgramHistory h(dir / (name + ".app"));
        EXPECT_EQ(git_reference_is_valid_name(h.branch().c_str()), 1) << h.branch();
        branches.insert(h.branch());
        const auto r = h.record({Event::Record, name, {}, false});
        EXPECT_TRUE(r.recorded) << name << ": " << r.warning;
        ASSERT_EQ(h.versions().size(), 1u) << name;
        EXPECT_EQ(h.versions()[0].note, name);
    }
    git_libgit2_shutdown();
    EXPECT_EQ(branches.size(), names.size());
    EXPECT_TRUE(ProgramHistory(app).versions().empty()) << "shop itself recorded nothing";
}

TEST_F(HistoryStore, TimesAreReadAsTheDealerWritesThem) {
    struct Case {
        const char* text;
        bool valid;
    };
    for (const auto& c : {Case{"2026-12-01 18:00", true}, Case{"2026-12-01 18:00:30", true},
                          Case{"2026-12-01", true}, Case{"2026-02-31 10:00", false}, Case{"2026-12-01 24:00", false},
                          Case{"yesterday", false}, Case{"2026-12-01 18:00 extra", false}, Case{"", false}})
        EXPECT_EQ(parseLocalTime(c.text).has_value(), c.valid) << c.text;
    EXPECT_EQ(*parseLocalTime("2026-12-01") - *parseLocalTime("2026-12-01 18:00"), 6 * 3600 - 60 + 59)
        << "a date alone is the end of that day";
    EXPECT_EQ(localTimeText(*parseLocalTime("2026-12-01 18:00:30")), "2026-12-01 18:00:30");

    ProgramHistory h(app);
    ASSERT_TRUE(h.record({Event::Record, "first", {}, false}).recorded);
    const auto now = h.versions().back().time;
    EXPECT_FALSE(h.versionAt(now - 1)) << "nothing was recorded before";
    ASSERT_TRUE(h.versionAt(now + 3600));
    EXPECT_EQ(h.versionAt(now + 3600)->note, "first");
}

TEST_F(HistoryStore, AnUnwritableFolderOrAFullDiskOnlyWarns) {
    {
        ReadOnlyFolder folder(dir.path);
        TRAMOND_REQUIRE_READ_ONLY(folder);
        const auto r = ProgramHistory(app).record({Event::Update, {}, Transfer{"0", "SIM", 9600, "ok"}, false});
        EXPECT_FALSE(r.recorded);
        EXPECT_NE(r.warning.find(".tramond-history"), std::string::npos) << r.warning;
        EXPECT_EQ(warningText(r).rfind("Program history: ", 0), 0u);
    }
    // The repository exists; the next objects do not fit on the disk.
    ASSERT_TRUE(ProgramHistory(app).record({Event::Record, "room", {}, false}).recorded);
    poke(".plu", 5, 0x42);
    const int status = withFullDisk(64, [&] {
        const auto r = ProgramHistory(app).record({Event::Record, "no room", {}, false});
        return !r.recorded && !r.warning.empty() ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ProgramHistory(app).versions().size(), 1u) << "the history is as it was";
    EXPECT_TRUE(ProgramHistory(app).record({Event::Record, "room again", {}, false}).recorded);
}

// Git's ref lock of a process killed a moment ago: the next recording goes
// ahead at once. Recordings running together (threads here, processes in
// the field) each keep their version: none takes another's live lock for a
// leftover.
TEST_F(HistoryStore, ALockLeftByAKilledProcessIsClearedButALiveOneIsWaitedFor) {
    ProgramHistory h(app);
    ASSERT_TRUE(h.record({Event::Record, "one", {}, false}).recorded);
    const auto lock = h.repositoryPath() / (h.branch() + ".lock");
    std::ofstream(lock) << "stale";
    const auto r = h.record({Event::Record, "two", {}, false});
    EXPECT_TRUE(r.recorded) << r.warning;
    EXPECT_EQ(r.version, 2);
    EXPECT_FALSE(fs::exists(lock));

    constexpr int kThreads = 4, kEach = 5;
    std::atomic<int> recorded{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const auto o = ProgramHistory(app).record({Event::Record, std::to_string(t * kEach + i), {}, false});
                if (o.recorded && o.warning.empty()) ++recorded;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(recorded.load(), kThreads * kEach);
    const auto all = h.versions();
    ASSERT_EQ(all.size(), 2u + kThreads * kEach) << "a version was lost";
    std::set<std::string> notes;
    for (std::size_t i = 2; i < all.size(); ++i) notes.insert(all[i].note);
    EXPECT_EQ(notes.size(), static_cast<std::size_t>(kThreads * kEach));
}

TEST_F(HistoryStore, PushesTheBranchToABareRepositoryAndNeverOverwritesAnother) {
    ProgramHistory h(app);
    EXPECT_THROW(h.push((dir / "none.git").string()), HistoryError) << "nothing recorded yet";
    ASSERT_TRUE(h.record({Event::Record, "one", {}, false}).recorded);
    const auto remote = dir / "usb" / "backup.git";  // made by the push, in a folder that is there
    EXPECT_THROW(h.push(remote.string()), HistoryError) << "a stick that is not mounted is no backup";
    EXPECT_FALSE(fs::exists(dir / "usb"));
    fs::create_directory(dir / "usb");
    ASSERT_NO_THROW(h.push(remote.string()));
    poke(".plu", 5, 0x42);
    ASSERT_TRUE(h.record({Event::Record, "two", {}, false}).recorded);
    ASSERT_NO_THROW(h.push(remote.string()));

    git_libgit2_init();
    git_repository* repo = nullptr;
    ASSERT_EQ(git_repository_open_bare(&repo, remote.c_str()), 0);
    EXPECT_EQ(git_repository_is_bare(repo), 1);
    git_oid there;
    ASSERT_EQ(git_reference_name_to_id(&there, repo, h.branch().c_str()), 0);
    const std::string pushed = git_oid_tostr_s(&there);
    git_repository_free(repo);
    git_libgit2_shutdown();
    EXPECT_EQ(pushed, h.versions().back().id);

    // Another folder's program of the same name has a history of its own.
    ScratchDir other{"history-other"};
    ProgramSession s;
    ASSERT_TRUE(createProgram(s, other / "shop.app").ok());
    ProgramHistory stranger(other / "shop.app");
    ASSERT_TRUE(stranger.record({Event::Record, "elsewhere", {}, false}).recorded);
    EXPECT_THROW(stranger.push(remote.string()), HistoryError);
}

}  // namespace
}  // namespace tramond::testing
