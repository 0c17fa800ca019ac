// The command-line transfer modes without a window: argument handling,
// questions on the terminal or --yes, messages on stderr, exit status.

#include <sys/stat.h>

#include <sstream>

#include "app/command_line.h"
#include "link/logo.h"
#include "link/unattended.h"
#include "program/file_io.h"
#include "program/staged_commit.h"
#include "register_ops_support.h"
#include "support/json_value.h"

namespace tramond::testing {
namespace {

class UnattendedTest : public RegisterOpsFixture {
protected:
    int run(const std::vector<std::string>& args, const std::string& typed = "", bool terminal = false) {
        err.str("");
        in.str(typed);
        in.clear();
        UnattendedEnvironment env;
        env.err = &err;
        out.str("");
        env.out = &out;
        env.in = &in;
        env.terminal = terminal;
        env.link.port = "COM1";
        env.link.baudRate = 9600;
        env.timeoutMs = 150;
        env.identificationRetryDelay = std::chrono::milliseconds(1);
        env.makePort = [this](const std::string& name) {
            portNames.push_back(name);
            return std::unique_ptr<SerialPort>(std::make_unique<ForwardingPort>(line.pc(), &opened));
        };
        ProgramSession fresh;
        runSession = fresh;
        const int status = runUnattended(parseCommandLine(args), runSession, env);
        return status;
    }

    fs::path installedProgram() {
        const auto p = makeProgram("shop.app");
        return p;
    }

