#include "app/program_verbs.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "history/program_history.h"
#include "program/file_io.h"
#include "program/program_ops.h"
#include "program/staged_commit.h"

namespace tramond {

namespace {

int runCreate(VerbContext& context) {
    const auto a = parseVerbArguments(context.args, {"--force", "--json"}, {});
    if (!a.error.empty() || a.positional.size() != 1) {
        context.err << "tramond create: " << (a.error.empty() ? "name one program" : a.error)
                    << " (see \"tramond create --help\")\n";
        return kVerbUsage;
    }
    std::filesystem::path target = a.positional[0];
    target.replace_extension(".app");
    // A load cut off in its commit is finished before anything looks at the
    // program (its ".app" may be the file still to come), or the run stops
    // naming it.
    if (const auto why = finishInterruptedLoads(target); !why.empty()) {
        context.err << "tramond create: " << why << "\n";
        return kVerbUsage;
    }
    std::error_code ec;
    // A scheduled job must never replace a shop's program by accident.
    if (std::filesystem::exists(target, ec) && !a.has("--force")) {
        context.err << "tramond create: " << target.string()
                    << " exists (give --force to replace that program)\n";
        return kVerbUsage;
    }
    // A new shop's folder is made as "mkdir -p" would make it.
    const auto folder = target.parent_path();
    bool madeFolder = false;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        if (std::filesystem::exists(folder, ec)) {
            context.err << "tramond create: " << folder.string() << " is not a folder\n";
            return kVerbUsage;
        }
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            context.err << "tramond create: cannot make the folder " << folder.string() << ": " << ec.message()
                        << "\n";
            return kVerbFailed;
        }
        madeFolder = true;
        context.err << "tramond create: made the folder " << folder.string() << "\n";
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
    if (context.json())
        context.out << "{\"program\":" << jsonQuote(target.string()) << ",\"created\":true,\"folderCreated\":"
                    << (madeFolder ? "true" : "false") << "}\n";
    else
        context.out << target.string() << "\n";
    return kVerbOk;
}

}  // namespace

void registerProgramVerbs(VerbRegistry& verbs) {
    Verb create{"create", "create PROGRAM.app [--force] [--json]",
                "Writes a new program with default settings and records.",
                "Writes every file of a new program, as File > Create New Program does, and makes its folder\n"
                "when it is missing. The program's path goes to standard output.",
                VerbNeeds::Nothing, runCreate};
    create.options = {{"--force", "Replaces an existing program of that name."}};
    create.exitStatus = "0 created, 1 the files could not be written, 2 bad arguments or an existing program "
                        "without --force.";
    create.jsonKeys = "program, created, folderCreated";
    verbs.add(std::move(create));
}

}  // namespace tramond
