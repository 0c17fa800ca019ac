// Register operations against a hostile disk: folders and FIFOs in a
// program's place, a disk that fills up while receiving, files too short for
// their counts, stale bytes on the line.

#include <fcntl.h>

#include "fake_port.h"
#include "link/register_ops_staging.h"
#include "program/file_io.h"
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
