// The whole upload through the real port code over a pseudo-terminal,
// against the simulated loader and its faults.

#ifdef TRAMOND_HAVE_UPLOAD_PORT

#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

#include "handheld/os_upload.h"
#include "handheld/upload_fixture.h"
#include "integration/network_line.h"
#include "platform/upload_port_by_name.h"
#include "platform/upload_port_posix.h"

namespace tramond {
namespace {

using namespace tramond::test;
using Clock = std::chrono::steady_clock;

// The loader's waits, shortened; the pause per row is kept by the
// paced test only.
UploadTiming quick() {
    UploadTiming t;
    t.polls = 30;
    t.startMs = 20;
    t.rowPauseMs = 0;
    return t;
}

class Upload : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(dir); }

    UploadResult run(PtyLoader& loader, const HexImage* image, UploadTiming t = quick(),
                     const std::atomic<bool>* cancel = nullptr) {
        platform::PosixUploadPort port;
        EXPECT_TRUE(port.open(loader.path()));
        UploadHooks hooks;
        hooks.cancel = cancel;
        hooks.onStatus = [&](const std::string& s) { statuses.push_back(s); };
        auto r = uploadOnPort(port, image, hooks, t);
        port.close();
        return r;
    }

    std::filesystem::path dir = scratch(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::vector<std::string> statuses;
};

TEST_F(Upload, RandomImageArrivesWholeAndTheLoaderChecksumIsShown) {
    // Bytes from 0x0008 start and end in the middle of a row.
    const auto made = objcopyImage(dir, 4000, 8, 7);
    HexImage image;
    ASSERT_FALSE(loadHexFile(made.hex, image));
    PtyLoader loader;
    const auto r = run(loader, &image);

    ASSERT_EQ(r.outcome, UploadOutcome::Done) << r.status;
    EXPECT_EQ(r.expectedChecksum, r.checksum);
    const auto rep = loader.sim.report();
    EXPECT_EQ(rep.setupRecords, 4);
    EXPECT_EQ(rep.segments, (std::vector<std::uint16_t>{0x1000, 0x2000, 0x3000, 0x4000}));
    EXPECT_EQ(rep.dataRecords, image.usedRows());
    EXPECT_EQ(rep.badRecords, 0);
    for (std::size_t i = 0; i < made.bytes.size(); ++i) ASSERT_EQ(rep.memory[8 + i], made.bytes[i]) << i;
    // Row 0's blank columns travel as 0xFF and count in the sum.
    EXPECT_EQ(r.checksum, static_cast<std::uint16_t>(sumOf(made.bytes) + 0xFF * (8 + 8)));
    EXPECT_EQ(r.status, checksumText(static_cast<std::uint8_t>(r.checksum >> 8), static_cast<std::uint8_t>(r.checksum)));
    ASSERT_GE(statuses.size(), 4u);
    EXPECT_EQ(statuses[0], "Setting Up Speed.");
    EXPECT_EQ(statuses[1], "Clearing Tovik.");
    EXPECT_EQ(statuses[2], "WriteAdress: 4000:0000");
    EXPECT_EQ(statuses[3], "WriteAdress: 4000:0010");
}

TEST_F(Upload, EachFailureOfTheHandheldEndsWithItsText) {
    HexImage image;
    ASSERT_FALSE(loadHexText(":0100000011EE\n:00000001FF\n", image));
    struct Case {
        const char* name;
        handheldsim::LoaderOptions o;
        regsim::LineFaults f;
        UploadOutcome outcome;
        const char* text;
    };
    handheldsim::LoaderOptions noClear, noFinal, halfFinal;
    noClear.answerClear = false;
    noFinal.answerFinal = false;
    halfFinal.finalHalf = true;
    regsim::LineFaults garbled;
    garbled.corruptToRegister = 0.2;
    garbled.seed = 3;
    const Case cases[] = {
        {"no clear answer", noClear, {}, UploadOutcome::NotCleared, "Error: Tovik Not Cleared."},
        {"no final answer", noFinal, {}, UploadOutcome::ProgrammingFailed, "Error: Programming Failed."},
        {"half a final answer", halfFinal, {}, UploadOutcome::ProgrammingFailed, "Error: Programming Failed."},
    };
    for (const auto& c : cases) {
        PtyLoader loader(c.o, c.f);
        const auto r = run(loader, &image);
        EXPECT_EQ(r.outcome, c.outcome) << c.name;
        EXPECT_EQ(r.status, c.text) << c.name;
    }
    // Garbled bytes end in one of the handheld's failures, never in success.
    PtyLoader loader({}, garbled);
    const auto r = run(loader, &image);
    EXPECT_TRUE(r.outcome == UploadOutcome::NotCleared || r.outcome == UploadOutcome::ProgrammingFailed) << r.status;
}

// The handheld answers with the sum of what it stored: a byte changed on
// the way (or in a failing cell) shows there, and is no finished upload.
TEST_F(Upload, AChecksumThatIsNotTheImagesSumIsAFailedUpload) {
    const auto made = objcopyImage(dir, 256, 0, 13);
    HexImage image;
    ASSERT_FALSE(loadHexFile(made.hex, image));
    handheldsim::LoaderOptions badCell;
    badCell.badCell = 0x42;
    PtyLoader loader(badCell);
    const auto r = run(loader, &image);
    EXPECT_EQ(r.outcome, UploadOutcome::ChecksumMismatch) << r.status;
    EXPECT_EQ(r.expectedChecksum, sumOf(made.bytes));
    EXPECT_EQ(r.checksum, loader.sim.report().checksum);
    EXPECT_NE(r.checksum, r.expectedChecksum);
    EXPECT_EQ(r.status, checksumText(static_cast<std::uint8_t>(r.checksum >> 8), static_cast<std::uint8_t>(r.checksum)));
    EXPECT_NE(checksumComparison(r).find("Error: the image sent sums to"), std::string::npos) << checksumComparison(r);
}

// Noise after the wake-up is discarded until the line is quiet, even when
// there is more than the receive ring holds and DTR holds the rest back;
// a line that never stops is given up within the time bound.
TEST_F(Upload, NoiseAfterTheWakeUpIsDiscardedUntilTheLineIsQuiet) {
    HexImage image;
    ASSERT_FALSE(loadHexText(":0100000011EE\n:00000001FF\n", image));
    // More than the 3999-byte receive ring, but within what the line itself
    // buffers, so a loader whose noise is not taken never blocks the test.
    for (int noise : {500, 6000, 7500}) {
        handheldsim::LoaderOptions o;
        o.noiseBytes = noise;
        PtyLoader loader(o);
        const auto r = run(loader, &image);
        EXPECT_EQ(r.outcome, UploadOutcome::Done) << noise << " bytes: " << r.status;
    }
}

// A port that never stops talking: the discard ends within its bound and the
// clearing's own patience ends the upload.
class ChatteringPort : public UploadPort {
public:
    bool open(const std::string&) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool setBaud(int) override { return true; }
    bool setDtr(bool) override { return true; }
    int read(std::span<std::uint8_t> into, int) override {
        if (woken_.load()) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (auto& b : into.first(16)) b = 0x55;
        return 16;
    }
    int write(std::span<const std::uint8_t> bytes, int) override { return woken_.load() ? 0 : static_cast<int>(bytes.size()); }
    bool drain(int, int) override { return true; }
    void wake() override { woken_.store(true); }

private:
    bool open_ = false;
    std::atomic<bool> woken_{false};
};

TEST(UploadNoise, EndlessNoiseIsGivenUpWithinTheBound) {
    HexImage image;
    ASSERT_FALSE(loadHexText(":00000001FF\n", image));
    ChatteringPort port;
    ASSERT_TRUE(port.open("chatter"));
    UploadTiming t = quick();
    t.discardMs = 200;
    const auto start = Clock::now();
    const auto r = uploadOnPort(port, &image, {}, t);
    EXPECT_EQ(r.outcome, UploadOutcome::NotCleared) << r.status;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(Upload, StalledHandheldAbortsTheUploadInsteadOfDroppingBytes) {
    const auto made = objcopyImage(dir, 0x10000, 0, 9);
    HexImage image;
    ASSERT_FALSE(loadHexFile(made.hex, image));
    handheldsim::LoaderOptions o;
    o.stallAfterBytes = 200;
    PtyLoader loader(o);
    const auto start = Clock::now();
    const auto r = run(loader, &image);
    EXPECT_EQ(r.outcome, UploadOutcome::LinkFailed);
    EXPECT_EQ(r.status, "Error: Tovik Not Receiving.");
    EXPECT_LT(r.rowsSent, image.usedRows());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}

TEST_F(Upload, CancelStopsTheUploadAndFreesThePort) {
    const auto made = objcopyImage(dir, 0x8000, 0, 5);
    HexImage image;
    ASSERT_FALSE(loadHexFile(made.hex, image));
    PtyLoader loader;
    std::atomic<bool> cancel{false};
    UploadTiming t = quick();
    t.rowPauseMs = 2;  // long enough to cancel in the middle
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel.store(true);
    });
    const auto r = run(loader, &image, t, &cancel);
    canceller.join();
    EXPECT_EQ(r.outcome, UploadOutcome::Cancelled);
    EXPECT_EQ(r.status, "Upload Cancelled.");
    EXPECT_GT(r.rowsSent, 0);
    EXPECT_LT(r.rowsSent, image.usedRows());
    // Once the loader has given up on the broken record, the next upload on
    // the same line succeeds.
    HexImage small;
    ASSERT_FALSE(loadHexText(":00000001FF\n", small));
    std::this_thread::sleep_for(std::chrono::milliseconds(1700));
    EXPECT_EQ(run(loader, &small).outcome, UploadOutcome::Done);
}

