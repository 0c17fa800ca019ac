// The history as a script meets it: "history" (list, --at, --record,
// --json), "diff A.app@N B.app", "restore", their exit statuses; and the
// built executable: two processes recording into one repository at once,
// and a transfer on a full disk that succeeds with a warning.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <tuple>

#include "cli/cli_fixture.h"
#include "app/program_verbs.h"
#include "cli/cli_verbs.h"
#include "history/program_history.h"

namespace tramond::testing {
namespace {

using history::ProgramHistory;

// Runs a shell command line; its exit status and what it printed.
std::pair<int, std::string> shell(const std::string& command) {
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr) return {-1, ""};
    std::string text;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) text += buf;
    const int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

const std::string kTramond = std::string(TRAMOND_BINARY_DIR) + "/bin/tramond";

class HistoryVerbsTest : public CliFixture {
protected:
    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        VerbRegistry verbs;
        addCliVerbs(verbs, {});
        registerProgramVerbs(verbs);
        const auto* verb = verbs.find(args.at(0));
        EXPECT_NE(verb, nullptr) << args[0];
        args.erase(args.begin());
        VerbContext ctx{args, out, err};
        return verb->run(ctx);
    }
    std::string app() const { return program.appPath.string(); }
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(HistoryVerbsTest, ListRecordAtDiffAndRestore) {
    EXPECT_EQ(run({"history", app()}), 0);
    EXPECT_EQ(out.str(), "No version of " + app() + " is recorded.\n");
    EXPECT_EQ(run({"history", app(), "--record", "before the season"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Recorded version 1 of " + app() + ".\n");

    auto plu = fileBytes(program.file(".plu"));
    plu[plu::kRecordSize + plu::kDepartment] ^= 1;
    writeBytes(program.file(".plu"), plu);
    EXPECT_EQ(run({"history", app(), "--record", "new prices", "--json"}), 0) << err.str();
    EXPECT_EQ(out.str(), "{\"program\":\"" + app() + "\",\"history\":{\"version\":2,\"recorded\":true}}\n");

    EXPECT_EQ(run({"history", app()}), 0);
    std::istringstream lines(out.str());
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first.rfind("   1  ", 0), 0u) << first;
    EXPECT_NE(first.find("record "), std::string::npos) << first;
    EXPECT_NE(first.find("\"before the season\""), std::string::npos) << first;
    EXPECT_NE(second.find("changed: plu"), std::string::npos) << second;

    EXPECT_EQ(run({"history", app(), "--json"}), 0);
    const auto json = out.str();
    for (const char* key : {"{\"program\":", ",\"versions\":[{\"number\":1,\"id\":\"", "\"event\":\"record\"",
                            "\"register\":null", "\"note\":\"new prices\"", "\"changed\":[\"plu\"]"})
        EXPECT_NE(json.find(key), std::string::npos) << key << " in " << json;

    const auto at = history::localTimeText(ProgramHistory(program.appPath).versions().back().time);
    EXPECT_EQ(run({"history", app(), "--at", at}), 0);
    EXPECT_EQ(out.str().rfind("   2  ", 0), 0u) << out.str();
    EXPECT_EQ(run({"history", app(), "--at", "2001-01-01 00:00", "--json"}), 1);
    EXPECT_NE(out.str().find("\"version\":null"), std::string::npos);

    EXPECT_EQ(run({"diff", app() + "@1", app()}), 1);
    EXPECT_EQ(out.str().find("plu 2: department: "), 0u) << out.str();
    EXPECT_EQ(run({"diff", app() + "@2", app()}), 0) << out.str() << err.str();
    EXPECT_EQ(run({"diff", app() + "@1", app() + "@2", "--json"}), 1);
    EXPECT_EQ(run({"diff", app() + "@7", app()}), 2);
    EXPECT_NE(err.str().find("it has 1 to 2"), std::string::npos) << err.str();

    EXPECT_EQ(run({"restore", app(), "1", "--json"}), 0) << err.str();
    EXPECT_EQ(out.str(), "{\"program\":\"" + app() +
                             "\",\"ok\":true,\"restored\":1,\"marked\":[\"000010002\"],\"clearAndInstall\":false,"
                             "\"installOnly\":[],\"history\":{\"version\":3,\"recorded\":true}}\n");
    EXPECT_EQ(run({"diff", app() + "@1", app()}), 0);

    // Bad arguments are told apart from failures.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"history"},
             {"history", app(), "--at", "soon"},
             {"history", app(), "--at", "2026-01-01", "--record", "x"},
             {"restore", app()},
             {"restore", app(), "0"},
             {"restore", app(), "x1"},
             {"restore", app(), "4"}})
        EXPECT_EQ(run(args), 2) << args.size() << " " << args.back();
}

TEST_F(HistoryVerbsTest, CreateForceKeepsTheProgramItReplaces) {
    auto dpt = fileBytes(program.file(".dpt"));
    dpt[6] = 'Q';
    writeBytes(program.file(".dpt"), dpt);
    ASSERT_EQ(run({"create", app(), "--force"}), 0) << err.str();
    EXPECT_NE(fileBytes(program.file(".dpt"))[6], 'Q');
    const auto versions = ProgramHistory(program.appPath).versions();
    ASSERT_EQ(versions.size(), 1u);
    EXPECT_EQ(ProgramHistory(program.appPath).files(1).at("shop.dpt")[6], 'Q');
}

TEST_F(HistoryVerbsTest, TwoProcessesRecordingAtOnceKeepOneWholeHistory) {
    const std::string loop = "for i in $(seq 15); do " + kTramond + " history " + app() +
                             " --record \"$W $i\" >/dev/null || echo FAILED; done";
    const auto [status, text] =
        shell("(W=a; " + loop + ") & (W=b; " + loop + ") & wait");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text.find("FAILED"), std::string::npos) << text;
    const auto versions = ProgramHistory(program.appPath).versions();
    ASSERT_EQ(versions.size(), 30u);
    std::set<std::string> notes;
    for (std::size_t i = 0; i < versions.size(); ++i) {
        notes.insert(versions[i].note);
        EXPECT_EQ(versions[i].number, static_cast<int>(i + 1));
        EXPECT_EQ(ProgramHistory(program.appPath).files(versions[i].number), history::programFiles(program.appPath));
    }
    EXPECT_EQ(notes.size(), 30u) << "no version was lost";
    // Each version's own number is the one it was recorded as.
    EXPECT_EQ(run({"history", app(), "--record", "after", "--json"}), 0);
    EXPECT_NE(out.str().find("\"version\":31"), std::string::npos) << out.str();
}

