// The real serial adapter over a pseudo-terminal against the simulated
// register: everything the transfers move, faults on the line, and Cancel.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "link/test_program.h"
#include "link/transfer.h"
#include "platform/serial_port_qt.h"
#include "regsim/channel.h"
#include "regsim/faulty_channel.h"
#include "regsim/simulator.h"

namespace tramond {
namespace {

using namespace tramond::test;
using namespace tramond::regsim;
using Bytes = std::vector<std::uint8_t>;

constexpr int kPcTimeoutMs = 150;

SimOptions fast(SimOptions o = {}) {
    // The register's time-outs relate to the PC's as the defaults do
    // (1000 / 1500 ms).
    o.replyTimeoutMs = kPcTimeoutMs * 3 / 2;
    o.retryQuietMs = kPcTimeoutMs * 3 / 2;
    o.drainQuietMs = kPcTimeoutMs / 3;
    o.byteTimeoutMs = kPcTimeoutMs / 2;
    return o;
}

// A simulated register on a pseudo-terminal, served on its own thread.
struct PtyRegister {
    RegisterSimulator sim;
    std::unique_ptr<TtyChannel> tty = TtyChannel::openPseudoTerminal();
    FaultyChannel line;
    SimulatorThread thread;
    PtyRegister(SimOptions o, LineFaults f = {}) : sim(o), line(*tty, f), thread(sim, line) {}
    std::string path() const { return tty->devicePath(); }
};

class LinkIntegration : public ::testing::Test {
protected:
    void start(SimOptions o = fast(), LineFaults f = {}) {
        reg = std::make_unique<PtyRegister>(o, f);
        ASSERT_TRUE(link.open({reg->path(), 38400, false, kPcTimeoutMs})) << reg->path();
        xfer.programPath = prog.app;
    }
    void TearDown() override {
        link.close();
        reg.reset();
    }

    ScratchDir dir{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    TestProgram prog{dir.path, 99};
    platform::QtSerialPort port;
    RegisterLink link{port};
    std::unique_ptr<PtyRegister> reg;
    ApplicationBlock app = prog.block;
    TextBlock text = prog.text;
    FileTransfer xfer{link, app, text};
};

TEST_F(LinkIntegration, WholeProgramTravelsBothWaysThroughTheSerialPort) {
    start();
    const long writesBefore = port.writeCalls();
    ASSERT_TRUE(xfer.sendRecords(kBlockFlags, 0));
    EXPECT_EQ(port.writeCalls() - writesBefore, 2);  // STX, then the whole frame

    for (const auto& sb : systemBlocks()) ASSERT_TRUE(xfer.sendRecords(sb.number, 0)) << sb.number;
    for (const auto& k : kindBlocks())
        ASSERT_TRUE(xfer.transferFileKind(k.extension, k.base, TransferDirection::Send, 4, 4)) << k.extension;
    ASSERT_TRUE(xfer.transferFileKind(".pxt", kBlockPbTrailer, TransferDirection::Send, 10, 9));
    ASSERT_TRUE(xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Send, 1, 1));
    EXPECT_EQ(link.linkError(), kLinkOk);

    ScratchDir dir2("integration_back");
    ApplicationBlock backApp;
    TextBlock backText;
    FileTransfer back{link, backApp, backText};
    back.programPath = dir2.path / "back.app";
    for (const auto& sb : systemBlocks()) ASSERT_TRUE(back.requestRecords(sb.number, 0)) << sb.number;
    for (const auto& k : kindBlocks())
        ASSERT_TRUE(back.transferFileKind(k.extension, k.base, TransferDirection::Receive, 4, 4)) << k.extension;
    ASSERT_TRUE(back.transferFileKind(".pxt", kBlockPbTrailer, TransferDirection::Receive, 1080, 9));
    ASSERT_TRUE(back.transferFileKind(".chk", kBlockChk, TransferDirection::Receive, 1, 1));