TEST_F(Upload, WithTheRealTimingTheRowPauseIsOnTheLine) {
    const auto made = objcopyImage(dir, 6 * 16, 0, 11);
    HexImage image;
    ASSERT_FALSE(loadHexFile(made.hex, image));
    regsim::LineFaults paced;
    paced.paceBaud = 38400;
    PtyLoader loader({}, paced);
    const auto r = run(loader, &image, UploadTiming{});
    ASSERT_EQ(r.outcome, UploadOutcome::Done) << r.status;
    EXPECT_EQ(r.checksum, sumOf(made.bytes));
    const auto pauses = loader.sim.report().rowPausesUs;
    ASSERT_EQ(pauses.size(), 6u);
    EXPECT_GE(std::count_if(pauses.begin(), pauses.end(), [](long us) { return us >= 6000; }), 3);
}

TEST_F(Upload, NoFileAndNoPort) {
    PtyLoader loader;
    EXPECT_EQ(run(loader, nullptr).status, "No File Opend.");
    platform::PosixUploadPort port;
    EXPECT_FALSE(port.open((dir / "no-such-port").string()));
    EXPECT_FALSE(port.open("/dev/null")) << "not a terminal";
}

TEST_F(Upload, ThroughSer2netTheImageArrivesAtTheRatesTheUploadSets) {
    TRAMOND_REQUIRE_SER2NET();
    const auto made = objcopyImage(dir, 640, 0, 3);  // whole rows: no 0xFF padding in the sum
    HexImage image;
    ASSERT_FALSE(loadHexFile(made.hex, image));
    PtyLoader loader;
    testing::Ser2net server(loader.path());
    ASSERT_TRUE(server.started()) << server.log();

    platform::UploadPortByName raw;
    EXPECT_FALSE(raw.open(server.rawUrl())) << "a raw connection cannot follow the rate change";
    EXPECT_NE(raw.problem().find("rfc2217://127.0.0.1:"), std::string::npos) << raw.problem();

    platform::UploadPortByName port;
    ASSERT_TRUE(port.open(server.rfc2217Url())) << port.problem();
    // The loader's line, watched from its side: the wake-up at 9600 baud,
    // the records at 38400.
    std::atomic<bool> done{false};
    std::set<int> rates;
    std::thread watch([&] {
        while (!done.load()) {
            rates.insert(loader.tty->lineBaud());
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    const auto r = uploadOnPort(port, &image, {}, quick());
    done.store(true);
    watch.join();
    port.close();
    ASSERT_EQ(r.outcome, UploadOutcome::Done) << r.status << " " << port.problem();
    const auto rep = loader.sim.report();
    EXPECT_EQ(rep.dataRecords, image.usedRows());
    EXPECT_EQ(rep.badRecords, 0);
    for (std::size_t i = 0; i < made.bytes.size(); ++i) ASSERT_EQ(rep.memory[i], made.bytes[i]) << i;
    EXPECT_EQ(r.checksum, sumOf(made.bytes));
    EXPECT_TRUE(rates.count(9600) && rates.count(38400)) << "both rates reached the loader's line";
}

TEST(UploadLinkReceive, FullReceiveRingHoldsTheHandheldAndLosesNothing) {
    auto tty = regsim::TtyChannel::openPseudoTerminal();
    platform::PosixUploadPort port;
    ASSERT_TRUE(port.open(tty->devicePath()));
    UploadLink link(port);
    link.start();
    std::vector<std::uint8_t> sent(9000);
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<std::uint8_t>(i * 13 + (i >> 9));
    tty->write(sent);
    // Nobody reads until the ring has filled.
    for (int i = 0; i < 200 && link.dtrHolds() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(link.dtrHolds(), 1);
    std::size_t got = 0;
    int wrong = 0;
    // The receive thread waits for an empty ring before it reads on.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (got < sent.size() && Clock::now() < deadline) {
        const int b = link.getRxByte();
        if (b >= 0) wrong += b != sent[got++];
    }
    EXPECT_EQ(got, sent.size());
    EXPECT_EQ(wrong, 0);
    link.stop();
    port.close();
}

}  // namespace
}  // namespace tramond

#endif
