// "create" against a program whose last load from the register was cut off
// in its commit: finished first (so an existing program is seen as one), or
// refused naming the load that is still running.

#include <gtest/gtest.h>

#include <sstream>

#include "app/program_verbs.h"
#include "app_test_support.h"
#include "program/file_io.h"
#include "program/program_ops.h"
#include "program/staged_commit.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

int g_killAt = -1;
bool killAt(int step) { return step == g_killAt; }

struct CreateRun {
    int status;
    std::string err;
};

CreateRun create(const std::vector<std::string>& args) {
    VerbRegistry verbs;
    registerProgramVerbs(verbs);
    std::ostringstream out, err;
    VerbContext ctx{args, out, err};
    return {verbs.find("create")->run(ctx), err.str()};
}

TEST(CreateVerb, FinishesAnInterruptedLoadFirstAndRefusesOneStillRunning) {
    TempDir dir;
    const auto app = dir.path() / "shop.app";
    ASSERT_EQ(create({app.string()}).status, 0);

    // Cut off with the ".app" parked: without finishing, the program looks
    // absent and would be replaced without --force.
    const auto folder = createStagingFolder(dir.path(), "shop");
    int staged = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.is_regular_file()) fs::copy_file(e.path(), folder / e.path().filename()), ++staged;
    g_killAt = 2 * staged - 1;
    setCommitStepHookForTesting(killAt);
    EXPECT_THROW(commitStagingFolder(folder, dir.path(), "shop.app"), CommitKilled);
    setCommitStepHookForTesting(nullptr);
    releaseStagingFolder(folder);
    ASSERT_FALSE(fs::exists(app));
    const auto again = create({app.string()});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find("exists"), std::string::npos) << again.err;
    EXPECT_TRUE(fs::exists(app));

    const auto live = createStagingFolder(dir.path(), "shop");
    writeTextFileAtomic(live / ".commit", "tramond-commit 2\nmove\tshop.plu\t" + (dir.path() / "shop.plu").string() +
                                              "\n");
    const auto refused = create({app.string(), "--force"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find(live.filename().string()), std::string::npos) << refused.err;
    fs::remove(live / ".commit");
    releaseStagingFolder(live);
}

}  // namespace
}  // namespace tramond
