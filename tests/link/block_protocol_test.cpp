#include "link/block_protocol.h"

#include <gtest/gtest.h>

#include "link/fake_port.h"

namespace tramond {
namespace {

using test::FakePort;
using Bytes = std::vector<std::uint8_t>;

class BlockProtocol : public ::testing::Test {
protected:
    FakePort port;
    RegisterLink link{port};
    void SetUp() override { ASSERT_TRUE(link.open({"COM1", 38400, false, 1000})); }
    const Bytes request1{'D', 0x00, 0x01};
};

TEST_F(BlockProtocol, DirectRequestMatchesTheWorkedExampleByteForByte) {
    port.queue({kAck, kAck});
    EXPECT_TRUE(link.sendBlock(request1));
    ASSERT_EQ(port.writes.size(), 2u);  // STX, then the whole frame in one call
    EXPECT_EQ(port.writes[0], (Bytes{0x02}));
    EXPECT_EQ(port.writes[1], (Bytes{0x03, 0x44, 0x00, 0x01, 0x44}));
}

TEST_F(BlockProtocol, NetworkRequestToRegister3MatchesTheWorkedExample) {
    link.terminalNumber = 3;
    port.queue({kAck, kAck, kAck});
    EXPECT_TRUE(link.sendBlock(request1));
    ASSERT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(port.writes[1], (Bytes{0x06, 0x48, 0x03, 0x03, 0x44, 0x00, 0x01, 0x09}));
}

TEST_F(BlockProtocol, AnswerBlockLandsAtPositionOneAndIsAcknowledged) {
    const int x = 0x11, y = 0x22, z = 0x33;
    port.queue({0x02, 0x05, 0x00, 0x05, x, y, z, 0x02 ^ 0x05 ^ 0x00 ^ 0x05 ^ x ^ y ^ z});
    EXPECT_EQ(link.receiveBlock(), 5);
    EXPECT_EQ(port.allWritten(), (Bytes{kAck, kAck}));
    const auto& rx = link.received();
    EXPECT_EQ((Bytes{rx[1], rx[2], rx[3], rx[4], rx[5]}), (Bytes{0x00, 0x05, 0x11, 0x22, 0x33}));
}

TEST_F(BlockProtocol, EveryAttemptCostsTwoWriteCallsWhateverThePayloadSize) {
    Bytes payload(243, 0x5A);
    port.queue({kAck, kAck});
    EXPECT_TRUE(link.sendBlock(payload));
    EXPECT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(port.writes[1].size(), 245u);  // count, 243 bytes, checksum

    port.writes.clear();
    link.terminalNumber = 7;
    port.queue({kAck, kNak, kAck, kAck, kAck});  // first attempt refused after the frame
    EXPECT_TRUE(link.sendBlock(payload));
    EXPECT_EQ(port.writes.size(), 4u);
}

TEST_F(BlockProtocol, EmptyPayloadIsNotSentAndCountsAsDelivered) {
    EXPECT_TRUE(link.sendBlock({}));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(link.linkError(), kLinkOk);
}

TEST_F(BlockProtocol, TenFailedAttemptsSetLinkFailure) {
    // A register that answers STX with NAK, then one that ACKs STX but not
    // the frame: each costs attempts; silence costs the rest.
    port.queue({kNak, kAck, kNak});
    EXPECT_FALSE(link.sendBlock(request1));
    EXPECT_EQ(link.linkError(), kLinkFailure);
    // 10 STX writes and one frame write.
    EXPECT_EQ(port.writes.size(), 11u);
    // While the error stands, nothing more reaches the wire and reads fail.
    port.writes.clear();
    port.queue({kAck, kAck});
    EXPECT_FALSE(link.sendBlock(request1));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(link.readByte(), -1);
    EXPECT_EQ(port.incoming.size(), 2u);
    // A new open clears it.
    ASSERT_TRUE(link.open({"COM1", 38400, false, 1000}));
    EXPECT_EQ(link.linkError(), kLinkOk);
}

TEST_F(BlockProtocol, UserBreakIsKeptWhenTheSendThenFails) {
    link.cancel();
    EXPECT_FALSE(link.sendBlock(request1));
    EXPECT_EQ(link.linkError(), kUserBreak);
    // A recorded link failure is not turned into a user break.
    link.setLinkError(kLinkFailure);
    link.cancel();
    EXPECT_EQ(link.linkError(), kLinkFailure);
}

TEST_F(BlockProtocol, NetworkSecondAckMayFollowUpToThreeOtherBytes) {
    link.terminalNumber = 2;
    port.queue({kAck, kAck, 0x00, 0x01, 0x02, kAck});
    EXPECT_TRUE(link.sendBlock(request1));
    EXPECT_EQ(port.writes.size(), 2u);

    // Four other bytes fail the attempt; the next attempt succeeds.
    port.writes.clear();
    port.queue({kAck, kAck, 0x00, 0x01, 0x02, 0x03, kAck, kAck, kAck});
    EXPECT_TRUE(link.sendBlock(request1));
    EXPECT_EQ(port.writes.size(), 4u);
}

TEST_F(BlockProtocol, NetworkCountWrapsModulo256) {
    link.terminalNumber = 1;
    Bytes payload(253, 0);
    port.queue({kAck, kAck, kAck});
    EXPECT_TRUE(link.sendBlock(payload));
    const auto& f = port.writes[1];
    EXPECT_EQ(f[0], 0x00);
    EXPECT_EQ(f[1], 0x48);
    EXPECT_EQ(f[2], 0x01);
    EXPECT_EQ(f[3], 253);
    std::uint8_t sum = kStx;
    for (std::size_t i = 0; i + 1 < f.size(); ++i) sum ^= f[i];
    EXPECT_EQ(f.back(), sum);
}

TEST_F(BlockProtocol, OversizedPayloadIsRefusedBeforeTheWire) {
    EXPECT_FALSE(link.sendBlock(Bytes(255, 1)));
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(BlockProtocol, BadChecksumIsAnsweredWithNaksUntilSilence) {
    port.queue({0x02, 0x02, 0x00, 0x00, 0x77, 0x02, 0x02, -1});
    EXPECT_EQ(link.receiveBlock(), 0);
    // ACK for the STX, then one NAK per drained byte, no ACK for the block.
    EXPECT_EQ(port.allWritten(), (Bytes{kAck, kNak, kNak}));
}

TEST_F(BlockProtocol, EndMarkerYieldsNothingWithoutAcknowledgingTheBlock) {
    port.queue({0x02, 0xFF, 0x09, -1});
    EXPECT_EQ(link.receiveBlock(), 0);
    EXPECT_EQ(port.allWritten(), (Bytes{kAck, kNak}));
}

TEST_F(BlockProtocol, ForeignFirstByteIsDrainedAndATimeoutIsJustNothing) {
    port.queue({0x41, 0x42, -1});
    EXPECT_EQ(link.receiveBlock(), 0);
    EXPECT_EQ(port.allWritten(), (Bytes{kNak}));
    port.writes.clear();
    EXPECT_EQ(link.receiveBlock(), 0);  // silence
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(BlockProtocol, BlockCutShortReturnsAtOnceWithoutDrain) {
    port.queue({0x02, 0x04, 0x00, -1, 0x99});
    EXPECT_EQ(link.receiveBlock(), 0);
    EXPECT_EQ(port.allWritten(), (Bytes{kAck}));
    EXPECT_EQ(port.incoming.size(), 1u);
    EXPECT_EQ(link.linkError(), kLinkOk);  // receiving never sets it
}

TEST(RegisterLinkOpen, FailureReportsCheckCommPortAndTimeoutsFollowTheUnattendedFlag) {
    FakePort port;
    RegisterLink link(port);
    std::string message;
    link.onMessage = [&](const std::string& m) { message = m; };
    port.openFails = true;
    EXPECT_FALSE(link.open({"COM9", 9600, true, RegisterLink::timeoutFor(false)}));
    EXPECT_EQ(message, "Check COMM Port!!");

    port.openFails = false;
    link.setLinkError(kLinkFailure);
    ASSERT_TRUE(link.open({"COM2", 9600, true, RegisterLink::timeoutFor(true)}));
    EXPECT_EQ(link.linkError(), kLinkOk);
    EXPECT_EQ(port.opened.timeoutMs, 2000);
    EXPECT_EQ(port.opened.baudRate, 9600);
    EXPECT_TRUE(port.opened.hwHandshake);
    link.readByte();
    EXPECT_EQ(port.readTimeouts.back(), kCancelSliceMs) << "waited in slices";
    EXPECT_EQ(RegisterLink::timeoutFor(false), 1000);
}

}  // namespace
}  // namespace tramond
