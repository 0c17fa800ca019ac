#include "regsim/simulated_port.h"

namespace tramond::regsim {

SimulatedRegisterPort::SimulatedRegisterPort(std::filesystem::path stateDir, SimOptions options)
    : dir_(std::move(stateDir)), options_(options) {}

SimulatedRegisterPort::~SimulatedRegisterPort() { close(); }

bool SimulatedRegisterPort::open(const PortConfig& config) {
    close();
    // The register answers within the PC's own time-outs.
    options_.replyTimeoutMs = options_.retryQuietMs = config.timeoutMs * 3 / 2;
    options_.byteTimeoutMs = config.timeoutMs / 2;
    options_.drainQuietMs = config.timeoutMs * 3 / 10;
    sim_ = std::make_unique<RegisterSimulator>(options_);
    std::error_code ec;
    if (std::filesystem::exists(stateFile(), ec)) {
        try {
            sim_->memory(1).seedFromProgram(stateFile(), 1);
        } catch (const std::exception&) {
            // A damaged state starts the register empty, as after a CLR.
            sim_ = std::make_unique<RegisterSimulator>(options_);
        }
    }
    line_ = std::make_unique<LoopbackLine>();
    line_->pc().open(config);
    thread_ = std::make_unique<SimulatorThread>(*sim_, line_->registerSide());
    open_ = true;
    return true;
}

void SimulatedRegisterPort::close() {
    if (!open_) return;
    thread_.reset();
    open_ = false;
    std::error_code ec;
    std::filesystem::create_directories(dir_, ec);
    try {
        sim_->memory(1).dumpToProgram(stateFile());
    } catch (const std::exception&) {
        // The session's transfers are done; losing the simulated memory is
        // not worth failing the operation over.
    }
    line_.reset();
    sim_.reset();
}

int SimulatedRegisterPort::readByte(int timeoutMs) { return open_ ? line_->pc().readByte(timeoutMs) : -1; }

bool SimulatedRegisterPort::write(std::span<const std::uint8_t> bytes) {
    return open_ && line_->pc().write(bytes);
}

}  // namespace tramond::regsim
