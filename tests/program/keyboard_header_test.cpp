#include <gtest/gtest.h>

#include <filesystem>

#include "program/file_io.h"
#include "program/keyboard_header.h"
#include "scratch_dir.h"

namespace tramond {
namespace {

namespace ab = appblock;
using testing::ScratchDir;

ApplicationBlock keyboardBlock() {
    ApplicationBlock app;
    for (std::size_t i = 0; i < ApplicationBlock::kSize; ++i) app.setU8(i, static_cast<std::uint8_t>(i * 13 + 1));
    app.setKeyCode(1, 0x1234);
    app.setSpecialKey(0, 130);
    return app;
}

TEST(KeyboardHeader, RegionsSitAtTheirFileOffsets) {
    const auto app = keyboardBlock();
    const auto h = keyboardHeader(app);
    EXPECT_EQ(h[0], app.u8(0));
    EXPECT_EQ(h[1], 130);
    EXPECT_EQ(h[23], app.u8(23));
    EXPECT_EQ(h[24], app.u8(365));
    EXPECT_EQ(h[26] | h[27] << 8, 0x1234) << "key code of block index 1";
    EXPECT_EQ(h[361], app.u8(702));
    EXPECT_EQ(h[362], app.u8(24)) << "manager map";
    EXPECT_EQ(h[383], app.u8(45));
    EXPECT_EQ(h[384], app.u8(196)) << "system characters";
    EXPECT_EQ(h[552], app.u8(364));
}

TEST(KeyboardHeader, ApplyingPutsBackOnlyTheKeyboardRegions) {
    const auto source = keyboardBlock();
    ApplicationBlock target;
    target.setFlag(1, 0x5A);
    target.setU32(703, 0xDEADBEEF);
    applyKeyboardHeader(target, keyboardHeader(source));
    for (const auto& r : kKeyboardRegions)
        for (std::size_t i = 0; i < r.length; ++i) ASSERT_EQ(target.u8(r.blockOffset + i), source.u8(r.blockOffset + i));
    EXPECT_EQ(target.flag(1), 0x5A) << "system flags are not keyboard data";
    EXPECT_EQ(target.u32(703), 0xDEADBEEFu);
    std::vector<std::uint8_t> tooShort(552);
    EXPECT_THROW(applyKeyboardHeader(target, tooShort), std::invalid_argument);
}

TEST(KeyboardFile, RewritingTheHeaderKeepsTheKeyRecords) {
    ScratchDir dir;
    const auto file = dir / "shop.kbf";
    const auto original = testing::pattern(kKeyRecordsOffset + 169 * 276, 3);
    ASSERT_EQ(original.size(), 47201u);
    writeFileAtomic(file, original);

    const auto app = keyboardBlock();
    writeKeyboardHeader(file, app);
    const auto after = testing::bytesOf(file);
    ASSERT_EQ(after.size(), original.size());
    const auto h = keyboardHeader(app);
    EXPECT_TRUE(std::equal(h.begin(), h.end(), after.begin()));
    EXPECT_TRUE(std::equal(original.begin() + kKeyboardHeaderSize, original.end(), after.begin() + kKeyboardHeaderSize));

    ApplicationBlock back;
    EXPECT_EQ(readKeyboardHeader(file, back), SideFileRead::Read);
    EXPECT_EQ(back.keyCode(1), 0x1234);
}

TEST(KeyboardFile, MissingOrShortFilesLeaveTheBlockAlone) {
    ScratchDir dir;
    auto app = keyboardBlock();
    const auto before = app;
    EXPECT_EQ(readKeyboardHeader(dir / "none.kbf", app), SideFileRead::Missing);
    EXPECT_THROW(writeKeyboardHeader(dir / "none.kbf", app), FileError);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.kbf"));
    writeFileAtomic(dir / "short.kbf", std::vector<std::uint8_t>(300, 0));
    EXPECT_EQ(readKeyboardHeader(dir / "short.kbf", app), SideFileRead::Short);
    EXPECT_EQ(app, before);
}

TEST(MachineKeyboard, OnlyWithIndividualKeyboardsFromKbfOrKbN) {
    ScratchDir dir;
    ProgramSession s;
    s.programPath = dir / "shop.app";
    s.loaded = true;
    ApplicationBlock one, three;
    one.setKeyCode(0, 1111);
    three.setKeyCode(0, 3333);
    writeFileAtomic(dir / "shop.kbf", keyboardHeader(one));
    writeFileAtomic(dir / "shop.kb3", keyboardHeader(three));

    s.app.setKeyCode(0, 7);
    EXPECT_EQ(loadMachineKeyboard(s, 3), SideFileRead::Skipped);
    EXPECT_EQ(s.app.keyCode(0), 7);

    s.app.set(ab::kIndividualKeyboards, true);
    EXPECT_EQ(loadMachineKeyboard(s, 3), SideFileRead::Read);
    EXPECT_EQ(s.app.keyCode(0), 3333);
    EXPECT_EQ(loadMachineKeyboard(s, 0), SideFileRead::Read);
    EXPECT_EQ(s.app.keyCode(0), 1111);
    s.app.setKeyCode(0, 7);
    EXPECT_EQ(loadMachineKeyboard(s, 1), SideFileRead::Read);
    EXPECT_EQ(s.app.keyCode(0), 1111);
    EXPECT_EQ(loadMachineKeyboard(s, 2), SideFileRead::Missing);
}

}  // namespace
}  // namespace tramond
