// The real executable killed (SIGKILL, through a preloaded library) at each
// rename and flush while it writes a program: "read" started with a
// relative path from the program's own folder, "create --force" over an
// existing program. Whatever the moment, the next reader, working from
// another folder beside a program of the same name, finds the program
// wholly old or wholly new, and the other program untouched. An import
// killed anywhere (its history included) leaves its change marked for
// Update or not made at all.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "editors/plu_record.h"
#include "history/program_history.h"
#include "link/register_ops_support.h"
#include "program/update_list.h"

namespace tramond::testing {
namespace {

using Picture = std::map<std::string, std::vector<std::uint8_t>>;

// The program's files (hidden leftovers aside, which are looked at apart).
Picture picture(const fs::path& d) {
    Picture p;
    for (const auto& e : fs::directory_iterator(d))
        if (e.is_regular_file() && !e.path().filename().string().starts_with("."))
            p[e.path().filename().string()] = fileBytes(e.path());
    return p;
}

void restore(const fs::path& d, const Picture& p) {
    for (const auto& e : fs::directory_iterator(d)) fs::remove_all(e.path());
    for (const auto& [name, bytes] : p) writeBytes(d / name, bytes);
}

bool leftovers(const fs::path& d) {
    for (const auto& e : fs::directory_iterator(d))
        if (e.path().filename().string().starts_with(".tramond-load-")) return true;
    return false;
}

// The whole folder, hidden history included, as it was.
void restoreTree(const fs::path& d, const fs::path& copy) {
    fs::remove_all(d);
    fs::copy(copy, d, fs::copy_options::recursive);
}

std::set<std::string> updateLines(const Picture& p, const std::string& name) {
    const auto it = p.find(name);
    if (it == p.end()) return {};
    const auto lines = UpdateList::parse(std::string(it->second.begin(), it->second.end()));
    return {lines.begin(), lines.end()};
}

// A temporary file of a write, or a history whose making was cut short.
bool temporaries(const fs::path& d) {
    for (const auto& e : fs::directory_iterator(d)) {
        const auto name = e.path().filename().string();
        if (name.find(".tmp-") != std::string::npos || name.starts_with(".tramond-history.new-")) return true;
    }
    return false;
}

void flipByte(const fs::path& file, std::size_t at) {
    auto b = fileBytes(file);
    ASSERT_GT(b.size(), at) << file;
    b[at] ^= 0xA5;
    writeBytes(file, b);
}

struct Outcome {
    int status = -1;  // the exit status; 137 when killed
    std::string output;
};

class CommitKillTest : public ::testing::Test {
protected:
    void SetUp() override {
        base = fs::temp_directory_path() / ("tramond-kill-" + std::to_string(::getpid()));
        fs::remove_all(base);
        for (const char* d : {"data", "config", "SHOP", "OTHER", "REG"}) fs::create_directories(base / d);
    }
    void TearDown() override { fs::remove_all(base); }

    // Runs the executable in folder cwd; killAt > 0 kills it at that counted
    // call, log (when given) lists the counted calls.
    Outcome tramond(const fs::path& cwd, const std::string& args, long killAt = 0, const fs::path& log = {}) {
        std::string env = "HOME='" + base.string() + "' XDG_DATA_HOME='" + (base / "data").string() +
                          "' XDG_CONFIG_HOME='" + (base / "config").string() + "' QT_QPA_PLATFORM=offscreen";
        if (killAt > 0 || !log.empty()) {
            const char* asan = std::getenv("ASAN_OPTIONS");
            env += " LD_PRELOAD='" + std::string(TRAMOND_KILL_SHIM) + "' TRAMOND_KILL_MATCH='" +
                   cwd.string() + "' TRAMOND_KILL_AT=" + std::to_string(killAt) + " ASAN_OPTIONS='" +
                   (asan ? std::string(asan) + ":" : "") + "verify_asan_link_order=0'";
            if (!log.empty()) env += " TRAMOND_KILL_LOG='" + log.string() + "'";
        }
        const auto cmd = "cd '" + cwd.string() + "' && exec env " + env + " '" + TRAMOND_BINARY_DIR +
                         "/bin/tramond' " + args + " 2>&1";
        Outcome o;
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) return o;
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) o.output += buf;
        const int st = pclose(p);
        o.status = WIFSIGNALED(st) ? 128 + WTERMSIG(st) : WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        return o;
    }