TEST_F(HistoryVerbsTest, ATransferOnAFullDiskSucceedsWithAWarning) {
    // The register simulator runs as a process of its own on a
    // pseudo-terminal; only the transfer's own files may not grow.
    const std::string regsim = std::string(TRAMOND_BINARY_DIR) + "/bin/tramond-regsim";
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t simPid = ::fork();
    if (simPid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::execl(regsim.c_str(), regsim.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    FILE* sim = ::fdopen(fds[0], "r");
    char ptyName[256] = {};
    const bool named = std::fgets(ptyName, sizeof ptyName, sim) != nullptr;
    const auto stopSim = [&] {
        ::kill(simPid, SIGTERM);
        ::waitpid(simPid, nullptr, 0);
        std::fclose(sim);
    };
    if (!named) stopSim();
    ASSERT_TRUE(named) << "the simulator named no pseudo-terminal";
    std::string pty = ptyName;
    while (!pty.empty() && (pty.back() == '\n' || pty.back() == '\r')) pty.pop_back();

    const std::string transfer = kTramond + " --yes --json " + app() + " clinst 0 " + pty + " 38400";
    auto [status, text] = shell("HOME=" + dir.string() + " " + transfer);
    if (status != 0) stopSim();
    ASSERT_EQ(status, 0) << text;
    EXPECT_NE(text.find("\"history\":{\"version\":1,\"recorded\":true}"), std::string::npos) << text;

    // Room for a lock file, not for a version.
    std::tie(status, text) = shell("trap '' XFSZ; HOME=" + dir.string() + " exec prlimit --fsize=100 " + kTramond +
                                   " --yes --json " + app() + " instal 0 " + pty + " 38400");
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("\"ok\":true"), std::string::npos) << text;
    EXPECT_NE(text.find("\"history\":{\"version\":null,\"warning\":"), std::string::npos) << text;
    EXPECT_EQ(ProgramHistory(program.appPath).versions().size(), 1u);

    stopSim();
}

}  // namespace
}  // namespace tramond::testing
