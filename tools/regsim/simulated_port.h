#pragma once
// The "SIM" port: a serial port whose far end is a simulated register in the
// same process. The register's memory is kept as a program's file set in a
// directory, so it survives between runs.

#include <filesystem>
#include <memory>

#include "link/serial_port.h"
#include "regsim/loopback.h"
#include "regsim/simulator.h"

namespace tramond::regsim {

class SimulatedRegisterPort : public SerialPort {
public:
    // stateDir holds the register's memory ("register.app" and siblings).
    explicit SimulatedRegisterPort(std::filesystem::path stateDir, SimOptions options = {});
    ~SimulatedRegisterPort() override;

    bool open(const PortConfig& config) override;
    void close() override;
    bool isOpen() const override { return open_; }
    int readByte(int timeoutMs) override;
    bool write(std::span<const std::uint8_t> bytes) override;

    std::filesystem::path stateFile() const { return dir_ / "register.app"; }

private:
    std::filesystem::path dir_;
    SimOptions options_;
    std::unique_ptr<RegisterSimulator> sim_;
    std::unique_ptr<LoopbackLine> line_;
    std::unique_ptr<SimulatorThread> thread_;
    bool open_ = false;
};

}  // namespace tramond::regsim