    long countCalls(const fs::path& cwd, const std::string& args) {
        const auto log = base / "calls.log";
        fs::remove(log);
        const auto o = tramond(cwd, args, 0, log);
        EXPECT_EQ(o.status, 0) << o.output;
        std::ifstream in(log);
        long n = 0;
        std::string line;
        while (std::getline(in, line)) ++n;
        return n;
    }

    // Kills `args` run in SHOP at each counted call; after each, a reader in
    // OTHER must find SHOP wholly `before` or wholly `after`.
    void killEverywhere(const std::string& args, const Picture& before, const Picture& other) {
        const auto shop = base / "SHOP";
        const long calls = countCalls(shop, args);
        const auto after = picture(shop);
        ASSERT_NE(after, before) << "the run changes the program";
        ASSERT_GT(calls, 20) << "renames and flushes of the commit";
        int oldSeen = 0, newSeen = 0;
        for (long n = 1; n <= calls; ++n) {
            SCOPED_TRACE("killed at call " + std::to_string(n) + " of " + std::to_string(calls));
            restore(shop, before);
            restore(base / "OTHER", other);
            const auto killed = tramond(shop, args, n);
            ASSERT_EQ(killed.status, 137) << killed.output;
            const auto next = tramond(base / "OTHER", "info ../SHOP/shop.app");
            EXPECT_EQ(next.status, 0) << next.output;
            const auto now = picture(shop);
            EXPECT_TRUE(now == before || now == after) << "a mixed program";
            oldSeen += now == before;
            newSeen += now == after;
            EXPECT_EQ(picture(base / "OTHER"), other) << "the other folder's program was touched";
            EXPECT_FALSE(leftovers(shop));
        }
        EXPECT_GT(oldSeen, 0);
        EXPECT_GT(newSeen, 0);
    }

    fs::path base;
};

TEST_F(CommitKillTest, ReadStartedWithARelativePathAndKilledAnywhereIsFinishedInItsOwnFolder) {
    ASSERT_EQ(tramond(base / "REG", "create reg.app").status, 0);
    flipByte(base / "REG" / "reg.plu", 30);
    const auto installed = tramond(base / "REG", "--yes reg.app clinst 0 SIM 38400");
    ASSERT_EQ(installed.status, 0) << installed.output;

    ASSERT_EQ(tramond(base / "SHOP", "create shop.app").status, 0);
    flipByte(base / "SHOP" / "shop.plu", 40);
    ASSERT_EQ(tramond(base / "OTHER", "create shop.app").status, 0);
    flipByte(base / "OTHER" / "shop.dpt", 12);
    killEverywhere("--yes shop.app read 0 SIM 38400", picture(base / "SHOP"), picture(base / "OTHER"));
}

