#include "platform/settings_qt.h"

#include <QSerialPortInfo>

namespace tramond {

namespace {

QString settingsPath(const std::string& key, const std::string& name) {
    QString path = QString::fromStdString(key);
    path.replace('\\', '/');
    return path + '/' + QString::fromStdString(name);
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Orvalt", "Tramond")) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

std::string QtSettingsStore::read(const std::string& key, const std::string& name) {
    const QString path = settingsPath(key, name);
    if (!settings_->contains(path)) {
        settings_->setValue(path, QString());
        settings_->sync();
        return {};
    }
    return settings_->value(path).toString().toStdString();
}

void QtSettingsStore::write(const std::string& key, const std::string& name, const std::string& value) {
    settings_->setValue(settingsPath(key, name), QString::fromStdString(value));
    settings_->sync();
}

bool QtSettingsStore::contains(const std::string& key, const std::string& name) const {
    return settings_->contains(settingsPath(key, name));
}

std::vector<std::string> systemSerialPorts() {
    std::vector<std::string> ports;
    for (const auto& info : QSerialPortInfo::availablePorts()) {
        // Settings name a port by its device path (the port name alone lacks
        // "/dev/" and cannot be opened as given).
        const QString location = info.systemLocation();
        ports.push_back((location.isEmpty() ? info.portName() : location).toStdString());
    }
    return ports;
}

}  // namespace tramond
