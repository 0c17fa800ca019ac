#include "printing/printer_settings.h"

#include <algorithm>

namespace tramond {

namespace {

constexpr const char* kPort = "PrinterPort";
constexpr const char* kPageSize = "PageSize";
constexpr const char* kTimeDate = "PrintTimeDate";
constexpr const char* kHeader = "PrintHeader";
constexpr const char* kName = "PrintName";

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view s) {
    if (!allDigits(s) || s.size() > 9) return 0;
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

// The stored number, or the default (written back when asked) when the
// value is missing.
int readOrDefault(SettingsStore& store, const char* name, int fallback, bool writeBack) {
    if (store.contains(kPrinterKey, name)) {
        const auto text = store.read(kPrinterKey, name);
        if (!text.empty()) return number(text);
    }
    if (writeBack) store.write(kPrinterKey, name, std::to_string(fallback));
    return fallback;
}

PrinterSettings readSettings(SettingsStore& store, bool writeBack) {
    const PrinterSettings d;
    PrinterSettings s;
    s.port = readOrDefault(store, kPort, d.port, writeBack);
    s.pageSize = readOrDefault(store, kPageSize, d.pageSize, writeBack);
    s.printTimeDate = readOrDefault(store, kTimeDate, d.printTimeDate, writeBack) == 1;
    s.printHeader = readOrDefault(store, kHeader, d.printHeader, writeBack) == 1;
    s.printName = readOrDefault(store, kName, d.printName, writeBack) == 1;
    return s;
}

}  // namespace

PrinterSettings loadPrinterSettings(SettingsStore& store) { return readSettings(store, true); }

PrinterSettings peekPrinterSettings(SettingsStore& store) { return readSettings(store, false); }

void savePrinterSettings(SettingsStore& store, const PrinterSettings& s) {
    store.write(kPrinterKey, kPort, std::to_string(s.port));
    store.write(kPrinterKey, kPageSize, std::to_string(s.pageSize));
    store.write(kPrinterKey, kTimeDate, s.printTimeDate ? "1" : "0");
    store.write(kPrinterKey, kHeader, s.printHeader ? "1" : "0");
    store.write(kPrinterKey, kName, s.printName ? "1" : "0");
}

bool pageLengthAccepted(std::string_view text) {
    if (text.empty()) return true;
    return allDigits(text) && text.size() <= 2;
}

int pageLengthValue(std::string_view text) { return number(text); }

}  // namespace tramond
