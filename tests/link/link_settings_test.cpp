#include "link/link_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/serial_port.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("tramond_link_" + std::to_string(::getpid()) + "_" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

TEST(CommsSettings, FirstRunWritesTheDefaultsWhenNoMarkerFile) {
    TempDir dir;
    MemorySettingsStore store;
    const auto s = loadCommsSettings(store, dir.path);
    EXPECT_EQ(s.port, "COM1");
    EXPECT_EQ(s.baudRate, 38400);
    EXPECT_FALSE(s.hwHandshake);
    EXPECT_EQ(store.read(kCommsKey, "Port"), "COM1");
    EXPECT_EQ(store.read(kCommsKey, "BaudRate"), "38400");
    EXPECT_EQ(store.read(kCommsKey, "HwHandshake"), "0");
}

TEST(CommsSettings, MarkerFileUsesDefaultsWithoutWritingThem) {
    TempDir dir;
    std::ofstream(dir.path / "Tramond.set") << "x";
    MemorySettingsStore store;
    store.write(kCommsKey, "Port", "COM4");
    store.write(kCommsKey, "BaudRate", "fast");  // not a number: first-run path
    const auto s = loadCommsSettings(store, dir.path);
    EXPECT_EQ(s.port, "COM1");
    EXPECT_EQ(s.baudRate, 38400);
    EXPECT_EQ(store.read(kCommsKey, "Port"), "COM4");
    EXPECT_EQ(store.read(kCommsKey, "BaudRate"), "fast");
}

TEST(CommsSettings, StoredValuesRoundTripAndAShorterPortNameReplacesALongerOne) {
    TempDir dir;
    MemorySettingsStore store;
    saveCommsSettings(store, {"COM10", 9600, true});
    saveCommsSettings(store, {"COM2", 19200, true});
    EXPECT_EQ(store.read(kCommsKey, "Port"), "COM2");
    EXPECT_EQ(store.read(kCommsKey, "HwHandshake"), "1");
    const auto s = loadCommsSettings(store, dir.path);
    EXPECT_EQ(s.port, "COM2");
    EXPECT_EQ(s.baudRate, 19200);
    EXPECT_TRUE(s.hwHandshake);
}

TEST(CommsSettings, BaudChoicesAndTheirSelection) {
    const auto c = baudRateChoices();
    ASSERT_EQ(c.size(), 6u);
    EXPECT_EQ(c.front(), " 1200");
    EXPECT_EQ(c.back(), "38400");
    EXPECT_EQ(baudRateChoiceIndex(9600), 3);
    EXPECT_EQ(baudRateChoiceIndex(57600), -1);
    EXPECT_EQ(settingToInt(" 9600"), 9600);
    EXPECT_EQ(settingToInt("96x"), 0);
}

TEST(SerialDevicePath, ComNamesMapToTtySAndOthersPassThrough) {
    EXPECT_EQ(serialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(serialDevicePath("COM12"), "/dev/ttyS11");
    EXPECT_EQ(serialDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(serialDevicePath("COMX"), "COMX");
    EXPECT_EQ(serialDevicePath("COM0"), "COM0");
}

}  // namespace
}  // namespace tramond

#include "link/comm_settings.h"

namespace tramond {
namespace {

TEST(CommSettingsDialog, ListsSimFirstAndSelectsTheCurrentPortAndBaud) {
    MemorySettingsStore store;
    LinkSettings s{"/dev/ttyUSB0", 4800, false};
    CommSettingsController c(s, store, {"/dev/ttyS0", "/dev/ttyUSB0"});
    ASSERT_EQ(c.portChoices().size(), 3u);
    EXPECT_EQ(c.portChoices()[0], "SIM");
    EXPECT_EQ(c.selectedPort(), 2);
    EXPECT_EQ(c.selectedBaud(), 2);
    s.port = "COM7";
    s.baudRate = 14400;
    EXPECT_EQ(c.selectedPort(), -1);
    EXPECT_EQ(c.selectedBaud(), -1);
}

TEST(CommSettingsDialog, OkStoresWhatWasChosenAndAnEmptyPortKeepsTheOldOne) {
    MemorySettingsStore store;
    LinkSettings s{"COM10", 38400, false};
    CommSettingsController c(s, store, {});
    c.accept("COM2", " 9600", true);
    EXPECT_EQ(s.port, "COM2");
    EXPECT_EQ(s.baudRate, 9600);
    EXPECT_EQ(store.read(kCommsKey, "Port"), "COM2");
    EXPECT_EQ(store.read(kCommsKey, "BaudRate"), "9600");
    EXPECT_EQ(store.read(kCommsKey, "HwHandshake"), "1");
    c.accept("", "19200", false);
    EXPECT_EQ(store.read(kCommsKey, "Port"), "COM2");
    EXPECT_EQ(store.read(kCommsKey, "HwHandshake"), "0");
}

}  // namespace
}  // namespace tramond
