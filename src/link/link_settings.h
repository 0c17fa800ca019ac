#pragma once
// The three PC link settings and their persistence under CommsProperties.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings_store.h"

namespace tramond {

inline constexpr const char* kCommsKey = "Software\\Orvalt\\Tramond\\CommsProperties";
inline constexpr std::size_t kMaxPortNameLength = 12;
inline constexpr std::array<int, 6> kBaudRates = {1200, 2400, 4800, 9600, 19200, 38400};
// The port that connects to the built-in simulated register.
inline constexpr const char* kSimulatorPortName = "SIM";

struct LinkSettings {
    std::string port = "COM1";
    int baudRate = 38400;
    bool hwHandshake = false;
};

// Reads Port, BaudRate and HwHandshake. A baud rate that reads as 0 (first
// run, damaged settings) gives COM1 / 38400 / no handshake; the defaults are
// also written to the store unless "Tramond.set" exists in exeDir.
LinkSettings loadCommsSettings(SettingsStore& store, const std::filesystem::path& exeDir);
void saveCommsSettings(SettingsStore& store, const LinkSettings& settings);

// Decimal text to number with the store's rule: leading blanks allowed,
// anything that is not a number is 0.
int settingToInt(const std::string& text);

// The baud choices of the settings dialog: " 1200" .. "38400".
std::vector<std::string> baudRateChoices();
// Index into baudRateChoices(), or -1 when the rate is not offered.
int baudRateChoiceIndex(int baudRate);

}  // namespace tramond
