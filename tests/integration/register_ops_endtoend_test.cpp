// The register operations end to end: the command-line runner and the
// operations, through the real serial adapter over a pseudo-terminal, to
// the simulated register.

#include "endtoend_fixture.h"

namespace tramond::testing {
namespace {

TEST_F(RegisterOpsEndToEnd, ReadClearInstallAndReadBack) {
    const auto source = makeProgram("src/source.app", 0x41);
    start();
    reg->sim.memory(1).seedFromProgram(source, 0);

    // A register read into a new program.
    const auto first = dir / "first.app";
    ASSERT_EQ(run({first.string(), "read", "0", port(), "38400"}), kExitSucceeded) << err.str();
    expectSameProgram(source, first);
    EXPECT_EQ(fileBytes(fs::path(first).replace_extension(".upd")).size(), 0u);

    // That program into a cleared register, and back again.
    start();
    ASSERT_EQ(run({"--yes", first.string(), "clinst", "0", port(), "38400"}), kExitSucceeded) << err.str();
    EXPECT_EQ(reg->sim.memory(1).clears, 1);
    EXPECT_FALSE(fs::exists(fs::path(first).replace_extension(".upd"))) << "the register holds exactly it";
    const auto second = dir / "second.app";
    ASSERT_EQ(run({second.string(), "read", "0", port(), "38400"}), kExitSucceeded) << err.str();
    expectSameProgram(first, second);
}

TEST_F(RegisterOpsEndToEnd, UpdateSendsTheListedCodesInGroupOrder) {
    const auto program = makeProgram("shop.app", 0x42);
    start();
    reg->sim.memory(1).seedFromProgram(program, 0);
    const std::string list = "000005002\r\n000000301\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), {list.begin(), list.end()});
    ASSERT_EQ(run({program.string(), "update", "0", port(), "38400"}), kExitSucceeded) << err.str();
    EXPECT_EQ(reg->tap.numbers('U'), (std::vector<std::uint16_t>{301, 5002}));
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".upd")).size(), list.size())
        << "never cleared unattended";
}

