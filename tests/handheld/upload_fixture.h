#pragma once
// A simulated handheld loader on a pseudo-terminal, and operating-system
// images made by objcopy from random bytes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include "handheldsim/loader_simulator.h"
#include "regsim/channel.h"
#include "regsim/faulty_channel.h"

namespace tramond::test {

struct PtyLoader {
    handheldsim::LoaderSimulator sim;
    std::unique_ptr<regsim::TtyChannel> tty = regsim::TtyChannel::openPseudoTerminal();
    regsim::FaultyChannel line;
    handheldsim::LoaderThread thread;
    explicit PtyLoader(handheldsim::LoaderOptions o = {}, regsim::LineFaults f = {})
        : sim(o), line(*tty, f), thread(sim, line) {}
    std::string path() const { return tty->devicePath(); }
};

struct RandomImage {
    std::filesystem::path hex;
    std::vector<std::uint8_t> bytes;
};

// `size` random bytes at `offset`, written as Intel HEX by objcopy.
inline RandomImage objcopyImage(const std::filesystem::path& dir, std::size_t size, unsigned offset = 0,
                                unsigned seed = 1) {
    RandomImage image;
    std::mt19937 rng(seed);
    image.bytes.resize(size);
    for (auto& b : image.bytes) b = static_cast<std::uint8_t>(rng());
    std::filesystem::create_directories(dir);
    const auto bin = dir / "os.bin";
    std::ofstream(bin, std::ios::binary).write(reinterpret_cast<const char*>(image.bytes.data()),
                                               static_cast<std::streamsize>(size));
    image.hex = dir / "os.a30";
    std::string cmd = "objcopy -I binary -O ihex";
    if (offset) cmd += " --change-addresses " + std::to_string(offset);
    cmd += " '" + bin.string() + "' '" + image.hex.string() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return image;
}

inline std::uint16_t sumOf(const std::vector<std::uint8_t>& bytes) {
    unsigned s = 0;
    for (auto b : bytes) s += b;
    return static_cast<std::uint16_t>(s);
}

inline std::filesystem::path scratch(const std::string& tag) {
    return std::filesystem::temp_directory_path() / ("tramond-handheld-" + tag + "-" + std::to_string(::getpid()));
}

}  // namespace tramond::test