    prog.expectSystemBlocksReceived(backApp, backText);
    auto backFile = [&](std::string_view ext) {
        auto p = dir2.path / "back.app";
        p.replace_extension(std::string(ext));
        return readAll(p);
    };
    for (const auto& k : kindBlocks()) EXPECT_EQ(backFile(k.extension), readAll(prog.sibling(k.extension))) << k.extension;
    EXPECT_EQ(backFile(".pxt"), readAll(prog.sibling(".pxt")));
    const Bytes chk = readAll(prog.sibling(".chk"));
    EXPECT_EQ(backFile(".chk"), Bytes(chk.begin(), chk.begin() + 168));
}

TEST_F(LinkIntegration, ChkGoesToRegister3OfANetwork) {
    SimOptions o = fast();
    o.registers = 4;
    o.bytesBeforeSecondAck = 2;
    start(o);
    link.terminalNumber = 3;
    ASSERT_TRUE(xfer.transferFileKind(".chk", kBlockChk, TransferDirection::Send, 1, 1));
    const Bytes file = readAll(prog.sibling(".chk"));
    Bytes want(file.begin(), file.begin() + 56);
    want.insert(want.end(), file.begin() + 280, file.begin() + 392);
    swapChkBlock(want);
    EXPECT_EQ(reg->sim.memory(3).chk, want);
    EXPECT_EQ(reg->sim.memory(2).chk, Bytes(168, 0));
}

TEST_F(LinkIntegration, LogosOfEveryTypeRoundTrip) {
    start();
    std::mt19937 rng(5);
    for (int type : {1, 2, 3}) {
        app.setU8(kAppLogoSettingOffset, static_cast<std::uint8_t>(0x30 | type));  // high bits are not the type
        const auto g = *logoLayout(type);
        Bytes bmp = blankLogoBitmap(g);
        for (std::size_t i = 62; i < bmp.size(); ++i) bmp[i] = static_cast<std::uint8_t>(rng());
        writeAll(prog.sibling(".bmp"), bmp);
        reg->sim.memory(1).blocks[93] = systemBlockToWire(app, text, *findSystemBlock(93));
        ASSERT_TRUE(xfer.sendRecords(kBlockLogo, 0)) << type;
        EXPECT_EQ(reg->sim.memory(1).logoLines.size(), static_cast<std::size_t>(g.lastLine + 1));

        ScratchDir dir2("logo_back");
        xfer.programPath = dir2.path / "back.app";
        ASSERT_TRUE(xfer.receiveLogo()) << type;
        EXPECT_EQ(readAll(dir2.path / "back.bmp"), bmp) << "type " << type;
        xfer.programPath = prog.app;
        reg->sim.memory(1).logoLines.clear();
    }
}

TEST_F(LinkIntegration, OnePercentCorruptionIsSurvivedByRetriesWithIdenticalData) {
    LineFaults f;
    f.corruptToRegister = 0.01;
    f.corruptToPc = 0.01;
    f.seed = 20261208;
    if (const char* s = std::getenv("TRAMOND_FAULT_SEED")) f.seed = static_cast<std::uint32_t>(std::atoi(s));
    start(fast(), f);
    // Kinds with short records: a block of a few dozen bytes, as most are.
    const char* kinds[] = {".cor", ".drw", ".pbf", ".tax", ".sps", ".dis", ".grp"};
    for (const char* ext : kinds) {
        const KindBlock& k = *findKindByExtension(ext);
        ASSERT_TRUE(xfer.transferFileKind(ext, k.base, TransferDirection::Send, 4, 4)) << ext;
    }
    for (std::uint16_t b : {5, 6, 81, 82, 83, 84, 1000, 2100, 4500}) ASSERT_TRUE(xfer.sendRecords(b, 0)) << b;

    ScratchDir dir2("corrupt_back");
    ApplicationBlock backApp = prog.block;
    TextBlock backText;
    FileTransfer back{link, backApp, backText};
    back.programPath = dir2.path / "back.app";
    for (const char* ext : kinds) {
        const KindBlock& k = *findKindByExtension(ext);
        ASSERT_TRUE(back.transferFileKind(ext, k.base, TransferDirection::Receive, 4, 4)) << ext;
        auto p = dir2.path / "back.app";
        p.replace_extension(ext);
        EXPECT_EQ(readAll(p), readAll(prog.sibling(ext))) << ext;
    }
    ApplicationBlock zero;
    backApp = zero;
    for (std::uint16_t b : {5, 6, 81, 82, 83, 84, 1000, 2100, 4500}) {
        ASSERT_TRUE(back.requestRecords(b, 0)) << b;
        const SystemBlock& sb = *findSystemBlock(b);
        auto want = prog.block.slice(sb.offset, sb.length);
        auto got = backApp.slice(sb.offset, sb.length);
        EXPECT_EQ(Bytes(got.begin(), got.end()), Bytes(want.begin(), want.end())) << b;
    }
    EXPECT_EQ(link.linkError(), kLinkOk);
}

TEST_F(LinkIntegration, SilentRegisterFailsWithLinkError2AfterTenAttempts) {
    SimOptions o = fast();
    o.silent = true;
    start(o);
    const long before = port.writeCalls();
    EXPECT_FALSE(xfer.requestRecords(kBlockIdentification, 0));
    EXPECT_EQ(link.linkError(), kLinkFailure);
    EXPECT_EQ(port.writeCalls() - before, 10);  // ten STX, never a frame
    // Everything after it fails at once without touching the line.
    EXPECT_FALSE(xfer.sendRecords(kBlockFlags, 0));
    EXPECT_EQ(port.writeCalls() - before, 10);
}

TEST_F(LinkIntegration, IdentificationAnsweredOnlyOnTheSecondRequest) {
    SimOptions o = fast();
    o.identifyOnSecondRequest = true;
    o.identification = 'a';
    start(o);
    EXPECT_FALSE(xfer.requestRecords(kBlockIdentification, 0));
    EXPECT_EQ(link.linkError(), kLinkOk);  // receiving does not set it
    ASSERT_TRUE(xfer.requestRecords(kBlockIdentification, 0));
    EXPECT_EQ(xfer.identification()[7], 'a');
}

TEST_F(LinkIntegration, CancelFromAnotherThreadStopsAtTheNextBlock) {
    SimOptions o = fast();
    o.answerDelayMs = 5;
    start(o);
    app.setU16(findSystemBlock(5000)->offset, 60);
    std::vector<std::uint8_t> many(60 * 39, 0x11);
    writeAll(prog.sibling(".dpt"), many);
    std::atomic<int> sent{0};
    bool result = true;
    // The transfer owns the port from its own thread, as the application's
    // worker does; this thread plays the Cancel button.
    link.close();
    std::thread worker([&] {
        platform::QtSerialPort workerPort;
        RegisterLink workerLink(workerPort);
        ASSERT_TRUE(workerLink.open({reg->path(), 38400, false, kPcTimeoutMs}));
        FileTransfer t{workerLink, app, text};
        t.programPath = prog.app;
        t.pump = [&] {
            if (++sent == 6) workerLink.cancel();
        };
        result = t.transferFileKind(".dpt", 5000, TransferDirection::Send, 60, 60);
        EXPECT_EQ(workerLink.linkError(), kUserBreak);
        workerLink.close();
    });
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(reg->sim.memory(1).records.size(), 5u);
}

}  // namespace
}  // namespace tramond
