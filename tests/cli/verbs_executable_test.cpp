// Every verb of the built executable as a script meets it: for each verb,
// a missing program, a folder, a damaged file and a bad option give exit 2,
// the same with --json plus one valid JSON object, nothing changed on disk
// and nothing on stderr but the verb's own messages. Then --help, the manual
// page and the README, which must tell the same.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "link/register_ops_support.h"
#include "support/json_value.h"

namespace tramond::testing {
namespace {

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class VerbsExecutable : public ::testing::Test {
protected:
    struct Run {
        int status = -1;
        std::string out, err;
    };

    void SetUp() override {
        root = fs::temp_directory_path() / ("tramond-verbs-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        work = root / "work";
        fs::create_directories(work);
        fs::create_directories(root / "config");
        fs::create_directories(root / "home");
        ASSERT_EQ(tramond({"create", "shop.app"}).status, 0);
        ASSERT_EQ(tramond({"create", "good.app"}).status, 0);
        fs::create_directory(work / "folder.app");
        fs::create_directory(work / "folder.a30");
        const std::string junk(100, '\x01');
        std::ofstream(work / "damaged.app", std::ios::binary) << junk;
        std::ofstream(work / "damaged.a30", std::ios::binary) << std::string("\x7f" "ELF\x02\x01\x01", 7) << junk;
        std::ofstream(work / "os.a30") << ":0100000011EE\n:00000001FF\n";
        ASSERT_EQ(tramond({"export", "shop.app", "dpt", "-o", "sheet.csv"}).status, 0);
    }
    void TearDown() override { fs::remove_all(root); }

    // The executable in a bare environment, as cron starts it: no display,
    // no runtime folder, its own settings folder.
    Run tramond(const std::vector<std::string>& args) {
        std::string cmd = "cd " + quoted(work.string()) +
                          " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR HOME=" +
                          quoted((root / "home").string()) + " XDG_CONFIG_HOME=" +
                          quoted((root / "config").string()) + " " + quoted(exe);
        for (const auto& a : args) cmd += " " + quoted(a);
        cmd += " >" + quoted((root / "out").string()) + " 2>" + quoted((root / "err").string()) + " </dev/null";
        const int raw = std::system(cmd.c_str());
        Run r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readText(root / "out");
        r.err = readText(root / "err");
        return r;
    }

    std::map<std::string, std::vector<std::uint8_t>> picture() {
        auto p = folderPicture(work);
        for (auto& [name, bytes] : folderPicture(root / "config")) p["config/" + name] = bytes;
        for (const auto& e : fs::recursive_directory_iterator(work))
            if (e.is_directory()) p["dir:" + fs::relative(e.path(), work).string()] = {};
        return p;
    }

    static void expectQuietStderr(const Run& r, const std::string& what) {
        for (const char* noise : {"QStandardPaths", "XDG_RUNTIME_DIR", "qt.", "QFont", "propagateSizeHints"})
            EXPECT_EQ(r.err.find(noise), std::string::npos) << what << ": " << r.err;
    }

    const std::string exe = std::string(TRAMOND_BINARY_DIR) + "/bin/tramond";
    fs::path root, work;
};

TEST_F(VerbsExecutable, EveryVerbRefusesBadInputWithExitTwoJsonAndNoChange) {
    struct VerbArgs {
        const char* verb;
        std::vector<std::string> args;  // "{P}" is the program (or file) under test
        const char* ext;                // of that file: ".app" or ".a30"
    };
    const VerbArgs verbs[] = {
        {"info", {"{P}"}, ".app"},
        {"diff", {"{P}", "good.app"}, ".app"},
        {"export", {"{P}", "dpt", "-o", "out.csv"}, ".app"},
        {"import", {"{P}", "dpt", "sheet.csv"}, ".app"},
        {"verify", {"{P}", "0", "/nonexistent/tty", "9600"}, ".app"},
        {"print", {"{P}", "dpt", "-o", "list.txt"}, ".app"},
        {"print-keyboard", {"{P}", "-o", "kb.pdf"}, ".app"},
        {"upload-os", {"{P}", "/nonexistent/tty"}, ".a30"},
        {"create", {"{P}"}, ".app"},
    };
    struct Input {
        const char* name;
        const char* stem;  // the file under test, before its extension
        bool badOption;
    };
    const Input inputs[] = {
        {"missing program", "none", false},
        {"folder", "folder", false},
        {"damaged file", "damaged", false},
        {"bad option", "shop", true},
    };
    // The verb list of --help names exactly these.
    const auto help = tramond({"--help"}).out;
    for (const auto& v : verbs) EXPECT_NE(help.find(std::string("\n  ") + v.verb + " "), std::string::npos) << v.verb;

    for (const auto& v : verbs) {
        for (const auto& in : inputs) {
            // "create" makes a missing program: that is its success.
            if (std::string(v.verb) == "create" && std::string(in.stem) == "none") continue;
            std::vector<std::string> args{v.verb};
            // A bad option beside a good file: the option alone is wrong.
            const std::string stem = in.badOption && std::string(v.ext) == ".a30" ? "os" : in.stem;
            for (const auto& a : v.args) args.push_back(a == "{P}" ? stem + v.ext : a);
            if (in.badOption) args.push_back("--frobnicate");
            const std::string what = std::string(v.verb) + " / " + in.name;

            const auto before = picture();
            const auto plain = tramond(args);
            EXPECT_EQ(plain.status, 2) << what << ": " << plain.err;
            EXPECT_FALSE(plain.err.empty()) << what << ": says why";
            expectQuietStderr(plain, what);

            args.push_back("--json");
            const auto json = tramond(args);
            EXPECT_EQ(json.status, 2) << what << " --json: " << json.err;
            const auto object = JsonReader::parse(json.out);
            ASSERT_TRUE(object && object->type == JsonValue::Type::Object) << what << ": " << json.out;
            if (object->has("exit")) { EXPECT_EQ((*object)["exit"].number, 2) << what << ": " << json.out; }
            if (object->has("same")) { EXPECT_FALSE((*object)["same"].boolean) << what; }
            EXPECT_EQ(picture(), before) << what << ": nothing changed on disk";
        }
    }
}

TEST_F(VerbsExecutable, JsonOnEveryOutcomeAndReadingVerbsWriteNothing) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* key;  // a key the object must have
        bool readsOnly;   // leaves the settings file alone
    };
    const Case cases[] = {
        {{"info", "shop.app", "--json"}, 0, "kinds", true},
        {{"diff", "shop.app", "good.app", "--json"}, 0, "differences", true},
        {{"export", "shop.app", "PLU", "-o", "plu.csv", "--json"}, 0, "warnings", true},
        // Printing reads the printer settings; it does not write their defaults.
        {{"print", "shop.app", "Department File", "-o", "dpt.pdf", "--json"}, 0, "lines", true},
        {{"print-keyboard", "shop.app", "-o", "kb.pdf", "--json"}, 0, "pages", true},
        {{"verify", "shop.app", "0", "/nonexistent/tty", "9600", "--json"}, 2, "status", true},
        {{"upload-os", "os.a30", "/nonexistent/tty", "--json"}, 1, "checksum", true},
        {{"--json", "shop.app", "update", "0", "/nonexistent/tty", "9600"}, 1, "mode", false},
        {{"shop.app", "update", "0", "/nonexistent/tty", "9600", "--json", "--yes"}, 1, "mode", false},
        {{"--json", "shop.app", "update", "0", "x", "9600", "--bogus"}, 2, "messages", false},
        {{"--json", "shop.app", "update", "--dry-run"}, 0, "send", false},
        {{"create", "new/shop/new.app", "--json"}, 0, "folderCreated", false},
    };
    for (const auto& c : cases) {
        std::string what;
        for (const auto& a : c.args) what += a + " ";
        fs::remove_all(root / "config");
        fs::create_directories(root / "config");
        const auto r = tramond(c.args);
        EXPECT_EQ(r.status, c.status) << what << r.err;
        const auto object = JsonReader::parse(r.out);
        ASSERT_TRUE(object && object->type == JsonValue::Type::Object) << what << r.out;
        EXPECT_TRUE(object->has(c.key)) << what << r.out;
        // A register that cannot be read compared nothing: never "same".
        if (c.args[0] == "verify") { EXPECT_FALSE((*object)["same"].boolean) << what << r.out; }
        if (c.readsOnly) { EXPECT_TRUE(fs::is_empty(root / "config")) << what << "wrote settings"; }
        expectQuietStderr(r, what);
    }
    EXPECT_TRUE(fs::exists(work / "new/shop/new.app")) << "create made the folders";

