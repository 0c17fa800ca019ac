// The verbs as a script meets them: arguments, exit status, what goes to
// standard output; and the built executable without a display.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <sstream>

#include "cli/cli_verbs.h"
#include "cli_fixture.h"
#include "program/program_ops.h"

namespace tramond::testing {
namespace {

using CliVerbsTest = CliVerbsFixture;

TEST_F(CliVerbsTest, InfoJsonHasTheDocumentedKeys) {
    ASSERT_EQ(run({"info", program.appPath.string(), "--json"}), 0) << err.str();
    const auto json = out.str();
    for (const char* key : {"\"program\":", "\"registerType\":", "\"memoryRequired\":{\"bytes\":", "\"kilobytes\":",
                            "\"networkSize\":", "\"logo\":{\"size\":", "\"randomCodeSize\":0",
                            "\"updateListLength\":0", "{\"kind\":\"plu\",\"name\":\"PLU\",\"extension\":\".plu\",\"count\":12,"
                            "\"recordSize\":137,"})
        EXPECT_NE(json.find(key), std::string::npos) << key << " in " << json;
    // The memory is the status panel's: the same text as loading computes.
    EXPECT_NE(json.find(loadProgram(session, program.appPath).memory.text()), std::string::npos);
    EXPECT_EQ(run({"info", (dir / "none.app").string()}), 2);
    EXPECT_EQ(run({"info"}), 2);
}

TEST_F(CliVerbsTest, ExportAndImportThroughFiles) {
    const auto sheet = dir / "dpt.csv";
    ASSERT_EQ(run({"export", program.appPath.string(), "department", "-o", sheet.string()}), 0) << err.str();
    EXPECT_EQ(out.str(), "");
    const auto bytes = fileBytes(sheet);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_TRUE(text.starts_with("record,name,group,entryLimitation,printExtraLine,noTaxShift\r\n")) << text;

    EXPECT_EQ(run({"import", program.appPath.string(), "dpt", sheet.string(), "--json"}), 0) << err.str();
    EXPECT_EQ(out.str(), "{\"ok\":true,\"rows\":6,\"changed\":[],\"problems\":[],\"history\":null,\"problemCount\":0}\n");
    EXPECT_FALSE(fs::exists(dir / ".tramond-history")) << "an import that changed nothing leaves no trace";

    text.replace(text.find("\r\n2,") + 2, 1, "9");
    writeBytes(sheet, {text.begin(), text.end()});
    EXPECT_EQ(run({"import", program.appPath.string(), "dpt", sheet.string()}), 2);
    EXPECT_NE(err.str().find("line 3, record: \"9\" is not a record number from 1 to 6"), std::string::npos)
        << err.str();
    EXPECT_EQ(run({"export", program.appPath.string(), "keyboard"}), 2);
    EXPECT_EQ(run({"import", (dir / "none.app").string(), "dpt", sheet.string()}), 2) << "a missing program is input";

    // A file shorter than the count is exported as far as it goes, with a word.
    auto dpt = fileBytes(program.file(".dpt"));
    dpt.resize(dpt.size() / 2);
    writeBytes(program.file(".dpt"), dpt);
    ASSERT_EQ(run({"export", program.appPath.string(), "Department File", "-o", sheet.string(), "--json"}), 0);
    EXPECT_NE(out.str().find("\"warnings\":[\"shop.dpt holds 3 records, fewer than the program's count of 6\"]"),
              std::string::npos)
        << out.str();
    EXPECT_NE(err.str().find("warning: shop.dpt holds 3 records"), std::string::npos) << err.str();
    EXPECT_EQ(run({"export", program.appPath.string(), "dpt", "--json"}), 2) << "the JSON needs standard output";
}

TEST_F(CliVerbsTest, DiffAndVerifyExitAsDiffDoes) {
    copyProgram(session, dir / "copy.app");
    const auto copy = (dir / "copy.app").string();
    EXPECT_EQ(run({"diff", program.appPath.string(), copy}), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(run({"diff", program.appPath.string(), (dir / "none.app").string()}), 2);

    startSim();
    ASSERT_TRUE(ops().clearAndInstallRegister());
    link.timeoutMs = 150;
    link.makePort = [this](const std::string& name) {
        EXPECT_EQ(name, "COM3");
        return std::unique_ptr<SerialPort>(std::make_unique<ForwardingPort>(line.pc()));
    };
    EXPECT_EQ(run({"verify", program.appPath.string(), "0", "3", "38400", "--json"}), 0) << err.str();
    EXPECT_EQ(out.str(), "{\"status\":\"same\",\"same\":true,\"differences\":[]}\n");

    auto plu = fileBytes(program.file(".plu"));
    plu[plu::kRecordSize + plu::kDepartment] ^= 1;
    writeBytes(program.file(".plu"), plu);
    EXPECT_EQ(run({"verify", program.appPath.string(), "0", "3", "38400"}), 1) << err.str();
    EXPECT_EQ(out.str().find("plu 2: department: "), 0u) << out.str();
    EXPECT_EQ(run({"diff", program.appPath.string(), copy, "--json"}), 1);
    EXPECT_NE(out.str().find("{\"area\":\"plu\",\"record\":2,\"item\":\"department\",\"caption\":\"\",\"a\":"),
              std::string::npos)
        << out.str();

    thread.reset();  // the register is gone
    EXPECT_EQ(run({"verify", program.appPath.string(), "0", "3", "38400"}), 2);
    EXPECT_NE(err.str().find("Check RS232 Connection !!"), std::string::npos) << err.str();
    // Nothing was compared: never "same".
    EXPECT_EQ(run({"verify", program.appPath.string(), "0", "3", "38400", "--json"}), 2);
    EXPECT_EQ(out.str(), "{\"status\":\"not read\",\"same\":false,\"differences\":[]}\n");
}

TEST(Executable, RunsWithoutADisplay) {
    const std::string exe = std::string(TRAMOND_BINARY_DIR) + "/bin/tramond";
    struct Case {
        const char* args;
        int status;
        const char* says;
    };
    for (const auto& c : {Case{"--help", 0, "tramond VERB"}, Case{"--version", 0, "tramond "},
                          Case{"info --help", 0, "Usage: tramond info"}, Case{"frobnicate", 2, "Usage:"},
                          Case{"", 3, "no display"}}) {
        const auto cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + exe + " " + c.args + " 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::string text;
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) text += buf;
        const int status = pclose(p);
        EXPECT_TRUE(WIFEXITED(status)) << c.args;
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args << ": " << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.args << ": " << text;
    }
}

}  // namespace
}  // namespace tramond::testing
