#include "options/machine_settings.h"

#include <algorithm>

#include "program/file_io.h"
#include "program/machine_printer.h"

namespace tramond {

bool machineChoiceOffered(const ApplicationBlock& app) {
    return app.get(appblock::kIndividualPrinters) && app.flag(appblock::kFlagNetworkSize) > 1;
}

int shownMachine(const ProgramSession& session) { return std::max(session.machineNumber, 1); }

void loadOfferedMachine(OptionDialog& dialog) {
    if (!machineChoiceOffered(dialog.block())) return;
    try {
        dialog.machines().open();
    } catch (const FileError&) {
        dialog.post(dialog.fileError());
    }
}

void switchOfferedMachine(OptionDialog& dialog, int machine) {
    try {
        dialog.machines().switchTo(machine);
    } catch (const FileError&) {
        dialog.post(dialog.fileError());
    }
}

void saveOfferedMachine(OptionDialog& dialog) {
    if (!machineChoiceOffered(dialog.block()) && !dialog.machines().switched()) return;
    try {
        dialog.machines().save();
    } catch (const std::exception&) {
        dialog.post(dialog.fileError());
    }
}

}  // namespace tramond
