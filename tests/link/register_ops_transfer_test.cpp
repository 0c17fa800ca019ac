// Register operations against the simulated register on an in-process
// line: what goes out, what comes back, what the dealer is told.


#include "editors/plu_list.h"
#include "link/update_plan.h"
#include "program/program_changes.h"
#include "register_ops_support.h"

namespace tramond::testing {
namespace {

using regsim::SimOptions;

constexpr std::size_t kPluCountOffset = 2227;

class RegisterOpsTransferTest : public RegisterOpsFixture {};

TEST_F(RegisterOpsTransferTest, UpdateSendsExactlyTheListedCodesInGroupOrder) {
    const auto program = makeProgram("shop.app");
    // Two salespersons, so that their file takes part.
    session.app.setU16(2561, 2);
    saveAndReload();
    writeBytes(fs::path(program).replace_extension(".sps"), std::vector<std::uint8_t>(2 * 27, 0x11));
    startSim();
    sim->memory(1).seedFromProgram(program, 0);

    const std::string list = "000005002\r\n000002902\r\n000000301\r\n000002102\r\n000005002\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), std::vector<std::uint8_t>(list.begin(), list.end()));
    host.answers[opsmsg::kClearUpdateFile] = false;

    auto o = ops();
    ASSERT_TRUE(o.updateRegister());
    EXPECT_EQ(tap->numbers('U'), (std::vector<std::uint16_t>{301, 2102, 2902, 5002}))
        << "corrections, salespersons, tax, departments; nothing else";
    EXPECT_EQ(tap->numbers('D'), (std::vector<std::uint16_t>{1, 3, 1}));
    EXPECT_EQ(host.asked(opsmsg::kClearUpdateFile), 1);
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".upd")).size(), list.size()) << "answered No";

    // Each record came from its own file, words swapped for the wire.
    const auto dpt = fileBytes(fs::path(program).replace_extension(".dpt"));
    const auto& sent = sim->memory(1).records.at(5002);
    ASSERT_EQ(sent.size(), 39u);
    EXPECT_EQ(sent[0], dpt[39 + 1]);
    EXPECT_EQ(sent[1], dpt[39 + 0]);
    EXPECT_TRUE(std::equal(sent.begin() + 4, sent.end(), dpt.begin() + 39 + 4));
    EXPECT_EQ(sim->memory(1).records.at(2102)[5], 0x11);

    // Yes empties the list.
    tap->reset();
    host.answers[opsmsg::kClearUpdateFile] = true;
    ASSERT_TRUE(o.updateRegister());
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".upd")).size(), 0u);
}

TEST_F(RegisterOpsTransferTest, UpdateWithoutListOrWithWrongApplication) {
    const auto program = makeProgram("shop.app");
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    fs::remove(fs::path(program).replace_extension(".upd"));
    auto o = ops();
    EXPECT_FALSE(o.updateRegister());
    EXPECT_TRUE(host.shown(opsmsg::kNoUpdateFile));
    EXPECT_EQ(host.asked(opsmsg::kClearUpdateFile), 0);

    writeBytes(fs::path(program).replace_extension(".upd"), {'0', '0', '0', '0', '0', '0', '0', '0', '2'});
    sim->memory(1).blocks[3][5] ^= 0xFF;  // the register runs another application
    const auto before = session.app;
    tap->reset();
    EXPECT_FALSE(o.updateRegister());
    EXPECT_TRUE(host.shown(opsmsg::kWrongApplication));
    EXPECT_TRUE(tap->numbers('U').empty());
    EXPECT_EQ(session.app, before) << "the program's own block 3 is put back";
}

class PluCodeModeTest : public RegisterOpsTransferTest {
protected:
    // Four PLUs addressed by 4-byte codes; records 1 and 3 in use.
    fs::path makeCodedProgram(int pluCount = 4) {
        const auto program = makeProgram("coded.app");
        session.app.setU8(kAppPluRandomSizeOffset, 4);
        session.app.setU16(kPluCountOffset, static_cast<std::uint16_t>(pluCount));
        saveAndReload();
        std::vector<std::uint8_t> plu(static_cast<std::size_t>(pluCount) * 137, 0);
        for (int r = 0; r < pluCount; ++r) {
            auto* rec = &plu[static_cast<std::size_t>(r) * 137];
            rec[0] = static_cast<std::uint8_t>(r + 1);  // option word, little-endian
            rec[9] = static_cast<std::uint8_t>('A' + r);
            rec[34] = static_cast<std::uint8_t>(r);     // department
        }
        plu[0 * 137 + 2] = 0x11;  // record 1: code 11
        plu[2 * 137 + 2] = 0x33;  // record 3: code 33
        writeBytes(fs::path(program).replace_extension(".plu"), plu);
        return program;
    }
};

