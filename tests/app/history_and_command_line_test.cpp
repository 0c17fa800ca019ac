#include <gtest/gtest.h>

#include <fstream>

#include "app/app_test_support.h"
#include "app/command_line.h"
#include "app/file_history.h"
#include "app/orvalt_registry.h"
#include "app/program_dir.h"

namespace tramond {
namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FileHistory, LoadingABThenCListsBAAndSavesCBA) {
    TempDir dir;
    FileHistory h(dir.path() / "History.txt");
    h.load();
    h.add("A.app");
    h.add("B.app");
    h.add("C.app");
    EXPECT_EQ(h.entries(), (std::vector<std::string>{"B.app", "A.app"}));
    EXPECT_EQ(h.current(), "C.app");
    EXPECT_EQ(FileHistory::caption(0, "B.app"), "&1 B.app");
    ASSERT_TRUE(h.saveOnExit());
    EXPECT_EQ(slurp(dir.path() / "History.txt"), "C.app\r\nB.app\r\nA.app\r\n");

    FileHistory again(dir.path() / "History.txt");
    again.load();
    EXPECT_EQ(again.entries(), (std::vector<std::string>{"C.app", "B.app", "A.app"}));
    again.add("b.APP");  // a listed program loaded again leaves the list
    EXPECT_EQ(again.entries(), (std::vector<std::string>{"C.app", "A.app"}));
}

TEST(FileHistory, SameProgramTwiceIsListedOnce) {
    TempDir dir;
    FileHistory h(dir.path() / "History.txt");
    h.add("A.app");
    h.add("A.app");
    EXPECT_TRUE(h.entries().empty());
    h.saveOnExit();
    EXPECT_EQ(slurp(dir.path() / "History.txt"), "A.app\r\n");
}

TEST(FileHistory, KeepsTheFiveMostRecent) {
    TempDir dir;
    std::ofstream(dir.path() / "History.txt") << "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n";
    FileHistory h(dir.path() / "History.txt");
    h.load();
    EXPECT_EQ(h.entries().size(), 5u);
    h.add("new");
    h.saveOnExit();
    EXPECT_EQ(slurp(dir.path() / "History.txt"), "new\r\n1\r\n2\r\n3\r\n4\r\n");
}

TEST(FileHistory, MissingFileIsEmptyAndUnwritableFileReportsFailure) {
    FileHistory h("/nonexistent/tramond/History.txt");
    h.load();
    EXPECT_TRUE(h.entries().empty());
    h.add("A.app");
    EXPECT_FALSE(h.saveOnExit());
}

TEST(FileHistory, RemoveForgetsCurrentAndListed) {
    FileHistory h("unused");
    h.add("A.app");
    h.add("B.app");
    h.remove("a.app");
    h.remove("B.app");
    EXPECT_TRUE(h.entries().empty());
    EXPECT_TRUE(h.current().empty());
}

TEST(CommandLine, SingleArgumentLoadsSilently) {
    const auto cl = parseCommandLine({"/p/shop.app"});
    EXPECT_TRUE(cl.singleProgram());
    EXPECT_TRUE(cl.loadsProgram());
    EXPECT_EQ(cl.programPath, "/p/shop.app");
    EXPECT_EQ(cl.mode, CommandMode::None);
    EXPECT_FALSE(cl.unattended());
}

TEST(CommandLine, ModeWordsAnyCaseUnknownIgnored) {
    EXPECT_EQ(parseCommandLine({"a", "EMODE"}).mode, CommandMode::Edit);
    EXPECT_EQ(parseCommandLine({"a", "Update"}).mode, CommandMode::Update);
    EXPECT_EQ(parseCommandLine({"a", "instal"}).mode, CommandMode::Install);
    EXPECT_EQ(parseCommandLine({"a", "clinst"}).mode, CommandMode::ClearInstall);
    EXPECT_EQ(parseCommandLine({"a", "READ"}).mode, CommandMode::Read);
    const auto unknown = parseCommandLine({"a", "install"});
    EXPECT_EQ(unknown.mode, CommandMode::Unknown);
    EXPECT_FALSE(unknown.loadsProgram());
    EXPECT_FALSE(unknown.unattended());
    EXPECT_TRUE(parseCommandLine({"a", "read"}).unattended());
    EXPECT_FALSE(parseCommandLine({"a", "read"}).loadsProgram());
}

