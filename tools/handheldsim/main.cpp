// tramond-handheldsim: a simulated handheld loader on a pseudo-terminal or a
// serial device, for trying the operating-system upload without a handheld.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "handheldsim/loader_simulator.h"
#include "regsim/channel.h"
#include "regsim/faulty_channel.h"

namespace {

std::atomic<bool> gStop{false};
void onSignal(int) { gStop.store(true); }

void usage() {
    std::cerr << "usage: tramond-handheldsim [options]\n"
                 "  --device PATH      serve a serial device instead of a new pseudo-terminal\n"
                 "  --baud N           baud rate of the device and of --pace (default 38400)\n"
                 "  --pace             deliver bytes at the baud rate\n"
                 "  --no-clear         never answer the clear request\n"
                 "  --no-final         never give the final checksum\n"
                 "  --half-final       give only the first byte of the final checksum\n"
                 "  --garble-in R      corrupt bytes towards the handheld at rate R (0..1)\n"
                 "  --garble-out R     corrupt bytes towards the PC at rate R (0..1)\n"
                 "  --stall-after N    stop reading after N bytes\n"
                 "  --noise N          send N bytes of noise after the wake-up\n"
                 "  --bad-cell ADDR    store the byte at ADDR with bit 0 flipped (a failing cell)\n"
                 "  --drop-in R        drop bytes towards the handheld at rate R (0..1)\n"
                 "  --drop-out R       drop bytes towards the PC at rate R (0..1)\n"
                 "  --fault-seed N     seed of the fault generator\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tramond;
    handheldsim::LoaderOptions o;
    regsim::LineFaults f;
    std::string device;
    int baud = 38400;
    bool pace = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        try {
            if (a == "--device") device = next();
            else if (a == "--baud") baud = std::stoi(next());
            else if (a == "--pace") pace = true;
            else if (a == "--no-clear") o.answerClear = false;
            else if (a == "--no-final") o.answerFinal = false;
            else if (a == "--half-final") o.finalHalf = true;
            else if (a == "--garble-in") f.corruptToRegister = std::stod(next());
            else if (a == "--garble-out") f.corruptToPc = std::stod(next());
            else if (a == "--stall-after") o.stallAfterBytes = std::stol(next());
            else if (a == "--noise") o.noiseBytes = std::stoi(next());
            else if (a == "--bad-cell") o.badCell = std::stol(next(), nullptr, 0);
            else if (a == "--drop-in") f.dropToRegister = std::stod(next());
            else if (a == "--drop-out") f.dropToPc = std::stod(next());
            else if (a == "--fault-seed") f.seed = static_cast<std::uint32_t>(std::stoul(next()));
            else {
                usage();
                return a == "--help" || a == "-h" ? 0 : 2;
            }
        } catch (const std::exception&) {
            std::cerr << "tramond-handheldsim: bad value for " << a << "\n";
            return 2;
        }
    }
    if (pace) f.paceBaud = baud;
    std::unique_ptr<regsim::TtyChannel> tty;
    try {
        tty = device.empty() ? regsim::TtyChannel::openPseudoTerminal() : regsim::TtyChannel::openDevice(device, baud);
    } catch (const std::exception& e) {
        std::cerr << "tramond-handheldsim: " << e.what() << "\n";
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::cout << tty->devicePath() << std::endl;

    regsim::FaultyChannel line(*tty, f);
    handheldsim::LoaderSimulator sim(o);
    sim.serve(line, gStop);
    const auto r = sim.report();
    std::cerr << "wake-ups " << r.wakeUps << ", data records " << r.dataRecords << ", bad records " << r.badRecords
              << ", uploads finished " << r.finished << "\n";
    return 0;
}
