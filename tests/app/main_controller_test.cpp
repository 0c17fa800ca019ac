#include <gtest/gtest.h>

#include <fstream>

#include "app/app_test_support.h"
#include "app/main_controller.h"
#include "history/program_history.h"
#include "program/file_io.h"
#include "program/program_ops.h"
#include "program/record_kinds.h"
#include "program/staged_commit.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

// A complete program on disk, made the way Create New Program makes one.
fs::path makeProgram(const fs::path& dir, const std::string& name) {
    ProgramSession s;
    const auto path = dir / (name + ".app");
    EXPECT_TRUE(createProgram(s, path).ok());
    return path;
}

struct Fixture : ::testing::Test {
    TempDir dir;
    ProgramSession session;
    LanguageTexts texts = LanguageTexts::builtIn();
    MemorySettingsStore settings;
    FakePrompter prompter;
    FileHistory history{dir.path() / "History.txt"};
    MainController c{session, texts, settings, prompter, history};
};

TEST_F(Fixture, StartStateFollowsTheLanguageTableAndTheFixedRules) {
    texts.setText(11, " Load from &Register");
    texts.setText(12, "");
    c.start();
    EXPECT_TRUE(c.item("mFileLoadDisk").enabled());
    EXPECT_TRUE(c.item("mFileLoadRegister").visible);
    EXPECT_FALSE(c.item("mFileLoadRegister").enabled());
    EXPECT_FALSE(c.item("mFileUpdateRegister").visible);
    EXPECT_FALSE(c.toolEnabled("mFileUpdateRegister"));
    // Hidden whatever the table says; Copy waits for a program.
    for (auto name : {"Corrections1", "TaxTotals1", "TimeZones1", "Type1", "mReadReport", "mSendReport", "N2",
                      "mGetPrintReport", "mEditProgramText", "mEuroConversion"}) {
        EXPECT_FALSE(c.item(name).visible) << name;
        EXPECT_FALSE(c.item(name).enabled()) << name;
    }
    EXPECT_TRUE(c.item("mFileCopyTo").visible);
    EXPECT_FALSE(c.item("mFileCopyTo").enabled());
    EXPECT_EQ(c.item("mDistributorHomePage").caption, "Orvalt Home Page");
    EXPECT_EQ(c.caption(), "Tramond");
    EXPECT_EQ(c.machinePanel(), "Settings for machine :  0");
    EXPECT_NE(c.memoryPanel().find("Memory Required"), std::string::npos);
    EXPECT_EQ(c.toolHint("mFileInstallRegister"), "Clear & Install Register");
}

TEST_F(Fixture, SetupCountsShowTextTabValue) {
    c.start();
    EXPECT_EQ(c.item("Groups1").caption, texts.text(43) + "\t10");
    EXPECT_EQ(c.item("Departments1").caption, texts.text(44) + "\t20");
    EXPECT_EQ(c.item("PLU1").caption, texts.text(45) + "\t420");
    EXPECT_EQ(c.item("PrevBalances1").caption, texts.text(46) + "\t45");
    EXPECT_EQ(c.item("SalesPersons1").caption, texts.text(576) + "\t0");
    EXPECT_EQ(c.item("IndividualKeyboards1").caption, texts.text(1061) + "\tNo");
    session.app.setU16(kindInfo(RecordKind::Group).countOffset, 7);
    session.app.setBit(2566, 0, true);
    session.app.setU8(2583, 0x11);
    c.refresh();
    EXPECT_EQ(c.item("Groups1").caption, texts.text(43) + "\t7");
    EXPECT_EQ(c.item("IndividualKeyboards1").caption, texts.text(1061) + "\tYes");
    EXPECT_EQ(c.item("GraphickHeadLogo1").caption, texts.text(695) + "\tYes");
}

