#pragma once
// Behaviour of the link settings dialog (TSetCompComm) without widgets; the
// Qt view only copies texts in and out.

#include <string>
#include <vector>

#include "app/settings_store.h"
#include "link/link_settings.h"

namespace tramond {

class CommSettingsController {
public:
    // systemPorts: the serial ports the system lists, as it names them. A
    // network port in use is listed after them.
    CommSettingsController(LinkSettings& settings, SettingsStore& store, std::vector<std::string> systemPorts,
                           bool offerSimulator = true);

    // The port names offered, the stored one among them even when the system
    // does not list it; and each as the list shows it: "SIM (simulated
    // register)", "COM3 (not present)".
    const std::vector<std::string>& portChoices() const { return ports_; }
    std::vector<std::string> portLabels() const;
    int selectedPort() const;  // -1: no port stored
    std::vector<std::string> baudChoices() const { return baudRateChoices(); }
    int selectedBaud() const { return baudRateChoiceIndex(settings_.baudRate); }
    bool handshake() const { return settings_.hwHandshake; }

    // OK: an empty port text keeps the port; the baud text may have leading
    // blanks. Saves at once. A COM name is kept to 12 characters, a network
    // port name whole.
    void accept(const std::string& portText, const std::string& baudText, bool handshake);

private:
    LinkSettings& settings_;
    SettingsStore& store_;
    std::vector<std::string> ports_;
    std::string missing_;  // the stored port when the system does not list it
};

inline constexpr const char* kSimulatorPortLabel = "SIM (simulated register)";
inline constexpr const char* kNotPresentMark = " (not present)";

}  // namespace tramond
