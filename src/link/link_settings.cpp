#include "link/link_settings.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>

#include "link/network_port.h"
#include "link/serial_port.h"

namespace tramond {

int settingToInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t end = text.size();
    while (end > i && text[end - 1] == ' ') --end;
    if (i == end) return 0;
    int value = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + end;
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return 0;
    return value;
}

LinkSettings loadCommsSettings(SettingsStore& store, const std::filesystem::path& exeDir) {
    LinkSettings s;
    s.port = store.read(kCommsKey, "Port");
    s.port = limitPortName(std::move(s.port));
    s.baudRate = settingToInt(store.read(kCommsKey, "BaudRate"));
    s.hwHandshake = settingToInt(store.read(kCommsKey, "HwHandshake")) != 0;
    if (s.baudRate == 0) {
        std::error_code ec;
        std::ifstream marker(exeDir / "Tramond.set", std::ios::binary);
        if (!marker.is_open()) {
            store.write(kCommsKey, "Port", "COM1");
            store.write(kCommsKey, "BaudRate", "38400");
            store.write(kCommsKey, "HwHandshake", "0");
        }
        s = LinkSettings{};
    }
    return s;
}

void saveCommsSettings(SettingsStore& store, const LinkSettings& settings) {
    store.write(kCommsKey, "Port", settings.port);
    store.write(kCommsKey, "BaudRate", std::to_string(settings.baudRate));
    store.write(kCommsKey, "HwHandshake", settings.hwHandshake ? "1" : "0");
}

std::vector<std::string> baudRateChoices() {
    std::vector<std::string> out;
    for (int b : kBaudRates) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%5d", b);
        out.emplace_back(buf);
    }
    return out;
}

int baudRateChoiceIndex(int baudRate) {
    for (std::size_t i = 0; i < kBaudRates.size(); ++i)
        if (kBaudRates[i] == baudRate) return static_cast<int>(i);
    return -1;
}

std::string serialDevicePath(const std::string& portName) {
    if (portName.size() > 3 && (portName.compare(0, 3, "COM") == 0 || portName.compare(0, 3, "com") == 0)) {
        int n = 0;
        const char* first = portName.data() + 3;
        const char* last = portName.data() + portName.size();
        auto [ptr, ec] = std::from_chars(first, last, n);
        if (ec == std::errc() && ptr == last && n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return portName;
}

}  // namespace tramond
