// Register operations against a hostile disk: folders and FIFOs in a
// program's place, a disk that fills up while receiving, files too short for
// their counts, stale bytes on the line.

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>

#include "fake_port.h"
#include "link/register_ops_staging.h"
#include "program/default_logo.h"
#include "program/file_io.h"
#include "program/system_blocks.h"
#include "program/text_block.h"
#include "register_ops_support.h"

namespace tramond::testing {
namespace {

bool stagingLeftIn(const fs::path& dir) {
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().starts_with(LoadStaging::kFolderPrefix)) return true;
    return false;
}

bool anyMessageHas(const ScriptedHost& host, const std::string& part) {
    return std::any_of(host.messages.begin(), host.messages.end(),
                       [&](const auto& m) { return m.text.find(part) != std::string::npos; });
}

class RegisterOpsSafetyTest : public RegisterOpsFixture {
protected:
    void TearDown() override {
        setWriteFaultHookForTesting(nullptr);
        RegisterOpsFixture::TearDown();
    }
    // The register holds the program; the copy on disk then differs in one
    // department byte and has a full customer file, so that any write of the
    // load would show.
    fs::path seededRegister() {
        const auto program = makeProgram("shop.app");
        session.app.setOption(119, 1, true);
        saveAndReload();
        writeBytes(fs::path(program).replace_extension(".cst"),
                   std::vector<std::uint8_t>(kCustomerRecords * kCustomerRecordSize, 'c'));
        startSim();
        sim->memory(1).seedFromProgram(program, 0);
        auto dpt = fileBytes(fs::path(program).replace_extension(".dpt"));
        dpt[9] ^= 0x55;
        writeBytes(fs::path(program).replace_extension(".dpt"), dpt);
        host.loadTarget = program;
        return program;
    }
};

TEST_F(RegisterOpsSafetyTest, LoadRefusesFoldersInAProgramFilesPlaceBeforeAsking) {
    for (const char* ext : {".app", ".txt", ".plu"}) {
        SCOPED_TRACE(ext);
        const auto folder = fs::path(dir / "shop").replace_extension(ext);
        fs::create_directories(folder);
        writeBytes(folder / "keep", {1, 2, 3});
        startSim();
        host = ScriptedHost{};
        host.loadTarget = dir / "shop.app";
        auto o = ops();
        EXPECT_FALSE(o.loadFromRegister());
        EXPECT_TRUE(anyMessageHas(host, folder.filename().string()));
        EXPECT_EQ(fileBytes(folder / "keep").size(), 3u) << "a folder is never removed";
        EXPECT_TRUE(tap->frames().empty()) << "refused before the register was asked";
        EXPECT_FALSE(stagingLeftIn(dir));
        fs::remove_all(folder);
    }
}

// Fails every write of a file once it holds this many bytes, and every
// final flush when it is 0: a disk that fills up mid-load.
std::size_t g_failFrom = 0;
WriteStage g_failStage = WriteStage::Write;
bool diskFull(WriteStage stage, std::size_t written) { return stage == g_failStage && written >= g_failFrom; }

TEST_F(RegisterOpsSafetyTest, AFailedWriteOrFlushFailsTheLoadAndKeepsTheOldProgram) {
    const struct {
        WriteStage stage;
        std::size_t from;
    } faults[] = {{WriteStage::Write, 19456}, {WriteStage::Write, 0}, {WriteStage::Sync, 0}};
    for (const auto& f : faults) {
        SCOPED_TRACE(f.from);
        const auto program = seededRegister();
        const auto before = folderPicture(dir);
        g_failStage = f.stage;
        g_failFrom = f.from;
        setWriteFaultHookForTesting(diskFull);
        auto o = ops();
        EXPECT_FALSE(o.loadFromRegister());
        setWriteFaultHookForTesting(nullptr);
        EXPECT_TRUE(anyMessageHas(host, "Cannot write")) << (host.messages.empty() ? "" : host.messages[0].text);
        EXPECT_EQ(folderPicture(dir), before) << "not one byte of the old program changed";
        EXPECT_FALSE(stagingLeftIn(dir));
        host = ScriptedHost{};
        session = ProgramSession{};
    }
}

TEST_F(RegisterOpsSafetyTest, NothingIsSentWhileAFileIsShortOrACodeNamesNoRecord) {
    const auto program = makeProgram("shop.app");
    const auto dpt = fs::path(program).replace_extension(".dpt");
    const auto upd = fs::path(program).replace_extension(".upd");
    const auto departments = kindCount(session.app, *findKindByExtension(".dpt"));
    ASSERT_GT(departments, 0u);
    const std::string pastTheEnd = std::to_string(5000 + departments + 1);
    const auto goodDpt = fileBytes(dpt);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> dptBytes;
        std::string updText;
        bool clearAndInstall;
        std::string named;
    } cases[] = {
        {"empty .dpt", {}, "", true, "shop.dpt"},
        {"one record short", std::vector<std::uint8_t>(goodDpt.begin(), goodDpt.end() - 1), "", true, "shop.dpt"},
        {"code past the count", goodDpt, "5001\n" + pastTheEnd + "\n", false, pastTheEnd},
        {"junk in number mode", goodDpt, "5001\nhello\n", false, "hello"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(dpt, c.dptBytes);
        writeBytes(upd, std::vector<std::uint8_t>(c.updText.begin(), c.updText.end()));
        startSim();
        sim->memory(1).seedFromProgram(program, 0);
        host = ScriptedHost{};
        auto o = ops();
        EXPECT_FALSE(c.clearAndInstall ? o.clearAndInstallRegister() : o.updateRegister());
        EXPECT_TRUE(anyMessageHas(host, c.named)) << (host.messages.empty() ? "" : host.messages[0].text);
        EXPECT_EQ(sim->memory(1).clears, 0);
        EXPECT_TRUE(tap->frames().empty()) << "nothing reached the register";
        EXPECT_TRUE(fs::exists(upd)) << "a refused run keeps the update list";
    }
}

// Every file the run will send, and the update list itself, is judged
// before the port opens: a damaged one found later leaves a register
// cleared, or half-updated.
TEST_F(RegisterOpsSafetyTest, EveryFileTheRunWillSendIsCheckedBeforeTheRegisterHearsAnything) {
    const auto program = makeProgram("shop.app");
    session.app.setOption(119, 1, true);  // customers go too, when the dealer says yes
    session.app.setU8(kAppLogoSettingOffset, 1);
    saveAndReload();
    const auto file = [&](const char* ext) { return fs::path(program).replace_extension(ext); };
    writeBytes(file(".cst"), std::vector<std::uint8_t>(kCustomerRecords * kCustomerRecordSize, 'c'));
    ASSERT_TRUE(writeDefaultLogo(file(".bmp"), session.app));
    const auto good = folderPicture(dir);
    std::uint16_t textBlock = 0;
    for (const auto& b : systemBlocks())
        if (b.area == BlockArea::Text) textBlock = b.number;
    ASSERT_NE(textBlock, 0);

    enum Mode { ClearInstall, Install, Update };
    struct Case {
        const char* what;
        Mode mode;
        std::function<void()> damage;
        const char* named;
    };
    const auto resize = [&](const char* ext, std::size_t n) {
        auto b = fileBytes(file(ext));
        b.resize(n, 'x');
        writeBytes(file(ext), b);
    };
    const auto upd = [&](const std::string& text) {
        writeBytes(file(".upd"), std::vector<std::uint8_t>(text.begin(), text.end()));
    };
    const Case cases[] = {
        {"short .txt", ClearInstall, [&] { resize(".txt", 5000); }, "shop.txt"},
        {"empty .txt", ClearInstall, [&] { resize(".txt", 0); }, "shop.txt"},
        {"missing .txt", Install, [&] { fs::remove(file(".txt")); }, "shop.txt"},
        {"long .txt", ClearInstall, [&] { resize(".txt", TextBlock::kSize + 1); }, "shop.txt"},
        {"short .cst", ClearInstall, [&] { resize(".cst", 100); }, "shop.cst"},
        {"missing .cst", ClearInstall, [&] { fs::remove(file(".cst")); }, "shop.cst"},
        {"damaged logo, install", Install, [&] { resize(".bmp", 20); }, "shop.bmp"},
        {"damaged logo in the list", Update, [&] { resize(".bmp", 20); upd("000000091\n"); }, "shop.bmp"},
        {"short .txt, a text block in the list", Update,
         [&] { resize(".txt", 100); upd(std::to_string(textBlock) + "\n"); }, "shop.txt"},
        {"the list is a FIFO", Update,
         [&] { fs::remove(file(".upd")); ::mkfifo(file(".upd").c_str(), 0600); }, "shop.upd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(file(".upd"));  // never write into a FIFO left by a case
        for (const auto& [name, bytes] : good) writeBytes(dir / name, bytes);
        upd("");
        c.damage();
        startSim();
        sim->memory(1).seedFromProgram(program, 0);
        host = ScriptedHost{};
        auto o = ops();
        const bool ok = c.mode == ClearInstall ? o.clearAndInstallRegister()
                        : c.mode == Install    ? o.installRegister()
                                               : o.updateRegister();
        EXPECT_FALSE(ok);
        EXPECT_TRUE(anyMessageHas(host, c.named)) << (host.messages.empty() ? "" : host.messages[0].text);
        EXPECT_EQ(sim->memory(1).clears, 0);
        EXPECT_TRUE(tap->frames().empty()) << "nothing reached the register";
    }
}

TEST_F(RegisterOpsSafetyTest, ACustomerFileThatCannotGoIsAskedAboutFirstAndNoInstallsTheRest) {
    const auto program = makeProgram("shop.app");
    session.app.setOption(119, 1, true);
    saveAndReload();
    startSim();
    host.answers[opsmsg::kUploadCustomers] = false;
    auto o = ops();
    EXPECT_TRUE(o.clearAndInstallRegister()) << (host.messages.empty() ? "" : host.messages[0].text);
    EXPECT_EQ(host.asked(opsmsg::kUploadCustomers), 1) << "asked once, before CLR, and not again";
    EXPECT_EQ(sim->memory(1).clears, 1);
    const auto sent = tap->numbers('U');
    EXPECT_EQ(std::count(sent.begin(), sent.end(), kBlockCustomer), 0);
    EXPECT_GT(std::count(sent.begin(), sent.end(), kBlockChk), 0) << "everything else went";
}

// The folder keeps its update list (here: in a form no delete removes); the
// register holds the program all the same, and that is what the run says.
TEST_F(RegisterOpsSafetyTest, ClearAndInstallSucceedsWhenOnlyTheLocalListCannotBeCleared) {
    const auto program = makeProgram("shop.app");
    const auto upd = fs::path(program).replace_extension(".upd");
    fs::remove(upd);
    fs::create_directory(upd);
    writeBytes(upd / "keep", {1});
    startSim();
    auto o = ops();
    EXPECT_TRUE(o.clearAndInstallRegister());
    EXPECT_EQ(sim->memory(1).clears, 1);
    EXPECT_TRUE(anyMessageHas(host, "The register holds the program; only the local update list"));
    fs::remove_all(upd);

    // A list in a folder that may not be changed is emptied in place.
    writeBytes(upd, {'5', '0', '0', '1', '\n'});
    EXPECT_EQ(clearUpdateListAfterInstall(upd), "");
    EXPECT_FALSE(fs::exists(upd)) << "deleted where it may be";
}

TEST_F(RegisterOpsSafetyTest, LinksThatLeadNowhereOrToAnotherFileSystemAreRefusedBeforeReceiving) {
    std::vector<std::pair<std::string, fs::path>> links{{"nowhere", dir / "gone" / "shop.plu"}};
    // A second file system, where this machine has one.
    const fs::path shm = "/dev/shm";
    struct stat a {}, b {};
    if (::stat(dir.c_str(), &a) == 0 && ::stat(shm.c_str(), &b) == 0 && a.st_dev != b.st_dev) {
        const auto there = shm / ("tramond-link-" + std::to_string(::getpid()) + ".plu");
        writeBytes(there, {1, 2, 3});
        links.push_back({"another file system", there});
    } else if (std::getenv("CI")) {
        ADD_FAILURE() << "no second file system (/dev/shm) to link to";
    }
    for (const auto& [what, target] : links) {
        SCOPED_TRACE(what);
        fs::remove(dir / "shop.plu");
        fs::create_symlink(target, dir / "shop.plu");
        startSim();
        host = ScriptedHost{};
        host.loadTarget = dir / "shop.app";
        auto o = ops();
        EXPECT_FALSE(o.loadFromRegister());
        EXPECT_TRUE(anyMessageHas(host, "shop.plu")) << (host.messages.empty() ? "" : host.messages[0].text);
        EXPECT_TRUE(tap->frames().empty()) << "refused before the register was asked";
        EXPECT_TRUE(fs::is_symlink(dir / "shop.plu"));
        EXPECT_FALSE(stagingLeftIn(dir));
        if (what != "nowhere") {
            EXPECT_EQ(fileBytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
            fs::remove(target);
        }
    }
}

TEST_F(RegisterOpsSafetyTest, ReadOnlyProgramFilesAreOpenedForReadingOnly) {
    const auto program = makeProgram("shop.app");
    TransferFile file;
    const auto plu = fs::path(program).replace_extension(".plu");
    ASSERT_TRUE(file.openExisting(plu));
    // Permissions do not stop root, so the open mode itself is looked at.
    int flags = -1;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (fs::read_symlink(e.path(), ec) != fs::canonical(plu)) continue;
        std::ifstream info("/proc/self/fdinfo/" + e.path().filename().string());
        std::string key;
        while (info >> key)
            if (key == "flags:") info >> std::oct >> flags;
    }
    ASSERT_NE(flags, -1);
    EXPECT_EQ(flags & O_ACCMODE, O_RDONLY);
    EXPECT_FALSE(file.write(std::vector<std::uint8_t>{1}));
    EXPECT_TRUE(file.close());
}

TEST(SendBlockDrain, StaleBytesAreRefusedBeforeTheStx) {
    test::FakePort port;
    RegisterLink link(port);
    link.open({});
    // The tail of a frame an interrupted exchange left on the line.
    port.waiting = {kStx, 3, 'U', 0, 1};
    port.queue({kAck, kAck});
    const std::uint8_t payload[] = {'D', 0, 5};
    EXPECT_TRUE(link.sendBlock(payload));
    const auto all = port.allWritten();
    EXPECT_EQ(std::count(all.begin(), all.end(), kNak), 5);
    EXPECT_EQ(std::count(all.begin(), all.end(), kStx), 1) << "the first attempt went through";
    EXPECT_EQ(all[5], kStx);
}

}  // namespace
}  // namespace tramond::testing
