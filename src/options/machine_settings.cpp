#include "options/machine_settings.h"

#include <algorithm>

#include "program/machine_printer.h"

namespace tramond {

bool machineChoiceOffered(const ApplicationBlock& app) {
    return app.get(appblock::kIndividualPrinters) && app.flag(appblock::kFlagNetworkSize) > 1;
}

int shownMachine(const ProgramSession& session) { return std::max(session.machineNumber, 1); }

void prepareMachine(const ProgramSession& session) {
    ensureMachinePrinterFile(session.programPath, session.machineNumber);
}

void saveMachine(const ProgramSession& session) {
    writeMachinePrinterFile(session.programPath, session.machineNumber, session.app);
}

void switchMachine(ProgramSession& session, int machine) {
    saveMachine(session);
    session.machineNumber = machine;
    ensureMachinePrinterFile(session.programPath, machine);
    readMachinePrinterFile(session.programPath, machine, session.app);
}

}  // namespace tramond
