// Register operations when the line or the user stops them: what the dealer
// is told and what is left on disk.

#include "link/register_ops_staging.h"
#include "register_ops_support.h"

namespace tramond::testing {
namespace {

class RegisterOpsFailureTest : public RegisterOpsFixture {
protected:
    // A second program, different from the loaded one in its texts and
    // records, seeded into the register.
    void seedOtherProgram(int registerNumber = 1) {
        ProgramSession other;
        const auto path = dir / "other" / "other.app";
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(createProgram(other, path).ok());
        other.text.bytes()[10] = '#';
        writeBytes(fs::path(path).replace_extension(".txt"),
                   std::vector<std::uint8_t>(other.text.bytes().begin(), other.text.bytes().end()));
        auto dpt = fileBytes(fs::path(path).replace_extension(".dpt"));
        dpt[9] = 'Z';
        writeBytes(fs::path(path).replace_extension(".dpt"), dpt);
        sim->memory(registerNumber).seedFromProgram(path, 0);
        otherProgram = path;
    }

    bool stagingLeft() const {
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().starts_with(LoadStaging::kFolderPrefix)) return true;
        return false;
    }

    std::size_t messagesWith(const std::string& text) const {
        return static_cast<std::size_t>(std::count_if(host.messages.begin(), host.messages.end(),
                                                      [&](const auto& m) { return m.text == text; }));
    }

    fs::path otherProgram;
};

TEST_F(RegisterOpsFailureTest, BrokenLoadLeavesTheExistingProgramExactlyAsItWas) {
    // Silent among the system blocks and at two points among the record files.
    for (long silentAfter : {20L, 85L, 94L}) {
        SCOPED_TRACE(silentAfter);
        fs::remove_all(dir);
        fs::create_directories(dir);
        session = ProgramSession{};
        host = ScriptedHost{};
        const auto program = makeProgram("shop.app");
        auto opts = fastSim();
        opts.silentAfterBlocks = silentAfter;
        startSim(opts);
        seedOtherProgram();
        fs::remove_all(dir / "other");
        const auto before = folderPicture(dir);

        host.loadTarget = program;
        auto o = ops();
        EXPECT_FALSE(o.loadFromRegister());
        EXPECT_EQ(host.asked(opsmsg::kOverwrite), 1);
        EXPECT_EQ(messagesWith(opsmsg::kCheckRs232), 1u);
        EXPECT_EQ(folderPicture(dir), before) << "not one byte of the program changed";
        EXPECT_FALSE(stagingLeft());
        EXPECT_FALSE(session.loaded);
        EXPECT_TRUE(session.programPath.empty());
    }
}

TEST_F(RegisterOpsFailureTest, CancelledLoadLeavesTheExistingProgram) {
    const auto program = makeProgram("shop.app");
    startSim();
    seedOtherProgram();
    fs::remove_all(dir / "other");
    const auto before = folderPicture(dir);

    host.loadTarget = program;
    auto o = ops();
    host.onPump = [&](int n) {
        if (n == 120) o.cancel();
    };
    EXPECT_FALSE(o.loadFromRegister());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, opsmsg::kUserBreakText);
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(folderPicture(dir), before);
    EXPECT_FALSE(session.loaded);
}

TEST_F(RegisterOpsFailureTest, OverwriteRefusedTouchesNothing) {
    const auto program = makeProgram("shop.app");
    startSim();
    const auto before = folderPicture(dir);
    host.loadTarget = program;
    host.answers[opsmsg::kOverwrite] = false;
    auto o = ops();
    EXPECT_FALSE(o.loadFromRegister());
    EXPECT_TRUE(tap->frames().empty()) << "the port was not even used";
    EXPECT_EQ(folderPicture(dir), before);
    EXPECT_TRUE(session.loaded) << "a refused load changes nothing";
}

