#pragma once
// The settings store over QSettings: each registry key path is a group
// ("Software/Orvalt/Tramond/CommsProperties") of the user's configuration
// file. Tests and portable installs name the file themselves.

#include <QSettings>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_store.h"

namespace tramond {

class QtSettingsStore : public SettingsStore {
public:
    // The user's configuration file of the organisation "Orvalt".
    QtSettingsStore();
    // An INI file of one's choosing.
    explicit QtSettingsStore(const QString& iniFile);

    std::string read(const std::string& key, const std::string& name) override;
    void write(const std::string& key, const std::string& name, const std::string& value) override;
    bool contains(const std::string& key, const std::string& name) const override;

    QString fileName() const { return settings_->fileName(); }

private:
    std::unique_ptr<QSettings> settings_;
};

// The PC's serial ports as the system lists them ("ttyS0", "COM3").
std::vector<std::string> systemSerialPorts();

}  // namespace tramond
