// What the simulated register answers: the commands the register operations
// rely on, and a repeated block that the PC must not store twice.

#include "regsim/simulator.h"

#include <gtest/gtest.h>

#include "link/fake_port.h"
#include "link/test_program.h"
#include "link/transfer.h"
#include "regsim/loopback.h"

namespace tramond {
namespace {

using namespace tramond::test;
using Bytes = std::vector<std::uint8_t>;

class SimulatorCommands : public ::testing::Test {
protected:
    static regsim::SimOptions opts() {
        regsim::SimOptions o;
        o.replyTimeoutMs = o.retryQuietMs = 150;
        o.byteTimeoutMs = 50;
        o.drainQuietMs = 30;
        o.identification = '1';
        return o;
    }
    void SetUp() override { ASSERT_TRUE(link.open({"SIM", 38400, false, 100})); }
    bool send(Bytes payload) { return link.sendBlock(payload); }
    int answer() {
        for (int i = 0; i < 5; ++i)
            if (int c = link.receiveBlock()) return c;
        return 0;
    }

    regsim::RegisterSimulator sim{opts()};
    regsim::LoopbackLine line;
    regsim::SimulatorThread thread{sim, line.registerSide()};
    RegisterLink link{line.pc()};
};

TEST_F(SimulatorCommands, ClrAndPluInsertDeleteAreAnsweredWithABlockButReplaceAndEndsAreNot) {
    ASSERT_TRUE(send({'C', 'L', 'R'}));
    EXPECT_GT(answer(), 0);
    EXPECT_EQ(sim.memory(1).clears, 1);

    Bytes insert(140, 0);
    insert[0] = 'U';
    putBigEndian16(&insert[1], kCmdPluInsert);
    insert[3 + 2] = 0x12;  // code at record offset 2
    ASSERT_TRUE(send(insert));
    EXPECT_GT(answer(), 0);
    EXPECT_EQ(sim.memory(1).codedPlus.size(), 1u);

    Bytes replace = insert;
    putBigEndian16(&replace[1], kCmdPluReplace);
    ASSERT_TRUE(send(replace));
    EXPECT_EQ(link.receiveBlock(), 0);  // nothing follows

    Bytes del(140, 0);
    del[0] = 'U';
    putBigEndian16(&del[1], kCmdPluDelete);
    del[3] = 0x12;
    ASSERT_TRUE(send(del));
    EXPECT_GT(answer(), 0);
    EXPECT_TRUE(sim.memory(1).codedPlus.empty());

    ASSERT_TRUE(send({'U', 0, kCmdPluSeriesEnd}));
    ASSERT_TRUE(send({'U', 0, kCmdClearPluFile}));
    EXPECT_EQ(sim.memory(1).pluSeriesEnds, 1);
    EXPECT_EQ(sim.memory(1).pluFileClears, 1);
    EXPECT_EQ(sim.memory(1).pluCommands.size(), 3u);
    EXPECT_EQ(link.linkError(), kLinkOk);
}

TEST_F(SimulatorCommands, IdentificationCarriesTheChosenGeneration) {
    ApplicationBlock app;
    TextBlock text;
    FileTransfer x(link, app, text);
    ASSERT_TRUE(x.requestRecords(kBlockIdentification, 0));
    EXPECT_EQ(x.identification()[7], '1');
}

// A register whose ACK from the PC got lost repeats the block; the PC has
// already stored it and must not append it a second time.
TEST(RequestRecords, ARepeatedRecordIsStoredOnce) {
    FakePort port;
    RegisterLink link(port);
    ASSERT_TRUE(link.open({"COM1", 38400, false, 1000}));
    auto block = [&](Bytes data) {
        port.queue({kStx, static_cast<int>(data.size())});
        std::uint8_t sum = static_cast<std::uint8_t>(kStx ^ data.size());
        for (auto b : data) {
            port.queue({b});
            sum ^= b;
        }
        port.queue({sum});
    };
    port.queue({kAck, kAck});  // the request
    Bytes rec(2 + 20, 0x33);
    putBigEndian16(rec.data(), 301);
    block(rec);
    block(rec);
    putBigEndian16(rec.data(), 302);
    block(rec);
    block({0, 0});

    ScratchDir dir("repeat");
    ApplicationBlock app;
    app.setU16(966, 2);
    TextBlock text;
    FileTransfer x(link, app, text);
    ASSERT_TRUE(x.file().create(dir.path / "p.cor"));
    ASSERT_TRUE(x.requestRecords(301, 302));
    x.file().close();
    EXPECT_EQ(readAll(dir.path / "p.cor").size(), 40u);
}

}  // namespace
}  // namespace tramond
