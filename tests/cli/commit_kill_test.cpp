// The real executable killed (SIGKILL, through a preloaded library) at each
// rename and flush while it writes a program: "read" started with a
// relative path from the program's own folder, "create --force" over an
// existing program. Whatever the moment, the next reader, working from
// another folder beside a program of the same name, finds the program
// wholly old or wholly new, and the other program untouched.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "link/register_ops_support.h"

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

TEST_F(CommitKillTest, CreateForceKilledAnywhereLeavesTheOldProgramOrTheNewOne) {
    ASSERT_EQ(tramond(base / "SHOP", "create shop.app").status, 0);
    flipByte(base / "SHOP" / "shop.plu", 40);
    writeBytes(base / "SHOP" / "shop.cst", std::vector<std::uint8_t>(125 * 3, 'c'));  // the new one has none
    ASSERT_EQ(tramond(base / "OTHER", "create shop.app").status, 0);
    killEverywhere("create shop.app --force", picture(base / "SHOP"), picture(base / "OTHER"));
}

}  // namespace
}  // namespace tramond::testing
