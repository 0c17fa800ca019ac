#pragma once
// The tool's own settings under "Software\Orvalt\Tramond", and the
// installation check run first at start-up.

#include <filesystem>
#include <string>

#include "app/settings_store.h"

namespace tramond {

inline constexpr const char* kInstallationKey = "Software\\Orvalt\\Tramond\\Installation";
inline constexpr const char* kLastOpenFilePath = "LastOpenFilePath";

// One key of the settings store, opened (and created) on construction.
class TOrvaltRegistry {
public:
    TOrvaltRegistry(SettingsStore& store, std::string keyPath)
        : store_(store), key_(std::move(keyPath)) {}
    std::string ReadString(const std::string& name) { return store_.read(key_, name); }
    void WriteString(const std::string& name, const std::string& text) { store_.write(key_, name, text); }
    const std::string& key() const { return key_; }

private:
    SettingsStore& store_;
    std::string key_;
};

// When FirstRun reads as 1 (a fresh installation) the language pack and the
// help files in dir are deleted, so the start-up asks for a language, and
// FirstRun becomes "0". A missing FirstRun is created empty. Returns whether
// the files were deleted.
bool installationCheck(SettingsStore& store, const std::filesystem::path& programDir);

}  // namespace tramond