TEST_F(Fixture, GuardsWithoutProgramAndWithoutRecordsOrFiles) {
    c.start();
    EXPECT_FALSE(c.mayRun("mEditDepartFileClick"));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "No Program Loaded !");
    EXPECT_EQ(prompter.messages[0].title, "Warning");
    EXPECT_FALSE(c.mayRun("mSharedPbInfoFileClick"));
    EXPECT_EQ(prompter.messages.back().title, "Error");
    EXPECT_TRUE(c.mayRun("mGeneralOptionsClick"));  // works without a program
    EXPECT_TRUE(c.mayRun("mSendMailClick"));

    const auto app = makeProgram(dir.path(), "shop");
    c.loadSilently(app);
    ASSERT_TRUE(session.loaded);
    prompter.messages.clear();
    EXPECT_TRUE(c.mayRun("mEditDepartFileClick"));
    // Salespersons: count 0.
    EXPECT_FALSE(c.mayRun("mEditSalPerFileClick"));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Not Available with this Application !!");
    EXPECT_EQ(prompter.messages[0].title, "Application Error");
    // A missing file.
    fs::remove(session.file(".grp"));
    EXPECT_FALSE(c.mayRun("mEditGroupFileClick"));
    EXPECT_EQ(prompter.messages.back().text, "File not found, create new in SETUP!");
    EXPECT_EQ(prompter.messages.back().title, "Application Error");
    // PB functions need the PB count as well.
    session.app.setU16(2173, 0);
    EXPECT_FALSE(c.mayRun("mEditPBFuncFileClick"));
    EXPECT_EQ(prompter.messages.back().text, "Not Available with this Application !!");
    // PB info needs PB info settings or a PB text size.
    session.app.setU16(2173, 45);
    session.app.setU8(2175, 0);
    session.app.setU8(2176, 0);
    EXPECT_FALSE(c.mayRun("mEditPBInfoFileClick"));
    session.app.setU8(2176, 10);
    std::ofstream(session.file(".pbr")) << "";
    EXPECT_TRUE(c.mayRun("mEditPBInfoFileClick"));
    // DECT module on the handheld port.
    session.app.setFlag(90, 7);
    EXPECT_FALSE(c.mayRun("mHandheldOptionsClick"));
    EXPECT_NE(prompter.messages.back().text.find("DECT module is connected"), std::string::npos);
}

TEST_F(Fixture, LoadRefusesWrongSizeAndKeepsTheLoadedProgram) {
    c.start();
    const auto good = makeProgram(dir.path(), "good");
    c.loadSilently(good);
    const auto before = session.app;
    const auto bad = dir.path() / "bad.app";
    std::ofstream(bad, std::ios::binary) << std::string(2846, '\0');
    prompter.answers.push_back(bad);
    c.loadFromDisk();
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back().text, "Wrong Application!");
    EXPECT_EQ(prompter.messages.back().kind, MessageKind::Error);
    EXPECT_EQ(session.app, before);
    EXPECT_EQ(c.caption(), "Tramond - " + good.string());
    EXPECT_EQ(fs::file_size(bad), 2846u);

    prompter.answers.push_back(dir.path() / "missing.app");
    c.loadFromDisk();
    EXPECT_EQ(prompter.messages.back().text, "File Error!");
    EXPECT_EQ(session.programPath, good);
}

TEST_F(Fixture, LoadFromDiskUsesAndStoresTheLastDirectory) {
    c.start();
    fs::create_directories(dir.path() / "progs");
    const auto app = makeProgram(dir.path() / "progs", "shop");
    settings.write(kSettingsRoot, "LastOpenFilePath", "/somewhere/");
    prompter.answers.push_back(app);
    c.loadFromDisk();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].title, "Load from Disk");
    EXPECT_EQ(prompter.requests[0].directory, "/somewhere/");
    EXPECT_EQ(settings.read(kSettingsRoot, "LastOpenFilePath"), (dir.path() / "progs").string() + "/");
    EXPECT_TRUE(c.item("mFileCopyTo").enabled());
    EXPECT_TRUE(c.item("Boran1").checked);
    EXPECT_EQ(c.registerType(), 3);
    EXPECT_EQ(history.current(), app.string());

    // Cancel changes nothing.
    const auto requests = prompter.requests.size();
    c.loadFromDisk();
    EXPECT_EQ(prompter.requests.size(), requests + 1);
    EXPECT_EQ(history.current(), app.string());
}

TEST_F(Fixture, AProgramReadFromTheRegisterEndsLikeALoadFromDisk) {
    c.start();
    c.loadSilently(makeProgram(dir.path(), "disk"));  // PLUs by number
    const auto app = makeProgram(dir.path(), "read");
    // What Load from Register leaves behind: the program loaded into the
    // session, here with PLUs addressed by a 4-byte code.
    ASSERT_TRUE(loadProgram(session, app).ok());
    session.app.setU8(2234, 4);
    EXPECT_FALSE(c.item("mClearPluFileinRegister").enabled());
    c.adoptLoadedProgram(app);
    EXPECT_EQ(history.current(), app.string());
    EXPECT_EQ(settings.read(kSettingsRoot, "LastOpenFilePath"), dir.path().string() + "/");
    EXPECT_TRUE(c.item("mClearPluFileinRegister").enabled());
    EXPECT_TRUE(c.item("mFileCopyTo").enabled());
    EXPECT_TRUE(c.item("Boran1").checked);
}

