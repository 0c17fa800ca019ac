// What leaves a version: Clear & Install, a CSV import, Update, Load from
// Register and Clear PLU File, each with its message; a failed update too; the program being
// overwritten or closed is kept first. And what never stops a transfer: a
// history that cannot be written, on the window's path and the command
// line's ("history" in --json).

#include <gtest/gtest.h>

#include <sstream>

#include "app/command_line.h"
#include "cli/cli_fixture.h"
#include "cli/record_csv.h"
#include "history/program_history.h"
#include "history_test_support.h"
#include "link/unattended.h"

namespace tramond::testing {
namespace {

using history::Event;
using history::ProgramHistory;

class RecordingTest : public CliFixture {
protected:
    RegisterOperations recordingOps() {
        auto c = config();
        c.recordHistory = true;
        return RegisterOperations(session, line.pc(), host, c);
    }
    std::vector<history::Version> versions(const fs::path& app) { return ProgramHistory(app).versions(); }
    std::string sheetWithPlu4Named(const std::string& name) {
        auto sheet = exportRecords(program, RecordKind::Plu);
        const auto at = sheet.find("\r\n4,") + 2;
        return sheet.substr(0, at) + "4," + name + sheet.substr(sheet.find(',', sheet.find(',', at) + 1));
    }
};

TEST_F(RecordingTest, EachOperationLeavesTheRightVersionWithItsMessage) {
    startSim();
    {
        auto ops = recordingOps();
        ASSERT_TRUE(ops.clearAndInstallRegister());
        ASSERT_TRUE(ops.historyOutcome());
        EXPECT_EQ(ops.historyOutcome()->version, 1);
    }
    std::optional<history::RecordOutcome> imported;
    ASSERT_EQ(importRecordsRecorded(program, RecordKind::Plu, sheetWithPlu4Named("Espresso"), "prices.csv", imported)
                  .changedRecords.size(),
              1u);
    ASSERT_TRUE(imported && imported->recorded) << (imported ? imported->warning : "");
    ASSERT_TRUE(recordingOps().updateRegister());  // "Clear update file ?" is answered yes

    // Without a register the update fails, and says so in its version.
    thread.reset();
    EXPECT_FALSE(recordingOps().updateRegister());

    const auto v = versions(program.appPath);
    ASSERT_EQ(v.size(), 4u);
    struct Want {
        Event event;
        const char* result;
        std::vector<std::string> changed;
    };
    const Want want[] = {
        {Event::ClearInstall, "ok", {}},
        {Event::Import, "", {".plu", ".upd"}},
        {Event::Update, "ok", {}},  // sent as the import left it, list included
        {Event::Update, "failed: Check RS232 Connection !!", {".upd"}},  // the list was cleared after the first
    };
    for (std::size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(v[i].event, want[i].event) << i;
        EXPECT_EQ(v[i].transfer ? v[i].transfer->result : "", want[i].result) << i;
        EXPECT_EQ(v[i].changed, want[i].changed) << i;
        if (v[i].transfer) {
            EXPECT_EQ(v[i].transfer->registers, "0");
            EXPECT_EQ(v[i].transfer->port, "SIM");
            EXPECT_EQ(v[i].transfer->baud, config().link.baudRate);
        }
    }
    EXPECT_EQ(v[1].note, "plu from prices.csv, 1 record");
    EXPECT_EQ(ProgramHistory(program.appPath).files(3).at("shop.upd"),
              ProgramHistory(program.appPath).files(2).at("shop.upd"));
    EXPECT_FALSE(ProgramHistory(program.appPath).files(3).at("shop.upd").empty());

    // Load from Register over an existing program: the session's program is
    // closed, the overwritten one kept, the loaded one recorded.
    startSim();
    ASSERT_TRUE(recordingOps().clearAndInstallRegister());
    const auto target = dir / "fromreg.app";
    ProgramSession other;
    ASSERT_TRUE(createProgram(other, target).ok());
    auto plu = fileBytes(dir / "fromreg.plu");
    plu[0] ^= 0xFF;
    writeBytes(dir / "fromreg.plu", plu);
    host.loadTarget = target;
    ASSERT_TRUE(recordingOps().loadFromRegister());
    const auto loaded = versions(target);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].event, Event::Edit) << "the file about to be overwritten";
    EXPECT_EQ(loaded[1].event, Event::Load);
    EXPECT_EQ(loaded[1].transfer->result, "ok");
    EXPECT_EQ(ProgramHistory(target).files(2), history::programFiles(target));

    // Clearing the register's PLUs changes the register, not the files.
    ASSERT_TRUE(recordingOps().clearPluFile());
    EXPECT_EQ(versions(target).back().event, Event::ClearPlu);
    EXPECT_EQ(versions(target).back().transfer->result, "ok");
}

TEST_F(RecordingTest, AHistoryThatCannotBeWrittenNeverFailsATransfer) {
    startSim();
    ASSERT_TRUE(ops().clearAndInstallRegister());
    ReadOnlyFolder folder(dir);
    TRAMOND_REQUIRE_READ_ONLY(folder);

    auto ops = recordingOps();
    EXPECT_TRUE(ops.installRegister()) << "Install writes nothing beside the program";
    ASSERT_TRUE(ops.historyOutcome());
    EXPECT_FALSE(ops.historyOutcome()->warning.empty());
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().kind, MessageKind::Warning);
    EXPECT_EQ(host.messages.back().text.rfind("Program history: ", 0), 0u) << host.messages.back().text;

    // The command line: done, exit 0, the warning in the messages and in "history".
    std::ostringstream out, err;
    UnattendedEnvironment env;
    env.err = &err;
    env.out = &out;
    env.timeoutMs = 150;
    env.identificationRetryDelay = std::chrono::milliseconds(1);
    env.makePort = [this](const std::string&) {
        return std::unique_ptr<SerialPort>(std::make_unique<ForwardingPort>(line.pc()));
    };
    ProgramSession run;
    EXPECT_EQ(runUnattended(parseCommandLine({"--yes", "--json", program.appPath.string(), "instal", "0", "1", "9600"}),
                            run, env),
              kExitSucceeded)
        << err.str();
    EXPECT_NE(out.str().find("\"ok\":true"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"history\":{\"version\":null,\"warning\":"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"warning: Program history: "), std::string::npos) << out.str();
}

}  // namespace
}  // namespace tramond::testing
