#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "program/default_records.h"
#include "program/file_io.h"
#include "program/file_set.h"
#include "program/keyboard_header.h"
#include "program/machine_printer.h"
#include "program/process_stamp.h"
#include "program/program_ops.h"
#include "program/record_kinds.h"
#include "scratch_dir.h"

namespace tramond {
namespace {

namespace ab = appblock;
namespace fs = std::filesystem;
using testing::ScratchDir;

class ProgramOps : public ::testing::Test {
protected:
    ScratchDir dir{"ops"};
    ProgramSession session;

    void SetUp() override { applyFixedValues(session.app); }

    std::uintmax_t sizeOf(const fs::path& p) { return fs::file_size(p); }
    bool exists(const std::string& name) { return fs::exists(dir / name); }
    std::string recordText(const fs::path& file, std::size_t at, std::size_t n) {
        const auto b = testing::bytesOf(file);
        return std::string(b.begin() + at, b.begin() + at + n);
    }
    LoadResult createShop(const std::string& name = "shop") {
        return createProgram(session, dir / (name + ".app"));
    }
    static bool readOnlyIsEnforced() { return ::geteuid() != 0; }
};

TEST_F(ProgramOps, CreateWithoutLoadedProgramWritesTheBuiltInFileSet) {
    const auto r = createShop();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(sizeOf(dir / "shop.app"), 2845u);
    EXPECT_EQ(sizeOf(dir / "shop.plu"), 420u * 137);
    EXPECT_EQ(sizeOf(dir / "shop.dpt"), 20u * 39);
    EXPECT_EQ(sizeOf(dir / "shop.grp"), 10u * 29);
    EXPECT_EQ(sizeOf(dir / "shop.clk"), 11u * 78);
    EXPECT_EQ(sizeOf(dir / "shop.mod"), 20u * 28);
    EXPECT_EQ(sizeOf(dir / "shop.pbf"), 8u * 20);
    EXPECT_EQ(sizeOf(dir / "shop.pbr"), 45u * 32);
    EXPECT_EQ(sizeOf(dir / "shop.con"), 3u * 140);
    EXPECT_EQ(sizeOf(dir / "shop.tnd"), 32u * 30);
    EXPECT_EQ(sizeOf(dir / "shop.drw"), 32u * 20);
    EXPECT_EQ(sizeOf(dir / "shop.cor"), 16u * 20);
    EXPECT_EQ(sizeOf(dir / "shop.cur"), 32u * 31);
    EXPECT_EQ(sizeOf(dir / "shop.dis"), 16u * 28);
    EXPECT_EQ(sizeOf(dir / "shop.por"), 8u * 22);
    EXPECT_EQ(sizeOf(dir / "shop.tax"), 16u * 25);
    EXPECT_EQ(sizeOf(dir / "shop.chk"), 168u);
    EXPECT_EQ(sizeOf(dir / "shop.txt"), 9689u);
    EXPECT_EQ(sizeOf(dir / "shop.upd"), 0u);
    EXPECT_FALSE(exists("shop.sps"));
    EXPECT_TRUE(session.loaded);
    EXPECT_EQ(session.programPath, dir / "shop.app");
    EXPECT_EQ(recordText(dir / "shop.dis", 11, 8), std::string("DISC  1\0", 8));
    EXPECT_EQ(recordText(dir / "shop.plu", 419 * 137 + 9, 12), std::string("PLU     420\0", 12));
}

TEST_F(ProgramOps, CreateWhileLoadedUsesTheResetWordsButKeepsTheLoadedTexts) {
    ASSERT_TRUE(createShop().ok());
    session.text.setDescriptorWord(7, "RABT");
    writeFileAtomic(session.file(".txt"), session.text.bytes());
    writeFileAtomic(session.file(".kbf"), testing::pattern(600, 9));

    ASSERT_TRUE(createShop("second").ok());
    EXPECT_EQ(recordText(dir / "second.dis", 11, 4), "DI5C");
    EXPECT_EQ(recordText(dir / "second.dpt", 4, 4), "DEPT");
    EXPECT_EQ(session.programPath, dir / "second.app");
    EXPECT_EQ(session.text.descriptorWord(7), "RABT") << "the copied text file is what gets loaded";
    EXPECT_EQ(testing::bytesOf(dir / "second.kbf"), testing::pattern(600, 9));
}

TEST_F(ProgramOps, CreateOverAnOlderProgramLeavesNoStaleFiles) {
    writeFileAtomic(dir / "shop.sps", testing::pattern(270, 1));
    writeFileAtomic(dir / "shop.upd", std::vector<std::uint8_t>{'1', '\n'});
    writeFileAtomic(dir / "shop.kb2", testing::pattern(600, 2));
    fs::create_directory(dir / "shop.cst");  // not a program's file: nobody's to remove
    writeFileAtomic(dir / "shop.cst" / "keep", testing::pattern(5, 3));
    ASSERT_TRUE(createShop().ok());
    EXPECT_FALSE(exists("shop.sps"));
    EXPECT_FALSE(exists("shop.kb2"));
    EXPECT_EQ(sizeOf(dir / "shop.upd"), 0u);
    EXPECT_TRUE(exists("shop.cst/keep"));
}

TEST_F(ProgramOps, LoadRefusesWrongSizesAndWritesNothing) {
    for (std::size_t size : {2844u, 2846u}) {
        ScratchDir d{"wrong"};
        writeFileAtomic(d / "x.app", std::vector<std::uint8_t>(size, 1));
        const auto before = session;
        const auto r = loadProgram(session, d / "x.app");
        EXPECT_EQ(r.outcome, LoadOutcome::WrongApplication);
        EXPECT_STREQ(loadOutcomeMessage(r.outcome), "Wrong Application!");
        EXPECT_EQ(session.app, before.app);
        EXPECT_FALSE(session.loaded);
        EXPECT_EQ(std::distance(fs::directory_iterator(d.path), fs::directory_iterator()), 1);
        EXPECT_EQ(sizeOf(d / "x.app"), size);
    }
    EXPECT_EQ(loadProgram(session, dir / "missing.app").outcome, LoadOutcome::FileError);
    EXPECT_EQ(loadProgram(session, dir.path).outcome, LoadOutcome::FileError) << "a directory";
}

TEST_F(ProgramOps, LoadCreatesMissingCompanionsAndRepairsFixedFields) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    app.setOption(59, 5, true);
    app.setKindCount(ab::kTender, 3);
    app.setKindDescriptorLength(ab::kClerk, 16);
    app.set(ab::kClerkTime, true);
    writeFileAtomic(dir / "shop.app", app.bytes());