    // Not a mode: a usage error, not the window.
    const auto unknown = tramond({"shop.app", "updat", "0", "x", "9600"});
    EXPECT_EQ(unknown.status, 2) << unknown.err;
    EXPECT_NE(unknown.err.find("unknown mode \"updat\""), std::string::npos) << unknown.err;
}

// One source for --help, the manual page and the README: the manual is
// generated from the verb table, and the README must show each verb's
// synopsis and JSON keys as --help does. Help texts share one style.
TEST_F(VerbsExecutable, HelpManualAndReadmeTellTheSame) {
    const auto manual = readText(fs::path(TRAMOND_BINARY_DIR) / "man" / "tramond.1");
    ASSERT_FALSE(manual.empty()) << "the manual page is built with the executable";
    EXPECT_NE(manual.find(tramond({"--help-man"}).out), std::string::npos) << "the manual holds the verb table";
    EXPECT_EQ(manual.find("@VERBS@"), std::string::npos);

    const auto readme = readText(fs::path(TRAMOND_SOURCE_DIR) / "README.md");
    const auto help = tramond({"--help"}).out;
    std::istringstream lines(help.substr(help.find("Verbs:\n") + 7));
    int verbs = 0;
    for (std::string line; std::getline(lines, line) && !line.empty();) {
        if (!line.starts_with("  ") || line.starts_with("   ")) continue;
        const auto synopsis = line.substr(2);
        const auto name = synopsis.substr(0, synopsis.find(' '));
        ++verbs;
        const auto text = tramond({name, "--help"}).out;
        EXPECT_TRUE(text.starts_with("Usage: tramond " + synopsis + "\n")) << text;
        const auto summary = text.substr(text.find('\n') + 1, text.find('\n', text.find('\n') + 1) - text.find('\n') - 1);
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(summary.front())) && summary.back() == '.')
            << name << ": \"" << summary << "\" is a sentence";
        std::istringstream helpLines(text.substr(text.find('\n') + 1));
        // Filled to 80 columns; only a single long word may stand out.
        for (std::string l; std::getline(helpLines, l);)
            EXPECT_TRUE(l.size() <= 80 || l.find(' ') == std::string::npos) << name << ": " << l;
        EXPECT_NE(manual.find(".SS " + std::regex_replace(name, std::regex("-"), "\\-")), std::string::npos) << name;

        EXPECT_TRUE(std::regex_search(readme, std::regex("\n    tramond " +
                                                         std::regex_replace(synopsis, std::regex(R"([.\[\]|()])"), R"(\$&)") +
                                                         "( {2,}[^\n]*)?\n")))
            << name << ": README shows \"tramond " << synopsis << "\"";
        auto keys = text.substr(text.find("JSON keys: ") + 11);
        std::replace(keys.begin(), keys.end(), '\n', ' ');
        while (!keys.empty() && (keys.back() == ' ' || keys.back() == '.')) keys.pop_back();
        if (keys.starts_with("ok, exit, messages")) continue;  // the common object
        const auto row = readme.find("| `" + name + "` | ");
        ASSERT_NE(row, std::string::npos) << name << ": README's JSON table";
        auto cell = readme.substr(row, readme.find('\n', row) - row);
        cell = cell.substr(cell.find(" | ") + 3);
        cell.erase(std::remove(cell.begin(), cell.end(), '`'), cell.end());
        EXPECT_TRUE(cell.starts_with(keys)) << name << ":\n README " << cell << "\n --help " << keys;
    }
    EXPECT_GE(verbs, 9);
}

}  // namespace
}  // namespace tramond::testing
