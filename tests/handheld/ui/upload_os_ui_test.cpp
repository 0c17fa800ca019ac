// "tramond upload-os" and the Upload Tovik OS dialog, end to end over a
// pseudo-terminal against the simulated loader.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <sstream>

#include "app/app_test_support.h"
#include "handheld/ui/handheld_verbs.h"
#include "handheld/ui/upload_tovik_os.h"
#include "handheld/upload_fixture.h"
#include "platform/upload_port_posix.h"

namespace tramond {
namespace {

using namespace tramond::test;

struct VerbRun {
    int exit;
    std::string out, err;
};

VerbRun runVerb(std::vector<std::string> args) {
    VerbRegistry verbs;
    registerHandheldVerbs(verbs);
    const Verb* verb = verbs.find("upload-os");
    EXPECT_NE(verb, nullptr);
    std::ostringstream out, err;
    VerbContext ctx{std::move(args), out, err};
    const int exit = verb->run(ctx);
    return {exit, out.str(), err.str()};
}

class UploadOsUi : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(dir.path()); }
    void writeBadHex() {
        std::ofstream(bad) << ":0100000011EE\n:0100010022EE\n:00000001FF\n";
    }
    TempDir dir;
    std::filesystem::path bad = dir.path() / "bad.a30";
};

TEST_F(UploadOsUi, VerbUploadsAndPrintsTheChecksumOnlyOnSuccess) {
    const auto made = objcopyImage(dir.path(), 64, 0, 3);
    PtyLoader loader;
    const auto ok = runVerb({made.hex.string(), loader.path()});
    EXPECT_EQ(ok.exit, 0) << ok.err;
    char expected[16];
    std::snprintf(expected, sizeof expected, "Checksum:%04X\n", sumOf(made.bytes));
    EXPECT_EQ(ok.out, expected);
    EXPECT_NE(ok.err.find("Clearing Tovik."), std::string::npos) << ok.err;

    handheldsim::LoaderOptions silent;
    silent.answerFinal = false;
    PtyLoader mute(silent);
    const auto failed = runVerb({made.hex.string(), mute.path()});
    EXPECT_EQ(failed.exit, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_NE(failed.err.find("Error: Programming Failed."), std::string::npos) << failed.err;

    PtyLoader again(silent);
    const auto json = runVerb({made.hex.string(), again.path(), "--json"});
    EXPECT_EQ(json.exit, 1);
    EXPECT_EQ(json.out, "{\"uploaded\": false, \"exit\": 1, \"status\": \"Error: Programming Failed.\", \"rows\": 4, "
                        "\"checksum\": null, \"expectedChecksum\": null, \"checksumMatches\": null}\n");

    // A handheld whose sum is not the image's: the Part's "Checksum:" and, on
    // stderr, why that is a failure; --json gives both sums.
    handheldsim::LoaderOptions badCell;
    badCell.badCell = 5;
    PtyLoader failing(badCell);
    const auto mismatch = runVerb({made.hex.string(), failing.path()});
    EXPECT_EQ(mismatch.exit, 1);
    std::snprintf(expected, sizeof expected, "Checksum:%04X\n", static_cast<std::uint16_t>(sumOf(made.bytes) + (made.bytes[5] & 1 ? -1 : 1)));
    EXPECT_EQ(mismatch.out, expected);
    EXPECT_NE(mismatch.err.find("Error: the image sent sums to"), std::string::npos) << mismatch.err;
    PtyLoader failingAgain(badCell);
    const auto mismatchJson = runVerb({made.hex.string(), failingAgain.path(), "--json"});
    EXPECT_EQ(mismatchJson.exit, 1);
    std::snprintf(expected, sizeof expected, "%04X", sumOf(made.bytes));
    EXPECT_NE(mismatchJson.out.find(std::string("\"expectedChecksum\": \"") + expected + "\", \"checksumMatches\": false"),
              std::string::npos)
        << mismatchJson.out;
}

TEST_F(UploadOsUi, VerbRefusesBadInputBeforeTouchingThePort) {
    writeBadHex();
    PtyLoader loader;
    const auto refused = runVerb({bad.string(), loader.path()});
    EXPECT_EQ(refused.exit, 2);
    EXPECT_NE(refused.err.find("line 2: checksum EE should be DC"), std::string::npos) << refused.err;
    EXPECT_EQ(runVerb({bad.string()}).exit, 2);
    const auto noPort = runVerb({(dir.path() / "none.a30").string(), "/nonexistent/tty"});
    EXPECT_EQ(noPort.exit, 2) << "a missing file is bad input";
    const auto made = objcopyImage(dir.path(), 16);
    const auto portless = runVerb({made.hex.string(), "/nonexistent/tty"});
    EXPECT_EQ(portless.exit, 1);
    EXPECT_EQ(portless.err, "tramond upload-os: /nonexistent/tty: Check COMM Port!!\n");
    // A script asking for JSON gets its object on a refusal too.
    const auto refusedJson = runVerb({bad.string(), loader.path(), "--json"});
    EXPECT_EQ(refusedJson.exit, 2);
    EXPECT_NE(refusedJson.out.find("\"exit\": 2, \"status\": \"" + bad.string() + ": line 2: checksum EE should be DC\""),
              std::string::npos)
        << refusedJson.out;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(loader.sim.report().wakeUps, 0);
}

TEST_F(UploadOsUi, DialogUploadsOffTheGuiThreadAndShowsTheAnswer) {
    const auto made = objcopyImage(dir.path(), 48, 0, 4);
    PtyLoader loader;
    FakePrompter prompter;
    prompter.answers.push_back(made.hex);
    platform::PosixUploadPort port;
    UploadOsController controller(prompter, port);
    TUploadTovikOS dialog(controller, {loader.path()});
    QSignalSpy finished(&dialog, &TUploadTovikOS::uploadFinished);
    dialog.BtnUploadTovikOS->click();
    EXPECT_TRUE(dialog.uploading());
    EXPECT_FALSE(dialog.BtnUploadTovikOS->isEnabled());
    EXPECT_TRUE(dialog.BtnCancel->isEnabled());
    ASSERT_TRUE(finished.wait(15000));
    char expected[16];
    std::snprintf(expected, sizeof expected, "%04X", sumOf(made.bytes));
    // The Part's answer and, under it, the comparison with what was sent.
    EXPECT_EQ(dialog.LblWrite->text().toStdString(), std::string("Checksum:") + expected + "\nThe image sent sums to " +
                                                         expected + " too: complete.");
    EXPECT_EQ(dialog.lastResult().outcome, UploadOutcome::Done);

    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].filter, "Tovik OS files (*.a30)|*.a30");
    EXPECT_EQ(prompter.requests[0].defaultSuffix, "a30");
    ASSERT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_EQ(prompter.confirmations[0].text, "Upload Tovik OS?");
    // The dialog shows the same comparison when the sums differ.
    handheldsim::LoaderOptions badCell;
    badCell.badCell = 7;
    PtyLoader failing(badCell);
    prompter.answers.push_back(made.hex);
    platform::PosixUploadPort otherPort;
    UploadOsController otherController(prompter, otherPort);
    TUploadTovikOS other(otherController, {failing.path()});
    QSignalSpy otherFinished(&other, &TUploadTovikOS::uploadFinished);
    other.BtnUploadTovikOS->click();
    ASSERT_TRUE(otherFinished.wait(15000));
    EXPECT_EQ(other.lastResult().outcome, UploadOutcome::ChecksumMismatch);
    EXPECT_NE(other.LblWrite->text().toStdString().find(std::string("\nError: the image sent sums to ") + expected),
              std::string::npos)
        << other.LblWrite->text().toStdString();
}

TEST_F(UploadOsUi, DialogStopsAtABadFileOrAClosedPort) {
    writeBadHex();
    PtyLoader loader;
    FakePrompter prompter;
    prompter.answers.push_back(bad);
    platform::PosixUploadPort port;
    UploadOsController controller(prompter, port);
    TUploadTovikOS dialog(controller, {loader.path()});
    dialog.BtnUploadTovikOS->click();
    EXPECT_FALSE(dialog.uploading());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("bad.a30: line 2"), std::string::npos);
    EXPECT_TRUE(prompter.confirmations.empty());
    EXPECT_FALSE(port.isOpen());

    dialog.ComboBox1->setEditText("/nonexistent/tty");
    dialog.BtnUploadTovikOS->click();
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[1].text, "Check COMM Port!!");
    EXPECT_EQ(prompter.requests.size(), 1u) << "no file dialog without a port";
}

}  // namespace
}  // namespace tramond