    const auto r = loadProgram(session, dir / "shop.app");
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(sizeOf(dir / "shop.upd"), 0u);
    EXPECT_EQ(testing::bytesOf(dir / "shop.txt"), std::vector<std::uint8_t>(session.text.bytes().begin(),
                                                                             session.text.bytes().end()));
    EXPECT_FALSE(session.app.option(59, 5));
    EXPECT_EQ(session.app.kindCount(ab::kTender), 32) << "fixed count";
    EXPECT_EQ(session.app.kindRecordLength(ab::kClerk), 56) << "clerk time: descriptor + 40";
    EXPECT_GT(r.memory.bytes, 65536u);
    ApplicationBlock onDisk;
    const auto bytes = testing::bytesOf(dir / "shop.app");
    std::copy(bytes.begin(), bytes.end(), onDisk.bytes().begin());
    EXPECT_FALSE(onDisk.option(59, 5)) << "the repaired block is written back";
}

TEST_F(ProgramOps, LoadReadsAShortTextFileOverTheBlockItHeld) {
    writeFileAtomic(dir / "shop.app", ApplicationBlock::builtIn().bytes());
    writeFileAtomic(dir / "shop.txt", std::vector<std::uint8_t>(10, 'Z'));
    session.text = TextBlock::builtIn();
    ASSERT_TRUE(loadProgram(session, dir / "shop.app").ok());
    EXPECT_EQ(session.text.bytes()[9], 'Z');
    EXPECT_EQ(session.text.bytes()[10], TextBlock::builtIn().bytes()[10]);
    EXPECT_EQ(sizeOf(dir / "shop.txt"), 10u) << "an existing text file is not rewritten";
}

TEST_F(ProgramOps, NamesWithoutExtensionGetTheirSiblingsBesideThem) {
    writeFileAtomic(dir / "plain", ApplicationBlock::builtIn().bytes());
    ASSERT_TRUE(loadProgram(session, dir / "plain").ok());
    EXPECT_TRUE(exists("plain.txt"));
    EXPECT_TRUE(exists("plain.upd"));
    ASSERT_TRUE(createProgram(session, dir / "fresh").ok());
    EXPECT_EQ(session.programPath, dir / "fresh.app");
}

TEST_F(ProgramOps, MachineNumberFollowsNetworkSizeAndIndividualBits) {
    ApplicationBlock app = ApplicationBlock::builtIn();
    app.setFlag(ab::kFlagNetworkSize, 3);
    app.set(ab::kIndividualPrinters, true);
    writeFileAtomic(dir / "net.app", app.bytes());
    app.setFlag(ab::kFlagNetworkSize, 3);
    app.set(ab::kIndividualPrinters, false);
    writeFileAtomic(dir / "plain.app", app.bytes());
    app.setFlag(ab::kFlagNetworkSize, 0);
    app.set(ab::kIndividualPrinters, true);
    writeFileAtomic(dir / "single.app", app.bytes());

    ASSERT_TRUE(loadProgram(session, dir / "net.app").ok());
    EXPECT_EQ(session.machineNumber, 1);
    ASSERT_TRUE(loadProgram(session, dir / "plain.app").ok());
    EXPECT_EQ(session.machineNumber, 0);
    session.machineNumber = 1;
    ASSERT_TRUE(loadProgram(session, dir / "single.app").ok());
    EXPECT_EQ(session.machineNumber, 0);
}

TEST_F(ProgramOps, LoadFirstPutsRegisterOnesSettingsBack) {
    ASSERT_TRUE(createShop().ok());
    ApplicationBlock one = session.app;
    one.setKeyCode(5, 501);
    one.setFlag(7, 11);
    writeFileAtomic(session.file(".kbf"), keyboardHeader(one));
    writeMachinePrinterFile(session.programPath, 1, one);

    session.app.setKeyCode(5, 999);  // register 3's settings in the block
    session.app.setFlag(7, 33);
    session.machineNumber = 3;
    ASSERT_TRUE(createShop("other").ok());  // loads another program afterwards
    ApplicationBlock shopOnDisk;
    const auto bytes = testing::bytesOf(dir / "shop.app");
    std::copy(bytes.begin(), bytes.end(), shopOnDisk.bytes().begin());
    EXPECT_EQ(shopOnDisk.keyCode(5), 501);
    EXPECT_EQ(shopOnDisk.flag(7), 11);
}

TEST_F(ProgramOps, CopyFollowsNetworkAndPrinterRules) {
    ASSERT_TRUE(createShop().ok());
    writeFileAtomic(session.file(".kb2"), testing::pattern(600, 2));
    writeFileAtomic(session.file(".pr1"), testing::pattern(62, 1));
    session.app.setFlag(ab::kFlagNetworkSize, 1);
    session.app.set(ab::kIndividualPrinters, true);
    copyProgram(session, dir / "copy.app");
    EXPECT_EQ(testing::bytesOf(dir / "copy.app"), testing::bytesOf(dir / "shop.app"));
    EXPECT_EQ(testing::bytesOf(dir / "copy.plu"), testing::bytesOf(dir / "shop.plu"));
    EXPECT_TRUE(exists("copy.upd"));
    EXPECT_FALSE(exists("copy.kb2")) << "network size 1 has no individual keyboards";
    EXPECT_TRUE(exists("copy.pr1"));
    EXPECT_EQ(session.programPath, dir / "shop.app") << "the loaded program stays loaded";

    session.app.setFlag(ab::kFlagNetworkSize, 2);
    copyProgram(session, dir / "copy2");
    EXPECT_TRUE(exists("copy2.app")) << "the extension is added";
    EXPECT_TRUE(exists("copy2.kb2"));

    EXPECT_THROW(copyProgram(session, dir / "shop.app"), FileError);
    EXPECT_EQ(sizeOf(dir / "shop.plu"), 420u * 137);
    ProgramSession none;
    EXPECT_THROW(copyProgram(none, dir / "x.app"), FileError);
}

TEST_F(ProgramOps, DeleteRemovesTheFixedRangeAndForgetsOnlyTheLoadedProgram) {
    ASSERT_TRUE(createShop("other").ok());
    writeFileAtomic(dir / "other.kb9", testing::pattern(10, 1));
    writeFileAtomic(dir / "other.pr9", testing::pattern(10, 1));
    writeFileAtomic(dir / "other.pr10", testing::pattern(10, 1));
    ASSERT_TRUE(createShop().ok());

    deleteProgram(session, dir / "other.app");
    EXPECT_FALSE(exists("other.app"));
    EXPECT_FALSE(exists("other.plu"));
    EXPECT_FALSE(exists("other.kb9"));
    EXPECT_FALSE(exists("other.pr9"));
    EXPECT_TRUE(exists("other.pr10")) << "outside the fixed range";
    EXPECT_TRUE(session.loaded);
    EXPECT_TRUE(exists("shop.plu"));

    deleteProgram(session, dir / "shop.app");
    EXPECT_FALSE(session.loaded);
    EXPECT_TRUE(session.programPath.empty());
    EXPECT_FALSE(exists("shop.txt"));
}

TEST_F(ProgramOps, ReadOnlyDirectoryGivesClearErrorsAndLosesNothing) {
    if (!readOnlyIsEnforced()) GTEST_SKIP() << "running as root: permissions are not enforced";
    ASSERT_TRUE(createShop().ok());
    const auto plu = testing::bytesOf(dir / "shop.plu");
    fs::permissions(dir.path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    EXPECT_THROW(createShop("new"), FileError);
    EXPECT_EQ(session.programPath, dir / "shop.app");
    EXPECT_THROW(deleteProgram(session, dir / "shop.app"), FileError);
    EXPECT_TRUE(session.loaded) << "its files are still there";
    EXPECT_EQ(testing::bytesOf(dir / "shop.plu"), plu);

    const auto r = loadProgram(session, dir / "shop.app");
    EXPECT_TRUE(r.ok()) << "a program on read-only media still loads";
    fs::permissions(dir.path, fs::perms::owner_all, fs::perm_options::add);
}

// Every whole-file write fails, as on a full disk or read-only media.
struct AllWritesFail {
    AllWritesFail() {
        setWriteFaultHookForTesting([](WriteStage, std::size_t) { return true; });
    }
    ~AllWritesFail() { setWriteFaultHookForTesting(nullptr); }
};

TEST_F(ProgramOps, FailingWritesLeaveTheLoadedProgramAsItWas) {
    ASSERT_TRUE(createShop().ok());
    const auto before = session;
    const auto plu = testing::bytesOf(dir / "shop.plu");
    {
        AllWritesFail fail;
        EXPECT_THROW(createShop("new"), FileError);
        EXPECT_THROW(copyProgram(session, dir / "copy.app"), FileError);
    }
    EXPECT_EQ(session.programPath, before.programPath);
    EXPECT_EQ(session.text, before.text) << "the reset words stay out of the loaded texts";
    EXPECT_EQ(session.app, before.app);
    EXPECT_EQ(testing::bytesOf(dir / "shop.plu"), plu);
    EXPECT_FALSE(exists("new.app"));
    EXPECT_FALSE(exists("copy.app"));
}

// The n-th whole-file write (from 1) fails as on a full disk.
std::atomic<int> g_writes{0};
std::atomic<int> g_failAt{0};
bool failNthWrite(WriteStage stage, std::size_t) {
    return stage == WriteStage::Create && ++g_writes == g_failAt.load();
}

using Picture = std::map<std::string, std::vector<std::uint8_t>>;
Picture picture(const fs::path& d) {
    Picture p;
    for (const auto& e : fs::directory_iterator(d)) {
        const auto name = e.path().filename().string();
        if (e.is_directory()) p[name + "/"] = {};  // a leftover working folder shows
        else p[name] = testing::bytesOf(e.path());
    }
    return p;
}

TEST_F(ProgramOps, CreateOverAProgramOnAFullDiskReplacesItWholeOrNotAtAll) {
    ASSERT_TRUE(createShop().ok());
    // The old program has files the new one will not: they go only with the swap.
    writeFileAtomic(dir / "shop.cst", testing::pattern(125, 3));
    writeFileAtomic(dir / "shop.upd", std::vector<std::uint8_t>{'7', '\n'});
    auto plu = testing::bytesOf(dir / "shop.plu");
    plu[20] ^= 0xFF;
    writeFileAtomic(dir / "shop.plu", plu);
    const auto before = picture(dir.path);

    int failures = 0;
    for (g_failAt = 1;; ++g_failAt) {
        SCOPED_TRACE(g_failAt.load());
        ProgramSession fresh;
        g_writes = 0;
        setWriteFaultHookForTesting(failNthWrite);
        bool threw = false;
        try {
            (void)createProgram(fresh, dir / "shop.app");
        } catch (const FileError&) {
            threw = true;
        }
        setWriteFaultHookForTesting(nullptr);
        if (!threw) break;
        ++failures;
        EXPECT_EQ(picture(dir.path), before) << "a failed write leaves the old program and no leftovers";
    }
    EXPECT_GT(failures, 15) << "every file of the new program is a write that can fail";
    EXPECT_FALSE(exists("shop.cst"));
    EXPECT_EQ(sizeOf(dir / "shop.upd"), 0u);
    EXPECT_EQ(sizeOf(dir / "shop.txt"), TextBlock::kSize);
    EXPECT_NE(testing::bytesOf(dir / "shop.plu"), plu);
}

TEST_F(ProgramOps, ALoadThatChangesNothingWritesNothing) {
    ASSERT_TRUE(createShop().ok());
    const auto inodeOf = [](const fs::path& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_ino;
    };
    const auto app = inodeOf(dir / "shop.app");
    ProgramSession other;
    ASSERT_TRUE(loadProgram(other, dir / "shop.app").ok());
    EXPECT_EQ(inodeOf(dir / "shop.app"), app) << "a whole-file write would have replaced the inode";

    // A repair is still written back.
    ApplicationBlock block = other.app;
    block.setOption(59, 5, true);
    writeFileAtomic(dir / "shop.app", block.bytes());
    ASSERT_TRUE(loadProgram(other, dir / "shop.app").ok());
    const auto bytes = testing::bytesOf(dir / "shop.app");
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(other.app.bytes().begin(), other.app.bytes().end()));
}

TEST_F(ProgramOps, LoadRemovesTemporariesOfDeadWritersOfThisProgramOnly) {
    ASSERT_TRUE(createShop().ok());
    // Process 99999998 does not run; this process does.
    const std::string dead = "99999998.5.0-AbCdEf";
    const std::string live = currentProcess().text() + "-AbCdEf";
    for (const auto& name : std::initializer_list<std::string>{".shop.app.tmp-" + dead, ".shop.plu.tmp-" + dead, ".shop.app.tmp-" + live,
                             ".other.app.tmp-" + dead, std::string(".shop.app.tmp-Old123"), std::string(".shop.txt.tmp-New456")})
        writeFileAtomic(dir / name, testing::pattern(10, 1));
    // Named without an owner: only one older than any write removes.
    fs::last_write_time(dir / ".shop.app.tmp-Old123", fs::file_time_type::clock::now() - std::chrono::minutes(5));

    ASSERT_TRUE(loadProgram(session, dir / "shop.app").ok());
    EXPECT_FALSE(exists(".shop.app.tmp-" + dead));
    EXPECT_FALSE(exists(".shop.plu.tmp-" + dead));
    EXPECT_FALSE(exists(".shop.app.tmp-Old123"));
    EXPECT_TRUE(exists(".shop.app.tmp-" + live)) << "a write under way";
    EXPECT_TRUE(exists(".other.app.tmp-" + dead)) << "another program's";
    EXPECT_TRUE(exists(".shop.txt.tmp-New456"));
}

TEST_F(ProgramOps, LoadStillSucceedsWhenCompanionsCannotBeWritten) {
    writeFileAtomic(dir / "shop.app", ApplicationBlock::builtIn().bytes());
    LoadResult r;
    {
        AllWritesFail fail;
        r = loadProgram(session, dir / "shop.app");
    }
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(session.loaded);
    EXPECT_GE(r.warnings.size(), 2u) << ".upd and .txt (and the .app when the load repaired it)";
    EXPECT_FALSE(exists("shop.txt"));
    EXPECT_FALSE(exists("shop.upd"));
}

}  // namespace
}  // namespace tramond
