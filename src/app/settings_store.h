#pragma once
// The PC-side settings store: string values under registry-style key paths
// ("Software\\Orvalt\\Tramond\\CommsProperties"). The Qt adapter keeps them in
// the user's configuration file; tests use MemorySettingsStore.

#include <map>
#include <string>
#include <utility>

namespace tramond {

inline constexpr const char* kSettingsRoot = "Software\\Orvalt\\Tramond";

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // A missing value is created empty and read as "".
    virtual std::string read(const std::string& key, const std::string& name) = 0;
    virtual void write(const std::string& key, const std::string& name, const std::string& value) = 0;
    virtual bool contains(const std::string& key, const std::string& name) const = 0;
};

class MemorySettingsStore : public SettingsStore {
public:
    std::string read(const std::string& key, const std::string& name) override {
        return values_[{key, name}];
    }
    void write(const std::string& key, const std::string& name, const std::string& value) override {
        values_[{key, name}] = value;
    }
    bool contains(const std::string& key, const std::string& name) const override {
        return values_.count({key, name}) != 0;
    }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace tramond
