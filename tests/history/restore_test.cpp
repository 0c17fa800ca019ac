// Putting a version back: the files byte for byte, exactly what differs
// marked, one Update Register later the register holds it again; a memory
// map that differs (or a deleted program) asks for Clear & Install; unrecorded edits are kept
// first; a disk that cannot keep them stops the restore untouched.

#include <gtest/gtest.h>

#include "cli/cli_fixture.h"
#include "cli/program_restore.h"
#include "editors/plu_list.h"
#include "history/program_history.h"
#include "history_test_support.h"
#include "program/system_blocks.h"

namespace tramond::testing {
namespace {

using history::Event;
using history::ProgramHistory;

class RestoreTest : public CliFixture {
protected:
    void poke(const std::string& ext, std::size_t at, std::uint8_t value) {
        auto bytes = fileBytes(program.file(ext));
        bytes.at(at) = value;
        writeBytes(program.file(ext), bytes);
    }
    void record(const std::string& note) {
        const auto r = ProgramHistory(program.appPath).record({Event::Record, note, {}, false});
        ASSERT_TRUE(r.recorded) << r.warning;
    }
    std::vector<std::string> updateLines() { return UpdateList(program.file(".upd")).lines(); }
};

TEST_F(RestoreTest, MarksExactlyWhatDiffersAndOneUpdateBringsTheRegisterBack) {
    startSim();
    ASSERT_TRUE(ops().clearAndInstallRegister());
    record("delivered");
    const auto delivered = ProgramHistory(program.appPath).files(1);

    // A week of changes, all of them sent: a PLU, a department, a system
    // flag, the receipt header and the register configuration.
    poke(".plu", 3 * plu::kRecordSize + 40, 0x55);
    poke(".dpt", 1 * 39 + 6, 'Q');
    poke(".app", ApplicationBlock::flagOffset(12), 0x07);
    poke(".txt", findSystemBlock(70)->offset + 1, 'Z');
    poke(".chk", 40, 0x21);
    ASSERT_TRUE(loadProgram(session, program.appPath).ok());
    ASSERT_TRUE(ops().clearAndInstallRegister());
    record("changed");
    ASSERT_EQ(verify().status, VerifyOutcome::Status::Same);

    const auto outcome = restoreVersion(program.appPath, 1);
    EXPECT_FALSE(outcome.clearAndInstall);
    EXPECT_TRUE(outcome.installOnly.empty());
    const std::vector<std::string> expected = {"000000002", "000000070", "000000111", "000005002", "000010004"};
    EXPECT_EQ(outcome.marked, expected);
    EXPECT_EQ(updateLines(), expected);
    auto now = history::programFiles(program.appPath);
    now.erase("shop.upd");
    auto wanted = delivered;
    wanted.erase("shop.upd");
    EXPECT_EQ(now, wanted) << "every file is version 1's, byte for byte";
    EXPECT_NE(restoreSummary(outcome).find("5 changes were marked for Update Register"), std::string::npos)
        << restoreSummary(outcome);

    const auto versions = ProgramHistory(program.appPath).versions();
    ASSERT_EQ(versions.size(), 3u) << "nothing unrecorded had to be kept first";
    EXPECT_EQ(versions[2].event, Event::Restore);
    EXPECT_EQ(versions[2].note, "version 1");
    EXPECT_EQ(outcome.recorded.version, 3);

    ASSERT_TRUE(loadProgram(session, program.appPath).ok());
    ASSERT_TRUE(ops().updateRegister()) << (host.messages.empty() ? "" : host.messages.back().text);
    const auto same = verify();
    EXPECT_EQ(same.status, VerifyOutcome::Status::Same) << diffText(same.differences);
}

TEST_F(RestoreTest, ADifferentMemoryMapAsksForClearAndInstall) {
    record("twelve PLUs");
    session.app.setKindCount(appblock::kPlu, 20);
    saveAndReload();
    record("twenty PLUs");
    const auto outcome = restoreVersion(program.appPath, 1);
    EXPECT_TRUE(outcome.clearAndInstall);
    EXPECT_NE(restoreSummary(outcome).find("use Clear & Install Register"), std::string::npos);
    EXPECT_EQ(ProgramImage::read(program.appPath).app.kindCount(appblock::kPlu), 12);

    // A deleted program comes back whole; the register's state is unknown.
    deleteProgram(session, program.appPath);
    ASSERT_FALSE(fs::exists(program.appPath));
    const auto back = restoreVersion(program.appPath, 2);
    EXPECT_TRUE(back.clearAndInstall);
    EXPECT_EQ(ProgramImage::read(program.appPath).app.kindCount(appblock::kPlu), 20);
}

TEST_F(RestoreTest, PlusAddressedByCodeGetDeleteNewAndReplaceLines) {
    setPluCodes(2);  // records 1 and 2 carry the codes 1 and 2
    record("codes 1 and 2");
    poke(".plu", plu::kCode, 0x07);                      // record 1: code 1 became 7
    poke(".plu", plu::kRecordSize + 40, 0x66);           // record 2: its price
    poke(".plu", 2 * plu::kRecordSize + plu::kCode, 9);  // record 3: a new PLU 9
    record("codes 7, 2 and 9");
    const auto outcome = restoreVersion(program.appPath, 1);
    const std::vector<std::string> expected = {pluUpdateLine('D', "7", 1), pluUpdateLine('D', "9", 3),
                                               pluUpdateLine('N', "1", 1), pluUpdateLine('R', "2", 2)};
    EXPECT_EQ(outcome.marked, expected);
}

TEST_F(RestoreTest, UnrecordedEditsAreKeptFirstAndFilesTheVersionLackedGo) {
    record("before the network");
    writeBytes(program.file(".kb2"), std::vector<std::uint8_t>(700, 3));
    poke(".dpt", 6, 'X');  // edits nobody recorded yet

    const auto outcome = restoreVersion(program.appPath, 1);
    EXPECT_TRUE(outcome.kept.recorded);
    EXPECT_EQ(outcome.kept.version, 2);
    EXPECT_FALSE(fs::exists(program.file(".kb2")));
    const auto versions = ProgramHistory(program.appPath).versions();
    ASSERT_EQ(versions.size(), 3u);
    EXPECT_EQ(versions[1].event, Event::Edit);
    EXPECT_EQ(versions[1].changed, (std::vector<std::string>{".dpt", ".kb2"}));

    // The kept edits can be put back in turn.
    restoreVersion(program.appPath, 2);
    EXPECT_TRUE(fs::exists(program.file(".kb2")));
    EXPECT_EQ(fileBytes(program.file(".dpt"))[6], 'X');
    EXPECT_THROW(restoreVersion(program.appPath, 9), ProgramError);
}

TEST_F(RestoreTest, EditsThatCannotBeKeptStopTheRestoreWithTheProgramUntouched) {
    record("one");
    poke(".dpt", 6, 'X');
    // The program's files; the history may hold the objects that did fit.
    const auto programPicture = [&] {
        auto all = folderPicture(dir);
        std::erase_if(all, [](const auto& e) { return e.first.starts_with(history::kHistoryFolder); });
        return all;
    };
    const auto before = programPicture();
    const int status = withFullDisk(64, [&] {
        try {
            restoreVersion(program.appPath, 1);
            return 1;
        } catch (const ProgramError& e) {
            return std::string(e.what()).find("nothing was restored") != std::string::npos ? 0 : 2;
        }
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(programPicture(), before);
}

}  // namespace
}  // namespace tramond::testing
