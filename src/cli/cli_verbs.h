#pragma once
// The dealer's verbs of the command line: info, diff, export, import,
// verify, history and restore. None opens a window.

#include <functional>
#include <memory>
#include <string>

#include "app/verbs.h"
#include "link/link_settings.h"
#include "link/serial_port.h"

namespace tramond {

// What "verify" needs from the executable: the stored link settings and a
// port for a name (the serial adapter or the built-in simulated register).
struct LinkServices {
    std::function<LinkSettings()> settings;
    std::function<std::unique_ptr<SerialPort>(const std::string& portName)> makePort;
    int timeoutMs = 0;  // 0: the unattended rule
};

// The verbs over these services (tests give a simulated register).
void addCliVerbs(VerbRegistry& verbs, LinkServices link);

// "history" and "restore": a program's recorded versions.
void addHistoryVerbs(VerbRegistry& verbs);

// The verbs with the real serial adapter and the stored settings; defined
// with the window's pieces, as the adapter needs Qt.
void registerCliVerbs(VerbRegistry& verbs);

}  // namespace tramond