// Killed at any rename or flush, of the record file, the update list or the
// history, an import leaves either its change on disk and listed for Update,
// or the record file as it was; never a change Update would not send. The
// next import then works and records a version that holds both changes:
// neither the history nor the disk lost the first one. Once with a history
// to add to, once with the one the import makes.
TEST_F(CommitKillTest, ImportKilledAnywhereLeavesItsChangeMarkedOrTheRecordsAsTheyWere) {
    const auto shop = base / "SHOP";
    std::ofstream(base / "first.csv") << "record,price1\n2,7\n5,9\n";
    std::ofstream(base / "next.csv") << "record,name\n8,TEA\n";
    for (const bool withHistory : {true, false}) {
        SCOPED_TRACE(withHistory ? "a history to add to" : "the import makes the history");
        fs::remove_all(shop);
        fs::create_directories(shop);
        ASSERT_EQ(tramond(shop, "create shop.app").status, 0);
        if (withHistory) {
            ASSERT_EQ(tramond(shop, "history shop.app --record first").status, 0);
        }
        const auto pristine = base / "pristine";
        fs::remove_all(pristine);
        fs::copy(shop, pristine, fs::copy_options::recursive);

        const std::string args = "import shop.app plu ../first.csv";
        const auto before = picture(shop);
        const long calls = countCalls(shop, args);
        const auto after = picture(shop);
        ASSERT_NE(after.at("shop.plu"), before.at("shop.plu"));
        const auto marks = updateLines(after, "shop.upd");
        ASSERT_EQ(marks, (std::set<std::string>{"000010002", "000010005"}));
        ASSERT_GT(calls, 8) << "the record file, the update list and the history";
        int unchanged = 0, marked = 0;
        for (long n = 1; n <= calls; ++n) {
            SCOPED_TRACE("killed at call " + std::to_string(n) + " of " + std::to_string(calls));
            restoreTree(shop, pristine);
            const auto killed = tramond(shop, args, n);
            ASSERT_EQ(killed.status, 137) << killed.output;
            auto now = picture(shop);
            const bool changed = now.at("shop.plu") == after.at("shop.plu");
            if (changed) {
                const auto listed = updateLines(now, "shop.upd");
                for (const auto& m : marks) EXPECT_TRUE(listed.count(m)) << m << " is not listed for Update";
                ++marked;
            } else {
                EXPECT_EQ(now.at("shop.plu"), before.at("shop.plu")) << "a record file half imported";
                ++unchanged;
            }
            now.erase("shop.plu");
            now.erase("shop.upd");
            auto others = before;
            others.erase("shop.plu");
            others.erase("shop.upd");
            EXPECT_EQ(now, others) << "the import touched another file";

            const auto next = tramond(base / "OTHER", "import ../SHOP/shop.app plu ../next.csv --json");
            ASSERT_EQ(next.status, 0) << next.output;
            EXPECT_NE(next.output.find("\"recorded\":true"), std::string::npos) << next.output;
            EXPECT_EQ(next.output.find("warning"), std::string::npos) << next.output;
            const history::ProgramHistory versions(shop / "shop.app");
            const auto all = versions.versions();
            ASSERT_FALSE(all.empty());
            const auto latest = versions.files(all.back().number);
            EXPECT_EQ(latest.at("shop.plu"), fileBytes(shop / "shop.plu"));
            if (changed) {
                const auto plu = fileBytes(shop / "shop.plu");
                const auto& imported = after.at("shop.plu");
                const auto firstFive = static_cast<std::ptrdiff_t>(5 * plu::kRecordSize);
                EXPECT_TRUE(std::equal(plu.begin(), plu.begin() + firstFive, imported.begin()))
                    << "the first import was undone";
            }
            EXPECT_FALSE(temporaries(shop)) << "a temporary left behind";
        }
        EXPECT_GT(unchanged, 0);
        EXPECT_GT(marked, 0);
    }
}

TEST_F(CommitKillTest, CreateForceKilledAnywhereLeavesTheOldProgramOrTheNewOne) {
    ASSERT_EQ(tramond(base / "SHOP", "create shop.app").status, 0);
    flipByte(base / "SHOP" / "shop.plu", 40);
    writeBytes(base / "SHOP" / "shop.cst", std::vector<std::uint8_t>(125 * 3, 'c'));  // the new one has none
    ASSERT_EQ(tramond(base / "OTHER", "create shop.app").status, 0);
    killEverywhere("create shop.app --force", picture(base / "SHOP"), picture(base / "OTHER"));
}

}  // namespace
}  // namespace tramond::testing
