// The shared PB info settings: which programs may join the list, and an OK
// that changes nothing unless the application file is written.
#include "editors/shared_pb_info.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "editor_fixture.h"
#include "program/file_io.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::RecordingPrompts;

constexpr char kNotPassive[] =
    "Choosen application does not have activated \"PbInfo File sharing\" or \"Passive PbInfo File\"!";
constexpr char kDifferent[] = "You need to make the same settings for PbInfo File in both applications!";

class SharedPbInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& app = dir.session.app;
        app.setU16(2173, 300);
        app.setU8(2175, 0x03);
        app.setU8(2176, 20);
        app.setU8(2566, 0x31);  // sharing, active, and bit 0 of another setting
        writeFileAtomic(dir.session.programPath, app.bytes());
    }
    // Another program's application file: a copy of ours, changed by `edit`.
    std::filesystem::path other(const std::string& name, std::function<void(std::vector<std::uint8_t>&)> edit) {
        std::vector<std::uint8_t> bytes(dir.session.app.bytes().begin(), dir.session.app.bytes().end());
        bytes[2566] = 0x10;  // sharing, passive
        edit(bytes);
        const auto path = dir.session.programPath.parent_path() / name;
        writeFileAtomic(path, bytes);
        return path;
    }
    SharedPbInfoController controller() {
        return SharedPbInfoController(dir.session, LanguageTexts::builtIn(), prompts);
    }
    ProgramDir dir;
    RecordingPrompts prompts;
};

TEST_F(SharedPbInfoTest, OnlyPassiveSharingProgramsWithTheSameSettingsJoin) {
    auto c = controller();
    c.open();
    EXPECT_TRUE(c.sharing);
    EXPECT_TRUE(c.active);
    EXPECT_TRUE(std::filesystem::exists(dir.session.file(".stf")));

    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> edit;
        const char* message;  // nullptr: accepted
    };
    const std::vector<Case> cases{
        {"active", [](auto& b) { b[2566] = 0x30; }, kNotPassive},
        {"not sharing", [](auto& b) { b[2566] = 0x00; }, kNotPassive},
        {"PB count", [](auto& b) { b[2174] = 0x02; }, kDifferent},
        {"PB flags byte", [](auto& b) { b[2175] = 0x13; }, kDifferent},
        {"PB text size", [](auto& b) { b[2176] = 24; }, kDifferent},
        {"short file", [](auto& b) { b.resize(2600); }, "Error opening File !!"},
        {"same settings", [](auto&) {}, nullptr},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.what);
        prompts.shown.clear();
        const auto path = other(std::string(t.what) + ".app", t.edit);
        EXPECT_EQ(c.addApplication(path), t.message == nullptr);
        EXPECT_EQ(prompts.texts(), t.message ? std::vector<std::string>{t.message} : std::vector<std::string>{});
    }
    EXPECT_FALSE(c.addApplication(dir.session.programPath.parent_path() / "missing.app"));
    ASSERT_EQ(c.programs.size(), 1u);
    EXPECT_TRUE(c.addApplication(c.programs[0]));  // listed once only
    EXPECT_EQ(c.programs.size(), 1u);
}

TEST_F(SharedPbInfoTest, OkWritesTheBitsTheWholeApplicationAndTheList) {
    auto c = controller();
    c.open();
    ASSERT_TRUE(c.addApplication(other("bar.app", [](auto&) {})));
    c.active = false;
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(dir.session.app.u8(2566), 0x11);
    EXPECT_EQ(readFile(dir.session.programPath).at(2566), 0x11);
    std::ifstream stf(dir.session.file(".stf"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(stf)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, (dir.session.programPath.parent_path() / "bar.app").string() + "\r\n");

    // Sharing off: both bits clear and the list emptied.
    c.open();
    EXPECT_EQ(c.programs.size(), 1u);
    c.sharing = false;
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(dir.session.app.u8(2566), 0x01);
    EXPECT_EQ(std::filesystem::file_size(dir.session.file(".stf")), 0u);
    // Issue 26: byte 2566 travels in block 93, marked with the write.
    EXPECT_EQ(dir.updates(), std::vector<std::string>{"000000093"});
}

TEST_F(SharedPbInfoTest, UnwritableApplicationChangesNothing) {
    auto c = controller();
    c.open();
    ASSERT_TRUE(c.addApplication(other("bar.app", [](auto&) {})));
    std::filesystem::remove(dir.session.programPath);
    std::filesystem::create_directory(dir.session.programPath);  // cannot be written as a file
    c.sharing = false;
    EXPECT_FALSE(c.ok());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Error opening File !!"}));
    EXPECT_EQ(dir.session.app.u8(2566), 0x31);
    EXPECT_EQ(c.programs.size(), 1u);                                     // the dialog still shows what it had
    EXPECT_EQ(std::filesystem::file_size(dir.session.file(".stf")), 0u);  // as created, not rewritten
    EXPECT_TRUE(std::filesystem::is_directory(dir.session.programPath));
}

}  // namespace
}  // namespace tramond
