// File transfers against the simulated register over an in-process line.

#include "link/transfer.h"
#include "program/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "link/test_program.h"
#include "regsim/loopback.h"
#include "regsim/simulator.h"

namespace tramond {
namespace {

using namespace tramond::test;
using regsim::LoopbackLine;
using regsim::RegisterSimulator;
using regsim::SimOptions;
using regsim::SimulatorThread;
using Bytes = std::vector<std::uint8_t>;

SimOptions fastOptions(int registers = 1) {
    SimOptions o;
    o.registers = registers;
    o.replyTimeoutMs = 150;
    o.retryQuietMs = 150;
    o.byteTimeoutMs = 50;
    o.drainQuietMs = 40;
    return o;
}

// A PC with a loaded program and a register on the other end of the line.
class TransferTest : public ::testing::Test {
protected:
    explicit TransferTest(int registers = 1) : sim(fastOptions(registers)) {}
    void SetUp() override {
        thread = std::make_unique<SimulatorThread>(sim, line.registerSide());
        ASSERT_TRUE(link.open({"SIM", 38400, false, 100}));
        xfer.programPath = prog.app;
    }
    void TearDown() override { thread.reset(); }

    ScratchDir dir{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    TestProgram prog{dir.path, 7};
    RegisterSimulator sim;
    LoopbackLine line;
    std::unique_ptr<SimulatorThread> thread;
    RegisterLink link{line.pc()};
    ApplicationBlock app = prog.block;
    TextBlock text = prog.text;
    FileTransfer xfer{link, app, text};
};

TEST_F(TransferTest, SystemBlocksTravelBothWaysAndBlock3ComesBackWithField16Cleared) {
    for (const auto& sb : systemBlocks()) ASSERT_TRUE(xfer.sendRecords(sb.number, 0)) << sb.number;
    EXPECT_EQ(xfer.progress.counter(), static_cast<int>(systemBlocks().size()));

    // Big-endian on the wire: the first word of the department header is its
    // count, and block 3's first 32-bit field arrives most significant byte first.
    const auto& m = sim.memory(1);
    EXPECT_EQ(bigEndian16(m.blocks.at(5000).data()), 4);
    const std::uint32_t f0 = prog.block.u32(703);
    EXPECT_EQ(m.blocks.at(3)[0], f0 >> 24);
    EXPECT_EQ(m.blocks.at(3)[3], f0 & 0xFF);
    EXPECT_EQ(m.blocks.at(30), Bytes(prog.text.bytes().begin(), prog.text.bytes().begin() + 238));

    ApplicationBlock backApp;
    TextBlock backText;
    FileTransfer back{link, backApp, backText};
    for (const auto& sb : systemBlocks()) ASSERT_TRUE(back.requestRecords(sb.number, 0)) << sb.number;
    prog.expectSystemBlocksReceived(backApp, backText);
}

TEST_F(TransferTest, EveryRecordKindTravelsBothWaysWithItsBigEndianWords) {
    for (const auto& k : kindBlocks())
        ASSERT_TRUE(xfer.transferFileKind(k.extension, k.base, TransferDirection::Send, 4, 4)) << k.extension;

    const auto& m = sim.memory(1);
    for (const auto& k : kindBlocks()) {
        const Bytes file = readAll(prog.sibling(k.extension));
        for (std::uint16_t n = 1; n <= 4; ++n) {
            const Bytes& wire = m.records.at(static_cast<std::uint16_t>(k.base + n));
            const std::size_t at = (n - 1) * k.recordSize;
            for (int w = 0; w < k.wordCount; ++w) {
                EXPECT_EQ(wire[k.words[w]], file[at + k.words[w] + 1]) << k.extension;
                EXPECT_EQ(wire[k.words[w] + 1], file[at + k.words[w]]) << k.extension;
            }
            // The byte after the last swapped word travels unchanged.
            EXPECT_EQ(wire[k.recordSize - 1], file[at + k.recordSize - 1]) << k.extension;
        }
    }
    // Random-code size 0: PLU word 82 is big-endian too.
    const Bytes plu = readAll(prog.sibling(".plu"));
    EXPECT_EQ(m.records.at(10001)[82], plu[83]);

    ScratchDir dir2("receive_kinds");
    xfer.programPath = dir2.path / "copy.app";
    for (const auto& k : kindBlocks())
        ASSERT_TRUE(xfer.transferFileKind(k.extension, k.base, TransferDirection::Receive, 4, 4)) << k.extension;
    for (const auto& k : kindBlocks()) {
        auto p = dir2.path / "copy.app";
        p.replace_extension(std::string(k.extension));
        EXPECT_EQ(readAll(p), readAll(prog.sibling(k.extension))) << k.extension;
    }
}

TEST_F(TransferTest, ACountOfZeroMovesNothingAndSendsNoRequest) {
    const long before = sim.blocksReceived();
    EXPECT_TRUE(xfer.transferFileKind(".dpt", 5000, TransferDirection::Receive, 0, 0));
    EXPECT_TRUE(xfer.transferFileKind(".dpt", 5000, TransferDirection::Send, 0, 0));
    EXPECT_EQ(sim.blocksReceived(), before);
    EXPECT_EQ(readAll(prog.sibling(".dpt")).size(), 4u * 39);  // untouched
}

TEST_F(TransferTest, PbTrailerPiecesCarryIndicesZeroToFortyFiveAndComeBackWhole) {
    ASSERT_TRUE(xfer.transferFileKind(".pxt", kBlockPbTrailer, TransferDirection::Send, 10, 9));
    const Bytes pxtFile = readAll(prog.sibling(".pxt"));
    for (std::size_t i = 0; i < pxtFile.size(); ++i) ASSERT_EQ(sim.memory(1).pxt.at(i), pxtFile[i]) << i;

    ScratchDir dir2("receive_pxt");
    xfer.programPath = dir2.path / "copy.app";
    ASSERT_TRUE(xfer.transferFileKind(".pxt", kBlockPbTrailer, TransferDirection::Receive, 1080, 9));
    EXPECT_EQ(readAll(dir2.path / "copy.pxt"), readAll(prog.sibling(".pxt")));
}

TEST_F(TransferTest, PluListOrderRenumbersConsecutively) {
    prog.block.setU8(kAppPluRandomSizeOffset, 5);
    app.setU8(kAppPluRandomSizeOffset, 5);
    const std::vector<std::uint32_t> order = {3, 1, 4};
    ASSERT_TRUE(xfer.transferFileKind(".plu", 10000, TransferDirection::SendPluListOrder, 3, 3, order));
    const Bytes file = readAll(prog.sibling(".plu"));
    const auto& m = sim.memory(1);
    for (std::size_t j = 0; j < order.size(); ++j) {
        Bytes want(file.begin() + (order[j] - 1) * 137, file.begin() + order[j] * 137);
        std::swap(want[0], want[1]);
        std::swap(want[34], want[35]);  // and not 82: the PLUs carry codes
        EXPECT_EQ(m.records.at(static_cast<std::uint16_t>(10001 + j)), want);
    }
    EXPECT_EQ(m.records.count(10004), 0u);
}

TEST_F(TransferTest, CancelStopsAtTheNextBlock) {
    int blocks = 0;
    xfer.pump = [&] {
        if (++blocks == 3) link.cancel();
    };
    app.setU16(1059, 40);
    EXPECT_FALSE(xfer.transferFileKind(".dpt", 5000, TransferDirection::Send, 4, 4));
    EXPECT_EQ(link.linkError(), kUserBreak);
    // The pump runs before the first record and after each; the third call
    // came after record 2.
    EXPECT_EQ(sim.memory(1).records.size(), 2u);
    EXPECT_FALSE(xfer.transferFileKind(".grp", 4000, TransferDirection::Send, 4, 4));
    EXPECT_EQ(sim.memory(1).records.size(), 2u);
}

TEST_F(TransferTest, IdentificationAndCustomerRecordsAreSingleAnswers) {
    ASSERT_TRUE(xfer.requestRecords(kBlockIdentification, 0));
    ASSERT_TRUE(xfer.identificationReceived());
    EXPECT_EQ(xfer.identification()[7], '2');

    ASSERT_TRUE(xfer.transferFileKind(".cst", kBlockCustomer, TransferDirection::Send, 3, 3));
    // Stored under the customer number the record carries in its word 0.
    const Bytes cst = readAll(prog.sibling(".cst"));
    const std::uint16_t number1 = static_cast<std::uint16_t>(cst[0] | (cst[1] << 8));
    ASSERT_TRUE(sim.memory(1).customers.count(number1));

    ScratchDir dir2("receive_cst");
    xfer.programPath = dir2.path / "copy.app";
    xfer.file().create(dir2.path / "copy.cst");
    ASSERT_TRUE(xfer.requestRecords(kBlockCustomer, number1));
    xfer.file().close();
    const Bytes got = readAll(dir2.path / "copy.cst");
    EXPECT_EQ(got, Bytes(cst.begin(), cst.begin() + 125));
    // Nothing is left on the line: the next exchange works at once.
    EXPECT_TRUE(xfer.requestRecords(kBlockIdentification, 0));
}

// A disk that is full: "Error opening File !!" alone would leave the dealer
// guessing which file and why.
TEST_F(TransferTest, AFileThatCannotBeWrittenIsNamedWithItsReason) {
    ScratchDir dir2("receive_full");
    xfer.programPath = dir2.path / "copy.app";
    setWriteFaultHookForTesting([](WriteStage, std::size_t) { return true; });
    const struct {
        const char* extension;
        std::uint32_t base;
    } kinds[] = {{".chk", kBlockChk}, {".dpt", 5000}};
    for (const auto& k : kinds) {
        FileTransfer fresh{link, app, text};
        fresh.programPath = xfer.programPath;
        EXPECT_FALSE(fresh.transferFileKind(k.extension, k.base, TransferDirection::Receive, 1, 1));
        const auto& why = fresh.fileError();
        if (k.base == kBlockChk) { EXPECT_TRUE(why.starts_with("Error opening File !! (")) << why; }
        EXPECT_NE(why.find(std::string("copy") + k.extension), std::string::npos) << why;
        EXPECT_TRUE(why.find("No space left on device") != std::string::npos ||
                    why.find("Input/output error") != std::string::npos)
            << why;
    }
    setWriteFaultHookForTesting(nullptr);
}

class NetworkTransferTest : public TransferTest {
protected:
    NetworkTransferTest() : TransferTest(4) {}
};

TEST_F(NetworkTransferTest, ChkToRegister3SendsTheCommonBytesAndItsOwnPart) {
    link.terminalNumber = 3;
    ASSERT_TRUE(xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Send, 1, 1));
    const Bytes file = readAll(prog.sibling(".chk"));
    Bytes want(file.begin(), file.begin() + 56);
    want.insert(want.end(), file.begin() + 280, file.begin() + 392);
    swapChkBlock(want);
    EXPECT_EQ(sim.memory(3).chk, want);
    EXPECT_EQ(sim.memory(1).chk, Bytes(168, 0));
    EXPECT_EQ(want[0], file[1]);  // word 0 big-endian
    EXPECT_EQ(want[114], file[280 + 114 - 56 + 1]);

