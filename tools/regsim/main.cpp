// tramond-regsim: a simulated ORB4400 register (or a network of them) on a
// pseudo-terminal or a serial device, for trying the tool without a register.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "regsim/channel.h"
#include "regsim/faulty_channel.h"
#include "regsim/simulator.h"

namespace {

std::atomic<bool> gStop{false};
void onSignal(int) { gStop.store(true); }

void usage() {
    std::cerr <<
        "usage: tramond-regsim [options]\n"
        "  --registers N        network of N registers (1..24; direct frames reach register 1)\n"
        "  --id a|1|2           identification byte 7 (default 2)\n"
        "  --device PATH        serve a serial device instead of a new pseudo-terminal\n"
        "  --baud N             baud rate of the device and of --pace (default 38400)\n"
        "  --seed PROGRAM.app   fill every register from a program's files\n"
        "  --dump PROGRAM.app   write register 1's memory to a program on exit\n"
        "                       (register n to PROGRAM_rn.app)\n"
        "  --drop-in R --drop-out R --corrupt-in R --corrupt-out R\n"
        "                       byte fault rates 0..1 towards the register (in) and the PC (out)\n"
        "  --fault-seed N       seed of the fault generator\n"
        "  --silent             never answer\n"
        "  --silent-after N     fall silent after N blocks\n"
        "  --id-second          answer the identification only on the second request\n"
        "  --delay MS           delay every answer\n"
        "  --pace               deliver bytes at the baud rate\n"
        "  --timeout MS         the PC's read time-out the register works with (default 1000)\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tramond::regsim;
    SimOptions o;
    LineFaults f;
    std::string device, seed, dump;
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
            if (a == "--registers") o.registers = std::stoi(next());
            else if (a == "--id") o.identification = static_cast<std::uint8_t>(next().at(0));
            else if (a == "--device") device = next();
            else if (a == "--baud") baud = std::stoi(next());
            else if (a == "--seed") seed = next();
            else if (a == "--dump") dump = next();
            else if (a == "--drop-in") f.dropToRegister = std::stod(next());
            else if (a == "--drop-out") f.dropToPc = std::stod(next());
            else if (a == "--corrupt-in") f.corruptToRegister = std::stod(next());
            else if (a == "--corrupt-out") f.corruptToPc = std::stod(next());
            else if (a == "--fault-seed") f.seed = static_cast<std::uint32_t>(std::stoul(next()));
            else if (a == "--silent") o.silent = true;
            else if (a == "--silent-after") o.silentAfterBlocks = std::stol(next());
            else if (a == "--id-second") o.identifyOnSecondRequest = true;
            else if (a == "--delay") o.answerDelayMs = std::stoi(next());
            else if (a == "--pace") pace = true;
            else if (a == "--timeout") {
                const int pc = std::stoi(next());
                o.replyTimeoutMs = o.retryQuietMs = pc * 3 / 2;
                o.byteTimeoutMs = pc / 2;
                o.drainQuietMs = pc * 3 / 10;
            } else {
                usage();
                return a == "--help" || a == "-h" ? 0 : 2;
            }
        } catch (const std::exception&) {
            std::cerr << "tramond-regsim: bad value for " << a << "\n";
            return 2;
        }
    }
    if (o.registers < 1 || o.registers > 24) {
        std::cerr << "tramond-regsim: --registers must be 1..24\n";
        return 2;
    }
    if (pace) f.paceBaud = baud;

    RegisterSimulator sim(o);
    try {
        if (!seed.empty())
            for (int r = 1; r <= o.registers; ++r) sim.memory(r).seedFromProgram(seed, r);
    } catch (const std::exception& e) {
        std::cerr << "tramond-regsim: cannot read " << seed << ": " << e.what() << "\n";
        return 1;
    }
    std::unique_ptr<TtyChannel> tty;
    try {
        tty = device.empty() ? TtyChannel::openPseudoTerminal() : TtyChannel::openDevice(device, baud);
    } catch (const std::exception& e) {
        std::cerr << "tramond-regsim: " << e.what() << "\n";
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::cout << tty->devicePath() << std::endl;

    FaultyChannel line(*tty, f);
    sim.serve(line, gStop);

    if (!dump.empty()) {
        for (int r = 1; r <= o.registers; ++r) {
            std::filesystem::path p = dump;
            if (r > 1) p.replace_filename(p.stem().string() + "_r" + std::to_string(r) + ".app");
            try {
                sim.memory(r).dumpToProgram(p);
            } catch (const std::exception& e) {
                std::cerr << "tramond-regsim: cannot write " << p << ": " << e.what() << "\n";
                return 1;
            }
        }
    }
    return 0;
}
