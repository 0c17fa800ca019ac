// Register operations against the simulated register on an in-process
// line: what goes out, what comes back, what the dealer is told.

#include <numeric>

#include "editors/plu_list.h"
#include "link/update_plan.h"
#include "program/keyboard_header.h"
#include "program/sizing.h"
#include "register_ops_support.h"

namespace tramond::testing {
namespace {

using regsim::SimOptions;

constexpr std::size_t kPluCountOffset = 2227;

// Transferred bytes of the application block (the rest stays on the PC).
bool transferredAppByte(std::size_t i) {
    if (i >= 831 && i <= 958) return false;
    if (i >= 1611 && i <= 2116) return false;
    if (i >= 2651) return false;
    if (i >= 703 + 64 && i < 703 + 68) return false;  // zeroed on every receive
    return true;
}

void expectSameRecords(const fs::path& a, const fs::path& b, std::size_t bytes, const char* ext) {
    const auto x = fileBytes(fs::path(a).replace_extension(ext));
    const auto y = fileBytes(fs::path(b).replace_extension(ext));
    ASSERT_GE(x.size(), bytes) << ext;
    ASSERT_GE(y.size(), bytes) << ext;
    EXPECT_TRUE(std::equal(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(bytes), y.begin())) << ext;
}

class RegisterOpsTransferTest : public RegisterOpsFixture {};

TEST_F(RegisterOpsTransferTest, ClearAndInstallThenReadBackIsIdentical) {
    startSim();
    const auto source = makeProgram("shop.app");
    // Something of every kind of field: a flag, a text, a changed record.
    session.app.setFlag(7, 0x5A);
    session.text.bytes()[100] = 'Q';
    saveAndReload();
    {
        auto dpt = fileBytes(fs::path(source).replace_extension(".dpt"));
        dpt[39 + 9] = 'X';  // descriptor of department 2
        dpt[39 + 0] = 0x34;  // and its little-endian first word
        dpt[39 + 1] = 0x12;
        writeBytes(fs::path(source).replace_extension(".dpt"), dpt);
    }
    writeBytes(fs::path(source).replace_extension(".upd"), {'0', '0', '0', '0', '0', '0', '0', '0', '2'});

    auto o = ops();
    ASSERT_TRUE(o.clearAndInstallRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    EXPECT_EQ(host.asked(opsmsg::kAreYouSure), 1);
    EXPECT_EQ(sim->memory(1).clears, 1);
    EXPECT_FALSE(fs::exists(fs::path(source).replace_extension(".upd")))
        << "the register now holds exactly the program";

    // Block 3 is the same on both sides now: the application check passes.
    host.loadTarget = dir / "copy.app";
    ASSERT_TRUE(o.loadFromRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    EXPECT_TRUE(session.loaded);
    EXPECT_EQ(session.programPath, dir / "copy.app");
    EXPECT_FALSE(host.targetAllowedNetwork.back()) << "no network loop for reading";

    const auto a = fileBytes(source);
    const auto b = fileBytes(dir / "copy.app");
    ASSERT_EQ(a.size(), ApplicationBlock::kSize);
    ASSERT_EQ(b.size(), ApplicationBlock::kSize);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (transferredAppByte(i)) EXPECT_EQ(a[i], b[i]) << "application byte " << i;
    const auto ta = fileBytes(fs::path(source).replace_extension(".txt"));
    const auto tb = fileBytes(dir / "copy.txt");
    ASSERT_EQ(tb.size(), TextBlock::kSize);
    EXPECT_TRUE(std::equal(ta.begin(), ta.begin() + 8499, tb.begin()));

    ApplicationBlock app;
    std::copy(a.begin(), a.end(), app.bytes().begin());
    for (const auto& kind : kindBlocks()) {
        const auto count = kindCount(app, kind);
        if (count == 0 || kind.base == 60000) continue;
        expectSameRecords(source, dir / "copy.app", count * kind.recordSize, std::string(kind.extension).c_str());
    }
    EXPECT_EQ(fileBytes(dir / "copy.upd").size(), 0u) << "a read program starts with an empty update list";
}

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
    EXPECT_TRUE(host.shown(opsmsg::kNotValidInteger));
    // The insertion that went out is closed; nothing after the bad line.
    EXPECT_EQ(tap->numbers('U'), (std::vector<std::uint16_t>{101, 105}));
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
}

TEST_F(RegisterOpsTransferTest, NetworkUpdateUsesEachRegistersKeyboard) {
    const auto program = makeProgram("net.app");
    session.app.setFlag(78, 4);                         // network size
    session.app.setBit(2566, 0, true);                  // individual keyboards
    saveAndReload();
    ASSERT_TRUE(fs::exists(fs::path(program).replace_extension(".kbf")));
    for (int n = 1; n <= 4; ++n) {
        const auto kb = n == 1 ? fs::path(program).replace_extension(".kbf")
                               : fs::path(program).replace_extension(".kb" + std::to_string(n));
        if (n != 1) fs::copy_file(fs::path(program).replace_extension(".kbf"), kb);
        ApplicationBlock a = session.app;
        a.setU16(365, static_cast<std::uint16_t>(1000 + n));  // first key function code
        writeKeyboardHeader(kb, a);
    }
    const auto before = session.app;
    const int machineBefore = session.machineNumber;

    auto o2 = regsim::SimOptions(fastSim());
    o2.registers = 4;
    startSim(o2);
    for (int n = 1; n <= 4; ++n) sim->memory(n).seedFromProgram(program, n);
    writeBytes(fs::path(program).replace_extension(".upd"), {'0', '0', '0', '0', '0', '0', '0', '1', '1'});
    host.targetChoice = {true, 1, 4};

    auto o = ops();
    ASSERT_TRUE(o.updateRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    for (int n = 1; n <= 4; ++n) {
        const auto& block = sim->memory(n).blocks.at(11);
        EXPECT_EQ(bigEndian16(block.data()), 1000 + n) << "register " << n;
    }
    EXPECT_EQ(host.headlines,
              (std::vector<std::string>{"Register # 1", "Register # 2", "Register # 3", "Register # 4"}));
    EXPECT_EQ(host.asked(opsmsg::kClearUpdateFile), 1) << "asked after the last register only";
    EXPECT_EQ(session.app, before);
    EXPECT_EQ(session.machineNumber, machineBefore);
    // Each frame went to its own register.
    std::vector<int> terminals;
    for (const auto& f : tap->frames())
        if (f.type() == 'U') terminals.push_back(f.terminal);
    EXPECT_EQ(terminals, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(RegisterOpsTransferTest, NetworkUpdateAboveLastTerminalSendsNothing) {
    makeProgram("net.app");
    startSim();
    host.targetChoice = {true, 3, 2};
    auto o = ops();
    EXPECT_FALSE(o.updateRegister());
    EXPECT_TRUE(tap->frames().empty());
}

// The smallest program needing exactly `bytes`: PLUs and modifiers are
// counted up until the requirement hits it.
bool tuneRequirement(ApplicationBlock& app, std::uint32_t bytes) {
    auto need = [&](int plus, int mods) {
        ApplicationBlock a = app;
        a.setU16(kPluCountOffset, static_cast<std::uint16_t>(plus));
        a.setU16(2163, static_cast<std::uint16_t>(mods));
        return static_cast<long>(recomputeSizes(a).bytes);
    };
    const long perPlu = need(1, 0) - need(0, 0);
    for (int mods = 0; mods <= 999; ++mods) {
        const long rest = static_cast<long>(bytes) - need(0, mods);
        if (rest < 0) break;
        if (perPlu > 0 && rest % perPlu == 0 && rest / perPlu <= 29999) {
            app.setU16(kPluCountOffset, static_cast<std::uint16_t>(rest / perPlu));
            app.setU16(2163, static_cast<std::uint16_t>(mods));
            return recomputeSizes(app).bytes == bytes;
        }
    }
    return false;
}

TEST_F(RegisterOpsTransferTest, MemoryCheckOfGenerationOne) {
    makeProgram("big.app");
    auto opts = fastSim();
    opts.identification = '1';
    startSim(opts);

    ASSERT_TRUE(tuneRequirement(session.app, kMemoryGeneration1 + 1));
    saveAndReload();
    auto o = ops();
    EXPECT_FALSE(o.clearAndInstallRegister());
    EXPECT_TRUE(host.shown(opsmsg::kNotEnoughMemory));
    EXPECT_EQ(sim->memory(1).clears, 0);

    ASSERT_TRUE(tuneRequirement(session.app, kMemoryGeneration1));
    saveAndReload();
    host.messages.clear();
    EXPECT_TRUE(o.clearAndInstallRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    EXPECT_EQ(sim->memory(1).clears, 1);
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
    makeProgram("shop.app");
    session.app.setOption(119, 1, true);
    saveAndReload();
    startSim();
    host.answers[opsmsg::kUploadCustomers] = false;
    auto o = ops();
    ASSERT_TRUE(o.clearAndInstallRegister());
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
    EXPECT_EQ(host.targetAllowedNetwork.size(), 1u);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(sim->memory(n).pluFileClears, 1) << n;
}

}  // namespace
}  // namespace tramond::testing