TEST_F(PluCodeModeTest, PluLinesThenCommand105) {
    const auto program = makeCodedProgram(8);
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    // Record 2 gets a new code, record 3's is deleted, record 1 changed.
    const std::vector<std::string> lines = {pluUpdateLine('N', "22", 2), pluUpdateLine('D', "33", 3),
                                            pluUpdateLine('R', "11", 1)};
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    text += "000010002\r\n";  // a PLU by record number means nothing in code mode
    writeBytes(fs::path(program).replace_extension(".upd"), std::vector<std::uint8_t>(text.begin(), text.end()));

    auto o = ops();
    ASSERT_TRUE(o.updateRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    EXPECT_EQ(tap->numbers('U'), (std::vector<std::uint16_t>{102, 101, 100, 105}));
    const auto& cmds = sim->memory(1).pluCommands;
    ASSERT_EQ(cmds.size(), 3u);
    // Delete: the packed code alone.
    EXPECT_EQ(cmds[0].second[0], 0x33);
    EXPECT_TRUE(std::all_of(cmds[0].second.begin() + 1, cmds[0].second.end(), [](auto b) { return b == 0; }));
    // Insert: record 2 with its option word and department swapped.
    ASSERT_EQ(cmds[1].second.size(), 137u);
    EXPECT_EQ(cmds[1].second[0], 0);
    EXPECT_EQ(cmds[1].second[1], 2);
    EXPECT_EQ(cmds[1].second[9], 'B');
    EXPECT_EQ(cmds[1].second[35], 1);
    EXPECT_EQ(sim->memory(1).pluSeriesEnds, 1);
}

TEST_F(PluCodeModeTest, ReplacementsAloneNeedNo105) {
    const auto program = makeCodedProgram(8);
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    const auto line = pluUpdateLine('R', "11", 1) + "\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), std::vector<std::uint8_t>(line.begin(), line.end()));
    auto o = ops();
    ASSERT_TRUE(o.updateRegister());
    EXPECT_EQ(tap->numbers('U'), std::vector<std::uint16_t>{100});
}

TEST_F(PluCodeModeTest, PositionThatIsNoNumberStopsThePluLines) {
    const auto program = makeCodedProgram(8);
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    const std::string text = pluUpdateLine('N', "22", 2) + "\r\nR00000000000011ABCDE00\r\n" +
                             pluUpdateLine('R', "33", 3) + "\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), std::vector<std::uint8_t>(text.begin(), text.end()));
    auto o = ops();
    EXPECT_FALSE(o.updateRegister());
    EXPECT_TRUE(host.shown(std::string(opsmsg::kNotValidInteger) + "\n\"R00000000000011ABCDE00\""));
    EXPECT_TRUE(tap->numbers('U').empty()) << "refused before the first block";
    EXPECT_EQ(host.asked(opsmsg::kClearUpdateFile), 0) << "a failed update keeps its list";
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".upd")).size(), text.size());
}

TEST_F(PluCodeModeTest, CapacityCheckRefusesTooManyNewPlus) {
    // 4 PLUs, 2 used before, 2 new: (4 + 2 - 4) / 2 = 1 < 2.
    const auto program = makeCodedProgram(4);
    {
        auto plu = fileBytes(fs::path(program).replace_extension(".plu"));
        plu[1 * 137 + 2] = 0x22;
        plu[3 * 137 + 2] = 0x44;
        writeBytes(fs::path(program).replace_extension(".plu"), plu);
    }
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    const std::string text = pluUpdateLine('N', "22", 2) + "\r\n" + pluUpdateLine('N', "44", 4) + "\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), std::vector<std::uint8_t>(text.begin(), text.end()));
    auto o = ops();
    EXPECT_FALSE(o.updateRegister());
    EXPECT_TRUE(host.shown(opsmsg::kTooManyNewPlus));
    EXPECT_TRUE(tap->numbers('U').empty());

    // One new PLU fits: (4 + 1 - 3) / 2 = 1.
    {
        auto plu = fileBytes(fs::path(program).replace_extension(".plu"));
        plu[3 * 137 + 2] = 0;
        writeBytes(fs::path(program).replace_extension(".plu"), plu);
    }
    const std::string one = pluUpdateLine('N', "22", 2) + "\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), std::vector<std::uint8_t>(one.begin(), one.end()));
    EXPECT_TRUE(o.updateRegister());
}

// The list is kept after an Update (unattended runs never clear it, a
// dealer updating several registers answers No), so a PLU's "N" line does
// not mean the register lacks it: deleting that PLU must still reach it, from
// the editor's write and from a restore alike (both mark through the one
// marking function).
TEST_F(PluCodeModeTest, DeletingAPluThatAKeptListStillInsertsReachesTheRegister) {
    const auto program = makeCodedProgram(8);
    const auto pluFile = fs::path(program).replace_extension(".plu");
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    const auto registerHolds = [&](std::uint8_t code) {
        for (const auto& [number, rec] : sim->memory(1).records)
            if (number > 10000 && number <= 10008 && rec.size() > 2 && rec[2] == code) return true;
        return false;
    };
    host.answers[opsmsg::kClearUpdateFile] = false;
    auto plu = fileBytes(pluFile);
    plu[1 * 137 + 2] = 0x22;  // record 2 gets code 22
    writeProgramFile(session, pluFile, plu);
    auto o = ops();
    ASSERT_TRUE(o.updateRegister());
    ASSERT_TRUE(registerHolds(0x22));

    plu[1 * 137 + 2] = 0;  // and loses it again
    writeProgramFile(session, pluFile, plu);
    ASSERT_TRUE(o.updateRegister());
    EXPECT_FALSE(registerHolds(0x22)) << "the register still sells a PLU the program deleted";
    EXPECT_TRUE(registerHolds(0x11));
    EXPECT_TRUE(registerHolds(0x33));
}

