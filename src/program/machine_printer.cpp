#include "program/machine_printer.h"

#include <stdexcept>
#include <string>

#include "program/file_io.h"
#include "program/program_changes.h"
#include "program/file_set.h"

namespace tramond {
namespace {

struct Run {
    int firstFlag;
    int lastFlag;  // a run of whole flag bytes; or
    int options[5];  // options of firstFlag, stored one byte each (0-terminated)
};

// The file's order: runs of whole flags and lists of single options.
constexpr Run kRuns[] = {
    {6, 6, {6}},
    {7, 9, {}}, {18, 18, {}}, {23, 23, {}},
    {26, 26, {1}},
    {27, 30, {}},
    {32, 58, {}},
    {59, 59, {2, 3, 4, 5, 7}},
    {65, 66, {}}, {68, 69, {}},
    {71, 77, {}},
    {86, 86, {}}, {90, 90, {}},
    {93, 93, {3}},
    {96, 99, {}},
    {21, 21, {}},
};

std::array<MachinePrinterValue, kMachinePrinterSize> expand() {
    std::array<MachinePrinterValue, kMachinePrinterSize> v{};
    std::size_t i = 0;
    for (const auto& r : kRuns) {
        if (r.options[0] != 0) {
            for (int k : r.options)
                if (k != 0) v.at(i++) = {r.firstFlag, k};
        } else {
            for (int f = r.firstFlag; f <= r.lastFlag; ++f) v.at(i++) = {f, 0};
        }
    }
    if (i != kMachinePrinterSize) throw std::logic_error("machine printer layout holds " + std::to_string(i) + " values");
    return v;
}

}  // namespace

const std::array<MachinePrinterValue, kMachinePrinterSize>& machinePrinterValues() {
    static const auto values = expand();
    return values;
}

std::array<std::uint8_t, kMachinePrinterSize> machinePrinterBytes(const ApplicationBlock& app) {
    std::array<std::uint8_t, kMachinePrinterSize> b{};
    const auto& values = machinePrinterValues();
    for (std::size_t i = 0; i < b.size(); ++i) {
        const auto& v = values[i];
        b[i] = v.option == 0 ? app.flag(v.flag) : static_cast<std::uint8_t>(app.option(v.flag, v.option) ? 1 : 0);
    }
    return b;
}

void applyMachinePrinterBytes(ApplicationBlock& app, std::span<const std::uint8_t, kMachinePrinterSize> bytes) {
    const auto& values = machinePrinterValues();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto& v = values[i];
        if (v.option == 0)
            app.setFlag(v.flag, bytes[i]);
        else
            app.setOption(v.flag, v.option, bytes[i] != 0);
    }
}

std::filesystem::path machinePrinterFile(const std::filesystem::path& appPath, int machine) {
    return fileset::printerFile(appPath, machine < 1 ? 1 : machine);
}

void writeMachinePrinterFile(const std::filesystem::path& appPath, int machine, const ApplicationBlock& app) {
    writeFileAtomic(machinePrinterFile(appPath, machine), machinePrinterBytes(app));
}

SideFileRead readMachinePrinterFile(const std::filesystem::path& appPath, int machine, ApplicationBlock& app) {
    const auto file = machinePrinterFile(appPath, machine);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return SideFileRead::Missing;
    const auto bytes = readFile(file);
    // A file created empty holds no settings yet; a torn one would mix two
    // registers' settings, so neither is applied.
    if (bytes.size() < kMachinePrinterSize) return SideFileRead::Short;
    applyMachinePrinterBytes(app, std::span<const std::uint8_t, kMachinePrinterSize>(bytes.data(), kMachinePrinterSize));
    return SideFileRead::Read;
}

void ensureMachinePrinterFile(const std::filesystem::path& appPath, int machine) {
    const auto file = machinePrinterFile(appPath, machine);
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return;
    writeFileAtomic(file, std::span<const std::uint8_t>{});
}

void saveMachinePrinterFile(const ProgramSession& session, int machine) {
    const auto bytes = machinePrinterBytes(session.app);
    writeProgramFile(session, machinePrinterFile(session.programPath, machine), bytes);
}

std::array<std::uint8_t, kMachinePrinterSize> machinePrinterValuesOf(const std::filesystem::path& appPath,
                                                                     int machine, const ApplicationBlock& app) {
    ApplicationBlock block = app;
    readMachinePrinterFile(appPath, machine, block);
    return machinePrinterBytes(block);
}

MachineEdits::MachineEdits(ProgramSession& session) : session_(session), openingMachine_(session.machineNumber) {}

void MachineEdits::open() { readMachinePrinterFile(session_.programPath, session_.machineNumber, session_.app); }

std::array<std::uint8_t, kMachinePrinterSize> MachineEdits::valuesOf(int machine) const {
    if (std::max(machine, 1) == std::max(session_.machineNumber, 1)) return machinePrinterBytes(session_.app);
    if (auto it = pending_.find(std::max(machine, 1)); it != pending_.end()) return it->second;
    return machinePrinterValuesOf(session_.programPath, machine, session_.app);
}

void MachineEdits::switchTo(int machine) {
    auto next = session_.app;
    if (auto it = pending_.find(std::max(machine, 1)); it != pending_.end())
        applyMachinePrinterBytes(next, it->second);
    else
        readMachinePrinterFile(session_.programPath, machine, next);
    pending_[std::max(session_.machineNumber, 1)] = machinePrinterBytes(session_.app);
    session_.app = next;
    session_.machineNumber = machine;
}

void MachineEdits::save() {
    pending_[std::max(session_.machineNumber, 1)] = machinePrinterBytes(session_.app);
    for (const auto& [machine, values] : pending_)
        writeProgramFile(session_, machinePrinterFile(session_.programPath, machine), values);
    pending_.clear();
}

void MachineEdits::cancel() {
    pending_.clear();
    session_.machineNumber = openingMachine_;
}

}  // namespace tramond