TEST(CommandLine, PortRules) {
    auto port = [](const std::string& p) { return *parseCommandLine({"a", "update", "0", p, "9600"}).portName(); };
    EXPECT_EQ(port("3"), "COM3");
    EXPECT_EQ(port("0"), "COM1");
    EXPECT_EQ(port("x"), "COM1");
    EXPECT_EQ(port("COM12"), "COM12");
    EXPECT_EQ(port("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_FALSE(parseCommandLine({"a", "update", "0"}).portName().has_value());
}

TEST(CommandLine, NumbersAndYesOption) {
    const auto cl = parseCommandLine({"--yes", "a.app", "update", "12", "3", "19200"});
    EXPECT_TRUE(cl.assumeYes);
    EXPECT_EQ(cl.programPath, "a.app");
    EXPECT_EQ(cl.registerNumber, 12);
    EXPECT_EQ(cl.baudRate, 19200);
    EXPECT_EQ(parseCommandLine({"a", "update", "x", "1", "fast"}).registerNumber, 0);
    // The options stand anywhere, as a script writes them; after "--" every
    // argument is positional; an unknown option is a problem, not a port.
    const auto late = parseCommandLine({"a.app", "update", "1", "2", "9600", "--yes", "--json"});
    EXPECT_TRUE(late.assumeYes && late.json);
    EXPECT_EQ(late.arguments.size(), 5u);
    const auto literal = parseCommandLine({"--", "--yes", "update"});
    EXPECT_FALSE(literal.assumeYes);
    EXPECT_EQ(literal.programPath, "--yes");
    EXPECT_EQ(parseCommandLine({"a.app", "update", "--jsn"}).problem, "unknown option --jsn");
}

TEST(InstallationCheck, FirstRunDeletesPackAndHelpOnce) {
    TempDir dir;
    for (const char* f : {"Tramond.mwt", "Tramond.hlp", "Tramond.cnt", "Tramond.gid", "History.txt"})
        std::ofstream(dir.path() / f) << "x";
    MemorySettingsStore store;
    store.write(kInstallationKey, "FirstRun", "1");
    EXPECT_TRUE(installationCheck(store, dir.path()));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Tramond.mwt"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Tramond.cnt"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "History.txt"));
    EXPECT_EQ(store.read(kInstallationKey, "FirstRun"), "0");
    EXPECT_FALSE(installationCheck(store, dir.path()));
}

TEST(InstallationCheck, MissingValueIsCreatedEmptyAndNothingDeleted) {
    TempDir dir;
    std::ofstream(dir.path() / "Tramond.mwt") << "x";
    MemorySettingsStore store;
    EXPECT_FALSE(installationCheck(store, dir.path()));
    EXPECT_TRUE(store.contains(kInstallationKey, "FirstRun"));
    EXPECT_EQ(store.read(kInstallationKey, "FirstRun"), "");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "Tramond.mwt"));
}

TEST(ProgramDirectory, HomeOverridesThenWritableExecutableDirThenUserData) {
    TempDir exe, data, home;
    EXPECT_EQ(programDirectory(home.path() / "h", exe.path(), data.path()), home.path() / "h");
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "h"));
    EXPECT_EQ(programDirectory(std::nullopt, exe.path(), data.path()), exe.path());
    EXPECT_EQ(programDirectory(std::nullopt, "/nonexistent/bin", data.path() / "u"), data.path() / "u");
    EXPECT_TRUE(std::filesystem::is_directory(data.path() / "u"));
}

}  // namespace
}  // namespace tramond