TEST_F(PluCodeModeTest, InstallSendsPlusInListOrderRenumbered) {
    const auto program = makeCodedProgram(4);
    startSim();
    auto o = ops();
    ASSERT_TRUE(o.clearAndInstallRegister());
    // Code order: 11 (record 1), 33 (record 3), then the unused 2 and 4.
    const auto& recs = sim->memory(1).records;
    ASSERT_TRUE(recs.count(10001) && recs.count(10002) && recs.count(10003) && recs.count(10004));
    EXPECT_EQ(recs.at(10001)[9], 'A');
    EXPECT_EQ(recs.at(10002)[9], 'C');
    EXPECT_EQ(recs.at(10003)[9], 'B');
    EXPECT_EQ(recs.at(10004)[9], 'D');
    // The bar and the position count the PLUs of the file, not block numbers.
    const auto plu = host.lastProgressFor(".plu");
    ASSERT_TRUE(plu);
    EXPECT_EQ(plu->position, "4");
    EXPECT_EQ(plu->barPosition, plu->barMaximum);
    EXPECT_GT(plu->barMaximum, 0);
}

TEST_F(RegisterOpsTransferTest, NetworkUpdateAboveLastTerminalSendsNothing) {
    makeProgram("net.app");
    startSim();
    host.targetChoice = {true, 3, 2};
    auto o = ops();
    EXPECT_FALSE(o.updateRegister());
    EXPECT_TRUE(tap->frames().empty());
}

TEST_F(RegisterOpsTransferTest, OldOperatingSystemAsksBeforeClearing) {
    makeProgram("shop.app");
    auto opts = fastSim();
    opts.identification = 'a';
    startSim(opts);
    host.answers[opsmsg::kOldOs] = false;
    auto o = ops();
    EXPECT_FALSE(o.clearAndInstallRegister());
    EXPECT_EQ(host.asked(opsmsg::kOldOs), 1);
    EXPECT_EQ(sim->memory(1).clears, 0);
}

TEST_F(RegisterOpsTransferTest, InstallNeedsTheSameApplication) {
    const auto program = makeProgram("shop.app");
    startSim();
    auto o = ops();
    EXPECT_FALSE(o.installRegister()) << "an empty register runs no application";
    EXPECT_TRUE(host.shown(opsmsg::kWrongApplication));

    sim->memory(1).seedFromProgram(program, 0);
    host.messages.clear();
    EXPECT_TRUE(o.installRegister());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(sim->memory(1).clears, 0);
}

TEST_F(RegisterOpsTransferTest, CustomerFileOnlyWhenWanted) {
    const auto program = makeProgram("shop.app");
    session.app.setOption(119, 1, true);
    saveAndReload();
    const auto upd = fs::path(program).replace_extension(".upd");
    writeBytes(upd, {'0', '0', '0', '0', '0', '5', '0', '0', '1'});
    startSim();
    host.answers[opsmsg::kUploadCustomers] = false;
    auto o = ops();
    ASSERT_TRUE(o.clearAndInstallRegister());
    EXPECT_FALSE(fs::exists(upd)) << "the register now holds exactly this program";
    EXPECT_EQ(host.asked(opsmsg::kUploadCustomers), 1);
    EXPECT_TRUE(sim->memory(1).customers.empty());
    EXPECT_FALSE(sim->memory(1).records.empty()) << "everything else was installed";
}

TEST_F(RegisterOpsTransferTest, ClearPluFileInEveryNetworkRegister) {
    makeProgram("shop.app");
    auto opts = fastSim();
    opts.registers = 3;
    startSim(opts);
    host.targetChoice = {true, 1, 3};
    session.unattended = true;  // asks for its target all the same
    auto o = ops();
    EXPECT_TRUE(o.clearPluFile());
    EXPECT_EQ(host.asked(opsmsg::kAreYouSure), 1);
    EXPECT_EQ(host.targetAllowedNetwork.size(), 1u);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(sim->memory(n).pluFileClears, 1) << n;

    // No: nothing is sent and no target is asked for.
    host.answers[opsmsg::kAreYouSure] = false;
    EXPECT_FALSE(o.clearPluFile());
    EXPECT_EQ(host.targetAllowedNetwork.size(), 1u);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(sim->memory(n).pluFileClears, 1) << n;
}

}  // namespace
}  // namespace tramond::testing
