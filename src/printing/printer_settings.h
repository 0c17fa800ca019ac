#pragma once
// The PC printer settings of the listings ("Parallel Printer Settings"),
// kept in the settings store under PrntProperties.

#include <optional>
#include <string>
#include <string_view>

#include "app/settings_store.h"

namespace tramond {

inline constexpr const char* kPrinterKey = "Software\\Orvalt\\Tramond\\PrntProperties";

struct PrinterSettings {
    int port = 0;        // 0 "LPT 1", 1 "LPT 2"
    int pageSize = 60;   // lines per page, 0..99
    bool printTimeDate = true;
    bool printHeader = true;
    bool printName = true;
    bool operator==(const PrinterSettings&) const = default;
};

// Reads the five values. A value that is missing (never written, or left
// empty) takes its default, which is written back; a stored value that is
// not a number reads as 0. A deliberate 0 stays 0.
PrinterSettings loadPrinterSettings(SettingsStore& store);
// The same values without writing anything back: for a command that only
// reads (the "print" verb), a missing value just takes its default.
PrinterSettings peekPrinterSettings(SettingsStore& store);
void savePrinterSettings(SettingsStore& store, const PrinterSettings& settings);

// The page-length box, checked on every key: digits only, at most two,
// value 0..99. A refused text is emptied and "Invalid Entry  " shown.
inline constexpr const char* kInvalidEntry = "Invalid Entry  ";
inline constexpr const char* kInvalidEntryTitle = "Message Box";
bool pageLengthAccepted(std::string_view text);
// The box's value on OK: an empty box counts as 0.
int pageLengthValue(std::string_view text);

}  // namespace tramond