TEST_F(RegisterOpsEndToEnd, PluLinesInCodeMode) {
    const auto program = makeProgram("coded.app", 0x43);
    {
        auto app = fileBytes(program);
        app[kAppPluRandomSizeOffset] = 4;
        writeBytes(program, app);
        auto plu = fileBytes(fs::path(program).replace_extension(".plu"));
        for (std::size_t r = 0; r < 10; ++r) plu[r * 137 + 2] = static_cast<std::uint8_t>(0x10 + r);
        writeBytes(fs::path(program).replace_extension(".plu"), plu);
        // A load recomputes the memory map and writes it back, as any
        // change through the dialogs would have.
        ProgramSession s;
        ASSERT_TRUE(loadProgram(s, program).ok());
    }
    start();
    reg->sim.memory(1).seedFromProgram(program, 0);
    const std::string list = pluUpdateLine('N', "15", 6) + "\r\n" + pluUpdateLine('R', "11", 2) + "\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), {list.begin(), list.end()});
    ASSERT_EQ(run({program.string(), "update", "0", port(), "38400"}), kExitSucceeded) << err.str();
    EXPECT_EQ(reg->tap.numbers('U'), (std::vector<std::uint16_t>{101, 100, 105}));

    // A position that is not a number: the message, a nonzero status.
    const std::string bad = "R00000000000011AB12300\r\n";
    writeBytes(fs::path(program).replace_extension(".upd"), {bad.begin(), bad.end()});
    reg->tap.reset();
    EXPECT_EQ(run({program.string(), "update", "0", port(), "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("Value in upd file is not valid integer!"), std::string::npos);
    EXPECT_TRUE(reg->tap.numbers('U').empty());
}

TEST_F(RegisterOpsEndToEnd, NetworkUpdateWithIndividualKeyboards) {
    const auto program = makeProgram("net.app", 0x44);
    ProgramSession session;
    ASSERT_TRUE(loadProgram(session, program).ok());
    session.app.setFlag(78, 4);
    session.app.setBit(2566, 0, true);
    writeBytes(program, {session.app.bytes().begin(), session.app.bytes().end()});
    ASSERT_TRUE(loadProgram(session, program).ok());
    for (int n = 1; n <= 4; ++n) {
        const auto kb = fileset::keyboardFile(program, n);
        writeBytes(kb, std::vector<std::uint8_t>(kKeyRecordsOffset + 169 * 276, 0));
        ApplicationBlock a = session.app;
        a.setU16(365, static_cast<std::uint16_t>(2000 + n));
        writeKeyboardHeader(kb, a);
    }
    auto o = fast();
    o.registers = 4;
    start(o);
    for (int n = 1; n <= 4; ++n) reg->sim.memory(n).seedFromProgram(program, n);
    writeBytes(fs::path(program).replace_extension(".upd"), {'0', '0', '0', '0', '0', '0', '0', '1', '1'});

    ScriptedHost host;
    host.targetChoice = {true, 1, 4};
    platform::QtSerialPort serial;
    RegisterOpsConfig config;
    config.link.port = port();
    config.timeoutMs = kPcTimeoutMs;
    RegisterOperations ops(session, serial, host, config);
    const auto before = session.app;
    const int machineBefore = session.machineNumber;
    ASSERT_TRUE(ops.updateRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(bigEndian16(reg->sim.memory(n).blocks.at(11).data()), 2000 + n) << "register " << n;
    EXPECT_EQ(host.headlines,
              (std::vector<std::string>{"Register # 1", "Register # 2", "Register # 3", "Register # 4"}));
    EXPECT_EQ(host.asked(opsmsg::kClearUpdateFile), 1) << "asked after the last register only";
    EXPECT_EQ(session.app, before) << "the program's own settings are back";
    EXPECT_EQ(session.machineNumber, machineBefore);
    std::vector<int> terminals;
    for (const auto& f : reg->tap.frames())
        if (f.type() == 'U') terminals.push_back(f.terminal);
    EXPECT_EQ(terminals, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(RegisterOpsEndToEnd, MemoryCheckAtTheGenerationOneLimit) {
    const auto program = makeProgram("big.app", 0x45);
    ProgramSession session;
    ASSERT_TRUE(loadProgram(session, program).ok());
    // Modifiers and PLUs until the requirement is exactly the limit.
    auto tune = [&](std::uint32_t bytes) {
        auto need = [&](int plus, int mods) {
            ApplicationBlock a = session.app;
            a.setU16(2227, static_cast<std::uint16_t>(plus));
            a.setU16(2163, static_cast<std::uint16_t>(mods));
            return static_cast<long>(recomputeSizes(a).bytes);
        };
        const long perPlu = need(1, 0) - need(0, 0);
        for (int mods = 0; mods <= 999; ++mods) {
            const long rest = static_cast<long>(bytes) - need(0, mods);
            if (rest >= 0 && rest % perPlu == 0) {
                session.app.setU16(2227, static_cast<std::uint16_t>(rest / perPlu));
                session.app.setU16(2163, static_cast<std::uint16_t>(mods));
                writeBytes(program, {session.app.bytes().begin(), session.app.bytes().end()});
                // The record files hold what the counts promise; a send
                // refuses files too short for their counts.
                for (const char* ext : {".plu", ".mod"}) {
                    const auto* kind = findKindByExtension(ext);
                    fs::resize_file(fs::path(program).replace_extension(ext),
                                    std::uintmax_t{kindCount(session.app, *kind)} * kind->recordSize);
                }
                ProgramSession check;
                return loadProgram(check, program).ok() && check.loaded &&
                       recomputeSizes(check.app).bytes == bytes;
            }
        }
        return false;
    };
    auto o = fast();
    o.identification = '1';
    start(o);
    ASSERT_TRUE(tune(kMemoryGeneration1 + 1));
    EXPECT_EQ(run({"--yes", program.string(), "clinst", "0", port(), "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("Application needs more memory than available."), std::string::npos);
    EXPECT_EQ(reg->sim.memory(1).clears, 0);

    ASSERT_TRUE(tune(kMemoryGeneration1));
    EXPECT_EQ(run({"--yes", program.string(), "clinst", "0", port(), "38400"}), kExitSucceeded) << err.str();
    EXPECT_EQ(reg->sim.memory(1).clears, 1);
}

TEST_F(RegisterOpsEndToEnd, IdentificationOnlyOnTheSecondRequest) {
    const auto source = makeProgram("src/source.app", 0x46);
    auto o = fast();
    o.identifyOnSecondRequest = true;
    start(o);
    reg->sim.memory(1).seedFromProgram(source, 0);
    const auto target = dir / "read.app";
    ASSERT_EQ(run({target.string(), "read", "0", port(), "38400"}), kExitSucceeded) << err.str();
    expectSameProgram(source, target);
}

TEST_F(RegisterOpsEndToEnd, RegisterSilentMidInstall) {
    const auto program = makeProgram("shop.app", 0x47);
    auto o = fast();
    o.silentAfterBlocks = 200;
    start(o);
    EXPECT_EQ(run({"--yes", program.string(), "clinst", "0", port(), "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("Check RS232 Connection !!"), std::string::npos);
}

TEST_F(RegisterOpsEndToEnd, BrokenReadLeavesTheProgramOnDisk) {
    const auto existing = makeProgram("shop.app", 0x48);
    const auto other = makeProgram("src/other.app", 0x49);
    auto o = fast();
    o.silentAfterBlocks = 90;
    start(o);
    reg->sim.memory(1).seedFromProgram(other, 0);
    fs::remove_all(dir / "src");
    const auto before = folderPicture(dir);
    EXPECT_EQ(run({"--yes", existing.string(), "read", "0", port(), "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("Check RS232 Connection !!"), std::string::npos);
    EXPECT_EQ(folderPicture(dir), before);
}

}  // namespace
}  // namespace tramond::testing
