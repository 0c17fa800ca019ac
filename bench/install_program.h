#pragma once
// What the Clear & Install benchmarks share: a program with a given number of
// random PLUs, and a host that answers every question with yes.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "link/register_ops.h"
#include "program/program_ops.h"

namespace tramond::bench {

class YesHost : public RegisterOpsHost {
public:
    void message(MessageKind, const std::string&, const std::string& text) override { last = text; }
    bool ask(const Question&) override { return true; }
    TargetChoice chooseTarget(bool) override { return {true, 0, 0}; }
    std::optional<std::filesystem::path> chooseLoadTarget(const std::string&) override { return std::nullopt; }
    std::string last;
};

// DIR/bench.app with `plus` PLUs of random bytes, loaded into the session;
// empty when it could not be made.
inline std::filesystem::path makeInstallProgram(ProgramSession& session, const std::filesystem::path& dir, int plus) {
    namespace fs = std::filesystem;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto path = dir / "bench.app";
    if (!createProgram(session, path).ok()) return {};
    session.app.setU16(2227, static_cast<std::uint16_t>(plus));
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(session.app.bytes().data()), ApplicationBlock::kSize);
    std::vector<char> plu(static_cast<std::size_t>(plus) * 137);
    std::mt19937 rng(7);
    for (auto& b : plu) b = static_cast<char>(rng());
    std::ofstream(fs::path(path).replace_extension(".plu"), std::ios::binary | std::ios::trunc)
        .write(plu.data(), static_cast<std::streamsize>(plu.size()));
    if (!loadProgram(session, path).ok()) return {};
    return path;
}

}  // namespace tramond::bench
