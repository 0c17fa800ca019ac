#include "link/comm_settings.h"

#include "link/network_port.h"


namespace tramond {

CommSettingsController::CommSettingsController(LinkSettings& settings, SettingsStore& store,
                                               std::vector<std::string> systemPorts, bool offerSimulator)
    : settings_(settings), store_(store) {
    if (offerSimulator) ports_.push_back(kSimulatorPortName);
    for (auto& p : systemPorts)
        if (p != kSimulatorPortName) ports_.push_back(std::move(p));
    // A network port is no system port; the list still offers the one in use.
    if (isNetworkPortName(settings_.port)) ports_.push_back(settings_.port);
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
