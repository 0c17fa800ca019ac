#include <gtest/gtest.h>

#include <filesystem>

#include "program/file_io.h"
#include "program/machine_printer.h"
#include "scratch_dir.h"

namespace tramond {
namespace {

using testing::ScratchDir;

TEST(MachinePrinterLayout, SixtyTwoValuesInFileOrder) {
    const auto& v = machinePrinterValues();
    auto is = [&](std::size_t number, int flag, int option) {
        EXPECT_EQ(v[number - 1].flag, flag) << "value " << number;
        EXPECT_EQ(v[number - 1].option, option) << "value " << number;
    };
    is(1, 6, 6);
    is(2, 7, 0);
    is(5, 18, 0);
    is(6, 23, 0);
    is(7, 26, 1);
    is(8, 27, 0);
    is(11, 30, 0);
    is(12, 32, 0);
    is(38, 58, 0);
    is(39, 59, 2);
    is(42, 59, 5);
    is(43, 59, 7);
    is(44, 65, 0);
    is(46, 68, 0);
    is(47, 69, 0);
    is(48, 71, 0);
    is(54, 77, 0);
    is(55, 86, 0);
    is(56, 90, 0);
    is(57, 93, 3);
    is(58, 96, 0);
    is(61, 99, 0);
    is(62, 21, 0);
}

TEST(MachinePrinterFile, RoundTripWithBitBytes) {
    ScratchDir dir;
    const auto appPath = dir / "shop.app";
    ApplicationBlock source;
    for (int f = 1; f <= 150; ++f) source.setFlag(f, static_cast<std::uint8_t>(f * 3));
    source.setFlag(6, 0x20);        // option 6 on
    source.setFlag(59, 0b01001010); // options 2, 4, 7 on; 3, 5 off
    source.setFlag(26, 0x00);
    source.setFlag(93, 0x04);       // option 3 on

    writeMachinePrinterFile(appPath, 2, source);
    const auto bytes = testing::bytesOf(dir / "shop.pr2");
    ASSERT_EQ(bytes.size(), 62u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], source.flag(7));
    EXPECT_EQ(bytes[6], 0) << "option 1 of flag 26";
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 38, bytes.begin() + 43),
              (std::vector<std::uint8_t>{1, 0, 1, 0, 1}));
    EXPECT_EQ(bytes[55], source.flag(90));
    EXPECT_EQ(bytes[56], 1);
    EXPECT_EQ(bytes[61], source.flag(21));

    ApplicationBlock target;
    target.setFlag(59, 0b10110101);  // options 1, 3, 5, 6, 8 on
    target.setFlag(26, 0xFF);
    target.setFlag(100, 0x77);
    ASSERT_EQ(readMachinePrinterFile(appPath, 2, target), SideFileRead::Read);
    EXPECT_EQ(target.flag(59), 0b11101011) << "options 1, 6 and 8 are not in the file and stay";
    EXPECT_EQ(target.flag(26), 0xFE) << "only option 1 travels";
    EXPECT_EQ(target.flag(6), 0x20);
    for (int f : {7, 8, 9, 18, 21, 23, 27, 30, 32, 58, 65, 66, 68, 69, 71, 77, 86, 90, 96, 99})
        EXPECT_EQ(target.flag(f), source.flag(f)) << "flag " << f;
    EXPECT_EQ(target.flag(100), 0x77) << "flags outside the file stay";
}

TEST(MachinePrinterFile, NonZeroBitByteSetsTheOption) {
    ScratchDir dir;
    std::vector<std::uint8_t> bytes(62, 0);
    bytes[0] = 7;
    writeFileAtomic(dir / "shop.pr1", bytes);
    ApplicationBlock app;
    ASSERT_EQ(readMachinePrinterFile(dir / "shop.app", 0, app), SideFileRead::Read) << "machine 0 uses .pr1";
    EXPECT_TRUE(app.option(6, 6));
}

TEST(MachinePrinterFile, EmptyShortOrMissingFilesLoadNothing) {
    ScratchDir dir;
    ApplicationBlock app;
    app.setFlag(7, 9);
    const auto before = app;
    EXPECT_EQ(readMachinePrinterFile(dir / "shop.app", 3, app), SideFileRead::Missing);
    ensureMachinePrinterFile(dir / "shop.app", 3);
    EXPECT_EQ(std::filesystem::file_size(dir / "shop.pr3"), 0u);
    EXPECT_EQ(readMachinePrinterFile(dir / "shop.app", 3, app), SideFileRead::Short);
    writeFileAtomic(dir / "shop.pr3", std::vector<std::uint8_t>(61, 1));
    EXPECT_EQ(readMachinePrinterFile(dir / "shop.app", 3, app), SideFileRead::Short);
    EXPECT_EQ(app, before);
    ensureMachinePrinterFile(dir / "shop.app", 3);
    EXPECT_EQ(std::filesystem::file_size(dir / "shop.pr3"), 61u) << "an existing file is left alone";
}

}  // namespace
}  // namespace tramond
