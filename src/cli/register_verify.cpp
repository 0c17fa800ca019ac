#include "cli/register_verify.h"

#include <algorithm>

#include "link/register_ops_staging.h"
#include "program/file_io.h"
#include "program/sizing.h"

namespace tramond {

namespace {

// Load from Register's save dialog answered with the staging folder; every
// other question and message goes to the caller's host.
class StagedHost : public RegisterOpsHost {
public:
    StagedHost(RegisterOpsHost& inner, std::filesystem::path target) : inner_(inner), target_(std::move(target)) {}
    void message(MessageKind kind, const std::string& title, const std::string& text) override {
        inner_.message(kind, title, text);
    }
    bool ask(const Question& q) override { return inner_.ask(q); }
    TargetChoice chooseTarget(bool allowNetwork) override { return inner_.chooseTarget(allowNetwork); }
    std::optional<std::filesystem::path> chooseLoadTarget(const std::string&) override { return target_; }
    void showProgress() override { inner_.showProgress(); }
    void progressChanged(const ProgressState& s) override { inner_.progressChanged(s); }
    void closeProgress() override { inner_.closeProgress(); }
    void pump() override { inner_.pump(); }
    void wait(std::chrono::milliseconds d) override { inner_.wait(d); }

private:
    RegisterOpsHost& inner_;
    std::filesystem::path target_;
};

}  // namespace

VerifyOutcome verifyRegister(const ProgramImage& program, const VerifyRequest& request) {
    VerifyOutcome outcome;
    std::unique_ptr<LoadStaging> staging;
    try {
        staging = std::make_unique<LoadStaging>(program.appPath);
    } catch (const FileError& e) {
        outcome.problem = e.what();
        return outcome;
    }
    const auto target = staging->folder() / "register.app";
    StagedHost host(*request.host, target);
    // A session of its own: the register's program is loaded there, never
    // over the program the user has open.
    ProgramSession scratch;
    scratch.unattended = request.preset.has_value();
    RegisterOperations ops(scratch, *request.port, host, request.config);
    if (request.preset) ops.presetTarget(*request.preset);
    if (request.started) request.started(ops);
    bool loaded = false;
    try {
        loaded = ops.loadFromRegister();
    } catch (...) {
        if (request.ended) request.ended();
        throw;
    }
    if (request.ended) request.ended();
    if (!loaded) return outcome;

    // The register's copy was loaded as every program is; the program is
    // compared as a load (and so every transfer) would present it.
    auto pc = program;
    pc.app.setOption(59, 5, false);
    applyFixedValues(pc.app);
    const auto held = ProgramImage::read(target);
    outcome.differences = diffPrograms(pc, held);
    outcome.status = outcome.differences.empty() ? VerifyOutcome::Status::Same : VerifyOutcome::Status::Different;
    return outcome;
}

}  // namespace tramond
