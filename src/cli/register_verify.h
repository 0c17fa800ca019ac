#pragma once
// Verify Register: is what the register holds what the program says? The
// register is read as Load from Register reads it, into a hidden staging
// folder beside the program that is removed afterwards, and the two are
// compared as "tramond diff" compares programs. The program itself is never
// touched.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/program_diff.h"
#include "link/register_ops.h"

namespace tramond {

struct VerifyOutcome {
    enum class Status { Same, Different, NotRead };
    Status status = Status::NotRead;
    std::vector<Difference> differences;
    std::string problem;  // NotRead: why, when the operation did not tell the host
};

struct VerifyRequest {
    SerialPort* port = nullptr;
    RegisterOpsHost* host = nullptr;
    RegisterOpsConfig config;
    // Set: no target dialog, this register (as the command line gives it).
    std::optional<TargetChoice> preset;
    // Called with the running operation, for a Cancel button to reach it,
    // and when it ends, before it goes away.
    std::function<void(RegisterOperations&)> started;
    std::function<void()> ended;
};

// Throws ProgramError when the program cannot be read.
VerifyOutcome verifyRegister(const ProgramImage& program, const VerifyRequest& request);

}  // namespace tramond