    std::ostringstream err;
    std::ostringstream out;
    std::istringstream in;
    std::vector<std::string> portNames;
    PortConfig opened;
    ProgramSession runSession;
};

TEST_F(UnattendedTest, ClearAndInstallNeedsAnAnswer) {
    const auto program = installedProgram().string();
    startSim();

    // No terminal, no --yes: nobody said yes, nothing is cleared.
    EXPECT_EQ(run({program, "clinst", "0", "3", "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("Are You Sure ?"), std::string::npos);
    EXPECT_EQ(sim->memory(1).clears, 0);
    EXPECT_TRUE(tap->frames().empty());

    // A person on the terminal says no, then yes.
    EXPECT_EQ(run({program, "CLINST", "0", "3", "38400"}, "n\n", true), kExitFailed);
    EXPECT_EQ(sim->memory(1).clears, 0);
    EXPECT_EQ(run({program, "clinst", "0", "3", "38400"}, "y\n", true), kExitSucceeded) << err.str();
    EXPECT_EQ(sim->memory(1).clears, 1);

    // --yes answers for a scheduled job.
    EXPECT_EQ(run({"--yes", program, "clinst", "0", "3", "38400"}), kExitSucceeded) << err.str();
    EXPECT_EQ(sim->memory(1).clears, 2);
    EXPECT_NE(err.str().find("Send..."), std::string::npos) << "progress goes to stderr";
    EXPECT_EQ(opened.name, "COM3");
    EXPECT_EQ(opened.baudRate, 38400);
    EXPECT_EQ(opened.timeoutMs, 150);
    EXPECT_TRUE(runSession.unattended);
}

TEST_F(UnattendedTest, PortArgumentRules) {
    const auto program = installedProgram().string();
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    writeBytes(fs::path(program).replace_extension(".upd"), {});
    for (const auto& [arg, expected] : std::vector<std::pair<std::string, std::string>>{
             {"3", "COM3"}, {"0", "COM1"}, {"x", "COM1"}, {"COM12", "COM12"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"}}) {
        EXPECT_EQ(run({program, "update", "0", arg, "19200"}), kExitSucceeded) << arg << err.str();
        EXPECT_EQ(portNames.back(), expected);
        EXPECT_EQ(opened.baudRate, 19200);
    }
    // Without port and baud the stored settings apply.
    EXPECT_EQ(run({program, "update"}), kExitSucceeded);
    EXPECT_EQ(portNames.back(), "COM1");
    EXPECT_EQ(opened.baudRate, 9600);
}

TEST_F(UnattendedTest, UpdateNeverOffersToClearTheList) {
    const auto program = installedProgram();
    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    writeBytes(fs::path(program).replace_extension(".upd"), {'0', '0', '0', '0', '0', '5', '0', '0', '1'});
    EXPECT_EQ(run({program.string(), "update", "4", "1", "38400"}, "y\n", true), kExitSucceeded) << err.str();
    EXPECT_EQ(err.str().find("Clear update file ?"), std::string::npos);
    EXPECT_EQ(fileBytes(fs::path(program).replace_extension(".upd")).size(), 9u);
    EXPECT_EQ(tap->numbers('U'), std::vector<std::uint16_t>{5001});
    EXPECT_EQ(tap->frames().back().terminal, 0) << "the register number only bounds a loop";
}

TEST_F(UnattendedTest, ReadWritesTheNamedProgram) {
    startSim();
    {
        ProgramSession other;
        const auto path = dir / "src" / "src.app";
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(createProgram(other, path).ok());
        sim->memory(1).seedFromProgram(path, 0);
    }
    const auto target = dir / "fromreg.app";
    EXPECT_EQ(run({target.string(), "read", "0", "1", "38400"}), kExitSucceeded) << err.str();
    EXPECT_EQ(fileBytes(target).size(), ApplicationBlock::kSize);
    EXPECT_TRUE(runSession.loaded);

    // An existing file: overwritten only when someone says so.
    EXPECT_EQ(run({target.string(), "read", "0", "1", "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("File Exists Overwrite ?"), std::string::npos);
    EXPECT_EQ(run({"--yes", target.string(), "read", "0", "1", "38400"}), kExitSucceeded) << err.str();
}

TEST_F(UnattendedTest, FailuresGiveANonzeroStatusAndTheMessage) {
    const auto program = installedProgram().string();
    auto opts = fastSim();
    opts.silentAfterBlocks = 120;
    startSim(opts);
    EXPECT_EQ(run({"--yes", "--json", program, "clinst", "0", "1", "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("Check RS232 Connection !!"), std::string::npos);
    // A script reads the outcome from one object on standard output.
    EXPECT_EQ(out.str(), "{\"program\":\"" + program +
                             "\",\"mode\":\"clinst\",\"register\":0,\"port\":\"COM1\",\"baud\":38400,"
                             "\"ok\":false,\"exit\":1,\"messages\":[\"error: Check RS232 Connection !!\"],"
                             "\"history\":{\"version\":1,\"recorded\":true}}\n");

    EXPECT_EQ(run({(dir / "missing.app").string(), "update", "0", "1", "38400"}), kExitUsage);
    EXPECT_NE(err.str().find("File Error!"), std::string::npos);
    EXPECT_EQ(run({program, "emode"}), kExitUsage);
}

TEST_F(UnattendedTest, BadInputOnDiskGivesANonzeroStatusBeforeAnythingIsSent) {
    const auto program = installedProgram();
    startSim();
    // A damaged logo: refused before CLR, not skipped.
    session.app.setU8(kAppLogoSettingOffset, 1);
    writeBytes(program, std::vector<std::uint8_t>(session.app.bytes().begin(), session.app.bytes().end()));
    auto bmp = blankLogoBitmap(*logoLayout(1));
    bmp[21] = 0x7F;  // width 0x7F0000xx
    writeBytes(fs::path(program).replace_extension(".bmp"), bmp);
    EXPECT_EQ(run({"--yes", program.string(), "clinst", "0", "1", "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("shop.bmp"), std::string::npos) << err.str();
    EXPECT_EQ(sim->memory(1).clears, 0);

    // A ".txt" that is a folder: the built-in texts must not go out instead.
    fs::remove(fs::path(program).replace_extension(".txt"));
    fs::create_directory(fs::path(program).replace_extension(".txt"));
    EXPECT_EQ(run({"--yes", program.string(), "clinst", "0", "1", "38400"}), kExitUsage);
    EXPECT_NE(err.str().find("shop.txt"), std::string::npos) << err.str();
    EXPECT_TRUE(fs::is_directory(fs::path(program).replace_extension(".txt")));
    EXPECT_TRUE(tap->frames().empty());
}

// A refused run changes nothing, so it writes nothing: not even the ".app"
// the load read (a whole-file write would give it a new inode).
TEST_F(UnattendedTest, ARefusedSendLeavesEveryFileAsItWas) {
    const auto program = installedProgram();
    startSim();
    const auto txt = fs::path(program).replace_extension(".txt");
    auto texts = fileBytes(txt);
    texts.resize(5000);
    writeBytes(txt, texts);
    const auto before = folderPicture(dir);
    struct stat st {};
    ASSERT_EQ(::stat(program.c_str(), &st), 0);
    const auto inode = st.st_ino;
    EXPECT_EQ(run({"--yes", program.string(), "clinst", "0", "1", "38400"}), kExitFailed);
    EXPECT_NE(err.str().find("shop.txt"), std::string::npos) << err.str();
    EXPECT_EQ(folderPicture(dir), before);
    ASSERT_EQ(::stat(program.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, inode);
    EXPECT_TRUE(tap->frames().empty());
}

// A load into the program cut off while another process still puts its
// files in place: the transfer modes refuse (exit 2) naming it.
TEST_F(UnattendedTest, AnUnfinishedLoadOfTheProgramIsNamedAndNothingIsSent) {
    const auto program = installedProgram();
    startSim();
    const auto folder = createStagingFolder(dir, "shop");
    writeTextFileAtomic(folder / ".commit", "tramond-commit 2\nmove\tshop.plu\t" +
                                                fs::path(program).replace_extension(".plu").string() + "\n");
    EXPECT_EQ(run({"--yes", program.string(), "update", "0", "1", "38400"}), kExitUsage);
    EXPECT_NE(err.str().find(folder.filename().string()), std::string::npos) << err.str();
    EXPECT_TRUE(tap->frames().empty());
    fs::remove(folder / ".commit");
    releaseStagingFolder(folder);
}

// The dealer's look before a nightly job: what Update would send, in the
// order it sends it, with nothing opened or written; and it is what Update
// then sends.
TEST_F(UnattendedTest, DryRunListsWhatUpdateSendsInOrderAndTouchesNothing) {
    const auto program = installedProgram();
    const auto upd = fs::path(program).replace_extension(".upd");
    const std::string lines = "000005003\n000000002\n000003001\n000000090\n000004001\n000005001\n";
    writeBytes(upd, {lines.begin(), lines.end()});
    const auto before = folderPicture(dir);

    EXPECT_EQ(run({program.string(), "update", "--dry-run"}), kExitSucceeded) << err.str();
    // The PB trailer is passed over, as Update passes it over without its flag.
    EXPECT_EQ(out.str(), "block 2\nclerk 1 (block 3001)\ngroup 1 (block 4001)\ndepartment 1 (block 5001)\n"
                         "department 3 (block 5003)\n");
    EXPECT_TRUE(portNames.empty()) << "no port for a dry run";

    EXPECT_EQ(run({"--json", program.string(), "update", "0", "3", "9600", "--dry-run"}), kExitSucceeded);
    const auto json = JsonReader::parse(out.str());
    ASSERT_TRUE(json) << out.str();
    EXPECT_TRUE((*json)["dryRun"].boolean);
    EXPECT_TRUE((*json)["ok"].boolean);
    const auto& send = (*json)["send"].items;
    ASSERT_EQ(send.size(), 5u) << out.str();
    EXPECT_EQ(send[0]["block"].number, 2);
    EXPECT_EQ(send[4]["kind"].string, "department");
    EXPECT_EQ(send[4]["record"].number, 3);
    EXPECT_EQ(send[4]["block"].number, 5003);
    EXPECT_TRUE(portNames.empty());
    EXPECT_EQ(folderPicture(dir), before) << "a dry run writes nothing";

    startSim();
    sim->memory(1).seedFromProgram(program, 0);
    EXPECT_EQ(run({program.string(), "update", "0", "1", "38400"}), kExitSucceeded) << err.str();
    EXPECT_EQ(tap->numbers('U'), (std::vector<std::uint16_t>{2, 3001, 4001, 5001, 5003}));
}

TEST_F(UnattendedTest, DryRunSaysWhenUpdateWouldBeRefused) {
    const auto program = installedProgram();
    const auto upd = fs::path(program).replace_extension(".upd");
    struct Case {
        std::string lines;  // the update list; "-" for none
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"000005001\n000005999\n", kExitFailed, "Update code 5999 names no record"},
        {"000005001\nrubbish\n", kExitFailed, "\"rubbish\", which is no change code"},
        {"-", kExitFailed, "Update file does not exist"},
        {"", kExitSucceeded, "0 items would be sent"},
    };
    for (const auto& c : cases) {
        fs::remove(upd);
        if (c.lines != "-") writeBytes(upd, {c.lines.begin(), c.lines.end()});
        const auto before = folderPicture(dir);
        EXPECT_EQ(run({"--json", program.string(), "update", "--dry-run"}), c.status) << c.lines;
        EXPECT_NE(err.str().find(c.says), std::string::npos) << c.lines << ": " << err.str();
        const auto json = JsonReader::parse(out.str());
        ASSERT_TRUE(json) << out.str();
        EXPECT_EQ((*json)["ok"].boolean, c.status == kExitSucceeded) << c.lines;
        EXPECT_EQ(folderPicture(dir), before) << c.lines;
    }
    // Nothing to read at all: refused as an unusable program, with no port.
    EXPECT_EQ(run({(dir / "none.app").string(), "update", "--dry-run"}), kExitUsage);
    EXPECT_TRUE(portNames.empty());
}

}  // namespace
}  // namespace tramond::testing
