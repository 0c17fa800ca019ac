#include "app/program_verbs.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "history/program_history.h"
#include "program/file_io.h"
#include "program/program_ops.h"

namespace tramond {

namespace {

int runCreate(VerbContext& context) {
    const auto a = parseVerbArguments(context.args, {"--force", "--json"}, {});
    if (!a.error.empty() || a.positional.size() != 1) {
        context.err << "tramond create: " << (a.error.empty() ? "name one program" : a.error)
                    << "\nUsage: tramond create PROGRAM.app [--force] [--json]\n";
        return kVerbUsage;
    }
    std::filesystem::path target = a.positional[0];
    target.replace_extension(".app");
    std::error_code ec;
    // A scheduled job must never replace a shop's program by accident.
    if (std::filesystem::exists(target, ec) && !a.has("--force")) {
        context.err << "tramond create: " << target.string()
                    << " exists (give --force to replace that program)\n";
        return kVerbUsage;
    }
    // The program replaced can still be put back.
    if (const auto kept = history::ProgramHistory(target).keepCurrent(); !kept.warning.empty())
        context.err << "tramond create: warning: " << history::warningText(kept) << "\n";
    ProgramSession session;
    session.unattended = true;
    try {
        const auto result = createProgram(session, target);
        if (!result.ok()) {
            context.err << "tramond create: " << loadOutcomeMessage(result.outcome) << "\n";
            return kVerbFailed;
        }
        for (const auto& w : result.warnings) context.err << "tramond create: " << w << "\n";
    } catch (const std::exception& e) {
        context.err << "tramond create: " << e.what() << "\n";
        return kVerbFailed;
    }
    if (a.has("--json"))
        context.out << "{\"program\":" << jsonQuote(target.string()) << ",\"created\":true}\n";
    else
        context.out << target.string() << "\n";
    return kVerbOk;
}

}  // namespace

void registerProgramVerbs(VerbRegistry& verbs) {
    verbs.add({"create", "create PROGRAM.app [--force] [--json]",
               "write a new program with default settings and records",
               "Writes every file of a new program, as File > Create New Program does.\n"
               "An existing program is replaced only with --force.",
               VerbNeeds::Nothing, runCreate});
}

}  // namespace tramond