TEST_F(RegisterOpsFailureTest, SuccessfulLoadReplacesTheProgramWhole) {
    const auto program = makeProgram("shop.app");
    startSim();
    seedOtherProgram();
    host.loadTarget = program;
    auto o = ops();
    ASSERT_TRUE(o.loadFromRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    EXPECT_FALSE(stagingLeft());
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".dpt")),
              fileBytes(fs::path(otherProgram).replace_extension(".dpt")));
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".txt"))[10], '#');
    EXPECT_EQ(session.text.bytes()[10], '#') << "and it is the loaded program";
    EXPECT_EQ(session.programPath, program);
    EXPECT_EQ(session.machineNumber, 0);
    // The progress window names the program, not the staging folder.
    const auto dpt = host.lastProgressFor(".dpt");
    ASSERT_TRUE(dpt);
    EXPECT_EQ(dpt->fileName, fs::path(program).replace_extension(".dpt").string());
    EXPECT_EQ(dpt->position, std::to_string(session.app.u16(1059))) << "the last department, counted from 1";
}

TEST_F(RegisterOpsFailureTest, RegisterFallingSilentMidInstall) {
    const auto program = makeProgram("shop.app");
    const auto upd = fs::path(program).replace_extension(".upd");
    writeBytes(upd, {'0', '0', '0', '0', '0', '5', '0', '0', '1'});
    auto opts = fastSim();
    opts.silentAfterBlocks = 150;
    startSim(opts);
    auto o = ops();
    EXPECT_FALSE(o.clearAndInstallRegister());
    EXPECT_EQ(fileBytes(upd).size(), 9u) << "the pending changes outlive a failed install";
    EXPECT_EQ(messagesWith(opsmsg::kCheckRs232), 1u);
    EXPECT_EQ(host.messages.size(), 1u) << "reported once";
    EXPECT_EQ(o.linkError(), kLinkFailure);
}

TEST_F(RegisterOpsFailureTest, SilentRegisterBeforeClearing) {
    makeProgram("shop.app");
    auto opts = fastSim();
    opts.silent = true;
    startSim(opts);
    auto o = ops();
    EXPECT_FALSE(o.clearAndInstallRegister());
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(messagesWith(opsmsg::kCheckRs232), 1u);
    EXPECT_EQ(sim->memory(1).clears, 0);
}

TEST_F(RegisterOpsFailureTest, FailedUpdateDoesNotOfferToClearTheList) {
    const auto program = makeProgram("shop.app");
    auto opts = fastSim();
    opts.silentAfterBlocks = 3;  // identification, block 3, identification
    startSim(opts);
    sim->memory(1).seedFromProgram(program, 0);
    writeBytes(fs::path(program).replace_extension(".upd"), {'0', '0', '0', '0', '0', '5', '0', '0', '1'});
    auto o = ops();
    EXPECT_FALSE(o.updateRegister());
    EXPECT_TRUE(host.shown(opsmsg::kCheckRs232));
    EXPECT_EQ(host.asked(opsmsg::kClearUpdateFile), 0);
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".upd")).size(), 9u);
}

TEST_F(RegisterOpsFailureTest, MissingRecordFileStopsTheInstall) {
    const auto program = makeProgram("shop.app");
    startSim();
    fs::remove(fs::path(program).replace_extension(".grp"));
    auto o = ops();
    EXPECT_FALSE(o.clearAndInstallRegister());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("shop.grp"), std::string::npos) << host.messages[0].text;
    EXPECT_EQ(sim->memory(1).clears, 0) << "refused before CLR";
    EXPECT_TRUE(tap->frames().empty());
}

TEST_F(RegisterOpsFailureTest, NothingWithoutALoadedProgram) {
    startSim();
    auto o = ops();
    EXPECT_FALSE(o.installRegister());
    EXPECT_TRUE(host.shown(opsmsg::kNoProgram));
    EXPECT_TRUE(tap->frames().empty());
}

TEST_F(RegisterOpsFailureTest, QuestionsDeclinedStopBeforeTheLine) {
    makeProgram("shop.app");
    startSim();
    host.answers[opsmsg::kAreYouSure] = false;
    auto o = ops();
    EXPECT_FALSE(o.installRegister());
    EXPECT_FALSE(o.clearAndInstallRegister());
    host.answers[opsmsg::kAreYouSure] = true;
    host.targetChoice.proceed = false;
    EXPECT_FALSE(o.clearAndInstallRegister());
    EXPECT_TRUE(tap->frames().empty());
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tramond::testing