TEST_F(Fixture, CreateAsksBeforeOverwritingAndLoadsTheNewProgram) {
    c.start();
    const auto target = dir.path() / "new";
    prompter.answers.push_back(target);
    c.createNewProgram();
    EXPECT_TRUE(prompter.confirmations.empty());
    EXPECT_TRUE(session.loaded);
    EXPECT_EQ(session.programPath, dir.path() / "new.app");
    EXPECT_EQ(fs::file_size(dir.path() / "new.plu"), 420u * 137u);
    EXPECT_EQ(c.caption(), "Tramond - " + (dir.path() / "new.app").string());

    prompter.answers.push_back(dir.path() / "new.app");
    prompter.confirmAnswer = false;
    fs::remove(dir.path() / "new.dpt");
    c.createNewProgram();
    ASSERT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_EQ(prompter.confirmations[0].text, "File Exists Overwrite ? ");
    EXPECT_EQ(prompter.confirmations[0].title, "");
    EXPECT_FALSE(fs::exists(dir.path() / "new.dpt"));  // refused: nothing written
}

TEST_F(Fixture, CopyAsksAndLeavesTheLoadedProgram) {
    c.start();
    const auto app = makeProgram(dir.path(), "shop");
    c.loadSilently(app);
    std::ofstream(dir.path() / "copy.app") << "old";
    prompter.answers.push_back(dir.path() / "copy.app");
    prompter.confirmAnswer = false;
    c.copyProgramTo();
    EXPECT_EQ(prompter.requests.back().title, "Copy Program to ..");
    ASSERT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_EQ(prompter.confirmations[0].text, "Application Exists Overwrite ? ");
    EXPECT_EQ(prompter.confirmations[0].title, "Message Box");
    EXPECT_EQ(fs::file_size(dir.path() / "copy.app"), 3u);

    prompter.confirmAnswer = true;
    prompter.answers.push_back(dir.path() / "copy.app");
    c.copyProgramTo();
    EXPECT_EQ(fs::file_size(dir.path() / "copy.app"), 2845u);
    EXPECT_TRUE(fs::exists(dir.path() / "copy.plu"));
    EXPECT_EQ(session.programPath, app);

    // Onto itself: nothing happens, nothing is lost.
    prompter.answers.push_back(app);
    c.copyProgramTo();
    EXPECT_EQ(fs::file_size(app), 2845u);
}

TEST_F(Fixture, DeleteTheLoadedProgramForgetsIt) {
    c.start();
    const auto app = makeProgram(dir.path(), "shop");
    const auto other = makeProgram(dir.path(), "other");
    c.loadSilently(app);

    prompter.answers.push_back(other);
    prompter.confirmAnswer = false;
    c.deleteProgram();
    EXPECT_EQ(prompter.requests.back().acceptLabel, "&Delete");
    EXPECT_EQ(prompter.requests.back().title, "Delete a Program");
    EXPECT_EQ(prompter.confirmations.back().text, "Are You Sure ?");
    EXPECT_EQ(prompter.confirmations.back().title, "Warning");
    EXPECT_TRUE(fs::exists(other));

    prompter.confirmAnswer = true;
    prompter.answers.push_back(other);
    c.deleteProgram();
    EXPECT_FALSE(fs::exists(other));
    EXPECT_FALSE(fs::exists(dir.path() / "other.plu"));
    EXPECT_TRUE(session.loaded);

    prompter.answers.push_back(app);
    c.deleteProgram();
    EXPECT_FALSE(session.loaded);
    EXPECT_EQ(c.caption(), "Tramond");
    EXPECT_TRUE(history.current().empty());
    prompter.messages.clear();
    EXPECT_FALSE(c.mayRun("mEditPLUFileClick"));
    EXPECT_FALSE(c.mayRun("mUserReport1Click"));
    EXPECT_FALSE(c.mayRun("mRegisterKeyboardClick"));
    ASSERT_EQ(prompter.messages.size(), 3u);
    for (const auto& m : prompter.messages) EXPECT_EQ(m.text, "No Program Loaded !");
}