    // A register the file holds no part for gets the default part, and the
    // transfer says so; the common bytes are still the file's.
    writeAll(prog.sibling(".chk"), Bytes(file.begin(), file.begin() + 168));
    ASSERT_TRUE(xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Send, 1, 1));
    Bytes defaulted(file.begin(), file.begin() + 56);
    const auto part = defaultConfigPart();
    defaulted.insert(defaulted.end(), part.begin(), part.end());
    swapChkBlock(defaulted);
    EXPECT_EQ(sim.memory(3).chk, defaulted);
    EXPECT_NE(xfer.progress.state().note.find("Register # 3"), std::string::npos);

    // Received from register 3, its part lands at its own place: sent back
    // to register 3 it is the same part, not the default.
    Bytes wire = prog.randomBytes(168);
    sim.memory(3).chk = wire;
    ASSERT_TRUE(xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Receive, 1, 1));
    const Bytes received = readAll(prog.sibling(".chk"));
    ASSERT_EQ(received.size(), 56u + 3 * 112u);
    Bytes plain = wire;
    swapChkBlock(plain);
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 56, received.begin()));
    EXPECT_TRUE(std::equal(plain.begin() + 56, plain.end(), received.begin() + 280));
    sim.memory(3).chk.clear();
    xfer.progress.setNote({});
    ASSERT_TRUE(xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Send, 1, 1));
    EXPECT_EQ(sim.memory(3).chk, wire);
    EXPECT_TRUE(xfer.progress.state().note.empty());

    // A register beyond the network does not answer: ten attempts, link failure.
    link.terminalNumber = 9;
    EXPECT_FALSE(xfer.sendRecords(kBlockFlags, 0));
    EXPECT_EQ(link.linkError(), kLinkFailure);
}

}  // namespace
}  // namespace tramond
