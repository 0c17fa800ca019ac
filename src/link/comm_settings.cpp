#include "link/comm_settings.h"

#include <algorithm>

#include "link/network_port.h"
#include "link/serial_port.h"

namespace tramond {

CommSettingsController::CommSettingsController(LinkSettings& settings, SettingsStore& store,
                                               std::vector<std::string> systemPorts, bool offerSimulator)
    : settings_(settings), store_(store) {
    if (offerSimulator) ports_.push_back(kSimulatorPortName);
    for (auto& p : systemPorts)
        if (p != kSimulatorPortName) ports_.push_back(std::move(p));
    // A port unplugged since it was chosen stays choosable, marked as such;
    // a network address is never listed by the system and is not missing.
    if (!settings_.port.empty() && selectedPort() < 0) {
        // "COM1" is the first serial device by its Windows name.
        const auto device = serialDevicePath(settings_.port);
        const bool listed = std::any_of(ports_.begin(), ports_.end(),
                                        [&](const std::string& p) { return serialDevicePath(p) == device; });
        ports_.push_back(settings_.port);
        if (!listed && !isNetworkPortName(settings_.port)) missing_ = settings_.port;
    }
}

std::vector<std::string> CommSettingsController::portLabels() const {
    std::vector<std::string> out;
    for (const auto& p : ports_)
        out.push_back(p == kSimulatorPortName ? std::string(kSimulatorPortLabel)
                      : p == missing_         ? p + kNotPresentMark
                                              : p);
    return out;
}

int CommSettingsController::selectedPort() const {
    for (std::size_t i = 0; i < ports_.size(); ++i)
        if (ports_[i] == settings_.port) return static_cast<int>(i);
    return -1;
}

void CommSettingsController::accept(const std::string& portText, const std::string& baudText, bool handshake) {
    if (!portText.empty()) settings_.port = limitPortName(portText);
    settings_.baudRate = settingToInt(baudText);
    settings_.hwHandshake = handshake;
    saveCommsSettings(store_, settings_);
}

}  // namespace tramond