TEST_F(Fixture, EditModeLoadsAndLocksFileAndSetupOnce) {
    c.start();
    const auto app = makeProgram(dir.path(), "shop");
    c.applyCommandLine(parseCommandLine({app.string(), "emode"}));
    EXPECT_TRUE(session.loaded);
    EXPECT_TRUE(c.menuLocked("mFile"));
    EXPECT_TRUE(c.menuLocked("mSetup"));
    EXPECT_FALSE(c.menuLocked("mEdit"));
    EXPECT_FALSE(c.toolEnabled("mFileLoadDisk"));
    EXPECT_TRUE(c.toolEnabled("FileExit"));
    // A second activation does not load again.
    fs::remove(app);
    c.applyCommandLine(parseCommandLine({app.string(), "emode"}));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(Fixture, UserReportCaptionsComeFromTheProgram) {
    c.start();
    EXPECT_EQ(c.item("mUserReport3").caption.substr(0, texts.text(1064).size()), texts.text(1064));
    const std::string title = "FOOD & DRINK TOTALS OF THE DAY";
    for (std::size_t i = 0; i < 24; ++i) session.app.setU8(1197 + 46 + 2 + i, i < title.size() ? title[i] : 0);
    c.refresh();
    EXPECT_EQ(c.item("mUserReport2").caption, "FOOD && DRINK TOTALS OF ");  // 23 characters
}

// A day of dialog edits is one version, made when the program is closed
// (another loaded, a new one made over it, deleted, the window closed).
TEST_F(Fixture, ClosingAProgramKeepsItsChangedFilesAsOneVersion) {
    c.start();
    const auto shop = makeProgram(dir.path(), "shop");
    const auto other = makeProgram(dir.path(), "other");
    auto poke = [&](const char* ext, std::uint8_t value) {
        const auto file = std::filesystem::path(shop).replace_extension(ext);
        auto bytes = readFile(file);
        bytes.at(3) = value;
        writeFileAtomic(file, bytes);
    };
    auto events = [&] {
        std::string out;
        for (const auto& v : history::ProgramHistory(shop).versions()) {
            out += std::string(history::eventWord(v.event));
            for (const auto& e : v.changed) out += " " + e;
            out += ";";
        }
        return out;
    };
    c.loadSilently(shop);
    EXPECT_EQ(events(), "") << "loading records nothing";
    poke(".dpt", 'A');
    poke(".plu", 'B');
    poke(".dpt", 'C');
    c.loadSilently(other);
    EXPECT_EQ(events(), "edit;");
    c.loadSilently(shop);
    c.loadSilently(other);
    EXPECT_EQ(history::ProgramHistory(shop).versions().size(), 1u) << "closed unchanged";
    c.loadSilently(shop);
    poke(".grp", 'D');
    c.close();
    EXPECT_EQ(events().substr(events().rfind(';', events().size() - 2) + 1), "edit .grp;");

    // A program replaced by a new one, or deleted, can be put back.
    poke(".dpt", 'E');
    prompter.answers.push_back(shop);
    c.createNewProgram();
    EXPECT_EQ(events().substr(events().rfind(';', events().size() - 2) + 1), "edit .dpt;");
    EXPECT_TRUE(prompter.messages.empty()) << prompter.messages.front().text;
}

TEST_F(Fixture, CloseSavesTheHistoryOrSaysItCouldNot) {
    c.start();
    const auto a = makeProgram(dir.path(), "a");
    c.loadSilently(a);
    c.close();
    std::ifstream in(dir.path() / "History.txt");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, a.string() + "\r");

    FileHistory broken("/nonexistent/History.txt");
    MainController d{session, texts, settings, prompter, broken};
    d.close();
    EXPECT_EQ(prompter.messages.back().text, "Could not save history file");
    EXPECT_EQ(prompter.messages.back().title, "Error");
}

}  // namespace
}  // namespace tramond

namespace tramond {
namespace {

bool killAtFirstRename(int step) { return step == 1; }

// A Load from Register cut off while its files were being put in place is
// finished at the next start, in the folder of every remembered program.
TEST_F(Fixture, StartFinishesALoadCutOffWhileCommitting) {
    const auto program = makeProgram(dir.path(), "shop");
    const auto staging = createStagingFolder(dir.path(), "shop");
    {
        std::ofstream(staging / "shop.dpt", std::ios::binary) << "received departments";
    }
    setCommitStepHookForTesting(killAtFirstRename);
    EXPECT_THROW(commitStagingFolder(staging, dir.path(), "shop.app"), CommitKilled);
    setCommitStepHookForTesting(nullptr);
    releaseStagingFolder(staging);  // the process that received is gone
    ASSERT_TRUE(fs::exists(staging));

    history.add(program.string());
    history.add("");  // as the file lists it at the next start
    c.recoverInterruptedLoads();
    EXPECT_FALSE(fs::exists(staging));
    std::ifstream in(dir.path() / "shop.dpt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "received departments");
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace tramond
