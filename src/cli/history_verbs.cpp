// "tramond history" and "tramond restore": the versions of a program, what
// was current at a time, recording and pushing them, and putting one back.

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/cli_verbs.h"
#include "cli/program_image.h"
#include "cli/program_restore.h"
#include "history/program_history.h"
#include "link/unattended.h"

namespace tramond {

namespace {

namespace fs = std::filesystem;
using history::ProgramHistory;
using history::Version;

std::string withoutDot(const std::string& extension) {
    return extension.starts_with('.') ? extension.substr(1) : extension;
}

// "  12  2026-12-01 18:00:03  update         register 3    ok  changed: plu upd  alice@till"
std::string versionLine(const Version& v) {
    char head[64];
    std::snprintf(head, sizeof head, "%4d  %s  %-13s  ", v.number, history::localTimeText(v.time).c_str(),
                  std::string(history::eventWord(v.event)).c_str());
    std::string line = head;
    char where[64];
    std::snprintf(where, sizeof where, "%-12s", v.transfer ? ("register " + v.transfer->registers).c_str() : "");
    line += where;
    if (v.transfer) line += "  " + v.transfer->result;
    if (v.number == 1) {
        line += "  first version";
    } else if (!v.changed.empty()) {
        line += "  changed:";
        for (const auto& c : v.changed) line += " " + withoutDot(c);
    } else {
        line += "  no file changed";
    }
    if (!v.note.empty()) line += "  \"" + v.note + "\"";
    return line + "  " + v.person;
}

std::string versionJson(const Version& v) {
    std::string o = "{\"number\":" + std::to_string(v.number) + ",\"id\":" + jsonQuote(v.id) +
                    ",\"time\":" + jsonQuote(history::isoTimeText(v.time, v.offsetMinutes)) +
                    ",\"event\":" + jsonQuote(std::string(history::eventWord(v.event)));
    if (v.transfer)
        o += ",\"register\":" + jsonQuote(v.transfer->registers) + ",\"port\":" + jsonQuote(v.transfer->port) +
             ",\"baud\":" + std::to_string(v.transfer->baud) + ",\"result\":" + jsonQuote(v.transfer->result);
    else
        o += ",\"register\":null,\"port\":null,\"baud\":null,\"result\":null";
    o += ",\"person\":" + jsonQuote(v.person) + ",\"note\":" + jsonQuote(v.note) + ",\"changed\":[";
    for (std::size_t i = 0; i < v.changed.size(); ++i) o += (i ? "," : "") + jsonQuote(withoutDot(v.changed[i]));
    return o + "]}";
}

std::string stringList(const std::vector<std::string>& items) {
    std::string o = "[";
    for (std::size_t i = 0; i < items.size(); ++i) o += (i ? "," : "") + jsonQuote(items[i]);
    return o + "]";
}

bool usage(VerbContext& ctx, const std::string& verb, const std::string& problem) {
    ctx.err << "tramond " << verb << ": " << problem << " (see \"tramond " << verb << " --help\")\n";
    return false;
}

// "shop" names shop.app, as everywhere else.
fs::path programArgument(const std::string& argument) {
    fs::path p = argument;
    if (p.extension().empty()) p.replace_extension(".app");
    return p;
}

int listVersions(VerbContext& ctx, const fs::path& program, bool json) {
    const auto all = ProgramHistory(program).versions();
    if (json) {
        ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"versions\":[";
        for (std::size_t i = 0; i < all.size(); ++i) ctx.out << (i ? "," : "") << versionJson(all[i]);
        ctx.out << "]}\n";
    } else if (all.empty()) {
        ctx.out << "No version of " << program.string() << " is recorded.\n";
    } else {
        for (const auto& v : all) ctx.out << versionLine(v) << "\n";
    }
    return kVerbOk;
}

int versionAt(VerbContext& ctx, const fs::path& program, const std::string& when, bool json) {
    const auto time = history::parseLocalTime(when);
    if (!time) {
        usage(ctx, "history", "\"" + when + "\" is no time; write it as 2026-12-01 18:00");
        return kVerbUsage;
    }
    const auto v = ProgramHistory(program).versionAt(*time);
    if (json)
        ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"at\":" << jsonQuote(when)
                << ",\"version\":" << (v ? versionJson(*v) : "null") << "}\n";
    else if (v)
        ctx.out << versionLine(*v) << "\n";
    if (!v) {
        ctx.err << "tramond history: no version of " << program.string() << " was recorded by " << when << "\n";
        return kVerbFailed;
    }
    return kVerbOk;
}

int recordByHand(VerbContext& ctx, const fs::path& program, const std::string& message, bool json) {
    std::error_code ec;
    if (!fs::is_regular_file(program, ec)) {
        ctx.err << "tramond history: there is no program " << program.string() << "\n";
        return kVerbUsage;
    }
    const auto outcome = ProgramHistory(program).record({history::Event::Record, message, {}, false});
    if (json) ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"history\":" << historyJson(outcome) << "}\n";
    if (!outcome.warning.empty()) {
        ctx.err << "tramond history: " << history::warningText(outcome) << "\n";
        return kVerbFailed;
    }
    if (!json) ctx.out << "Recorded version " << outcome.version << " of " << program.string() << ".\n";
    return kVerbOk;
}

int push(VerbContext& ctx, const fs::path& program, const std::string& remote, bool json) {
    const ProgramHistory history(program);
    try {
        history.push(remote);
    } catch (const history::HistoryError& e) {
        if (json)
            ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"remote\":" << jsonQuote(remote)
                    << ",\"pushed\":false,\"error\":" << jsonQuote(e.what()) << "}\n";
        ctx.err << "tramond history: " << e.what() << "\n";
        return kVerbFailed;
    }
    if (json)
        ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"remote\":" << jsonQuote(remote)
                << ",\"pushed\":true,\"branch\":" << jsonQuote(history.branch()) << "}\n";
    else
        ctx.out << "Pushed " << history.branch() << " to " << remote << ".\n";
    return kVerbOk;
}

int runHistory(VerbContext& ctx) {
    const auto a = parseVerbArguments(ctx.args, {"--json"}, {"--at", "--record", "--push"});
    std::string problem = a.error;
    if (problem.empty() && a.positional.size() != 1) problem = "name one program";
    if (problem.empty() && a.has("--at") + a.has("--record") + a.has("--push") > 1)
        problem = "give one of --at, --record and --push";
    if (!problem.empty()) {
        usage(ctx, "history", problem);
        return kVerbUsage;
    }
    const auto program = programArgument(a.positional[0]);
    const bool json = a.has("--json");
    try {
        if (a.has("--at")) return versionAt(ctx, program, a.value("--at"), json);
        if (a.has("--record")) return recordByHand(ctx, program, a.value("--record"), json);
        if (a.has("--push")) return push(ctx, program, a.value("--push"), json);
        return listVersions(ctx, program, json);
    } catch (const history::HistoryError& e) {
        if (json) ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"error\":" << jsonQuote(e.what()) << "}\n";
        ctx.err << "tramond history: " << e.what() << "\n";
        return kVerbUsage;
    }
}

int runRestore(VerbContext& ctx) {
    const auto a = parseVerbArguments(ctx.args, {"--json"}, {});
    std::string problem = a.error;
    if (problem.empty() && a.positional.size() != 2) problem = "name a program and a version number";
    int number = 0;
    if (problem.empty()) {
        const auto& n = a.positional[1];
        if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos ||
            (number = std::stoi(n)) < 1)
            problem = "\"" + n + "\" is no version number";
    }
    if (!problem.empty()) {
        usage(ctx, "restore", problem);
        return kVerbUsage;
    }
    const auto program = programArgument(a.positional[0]);
    const bool json = a.has("--json");
    auto fail = [&](const std::string& why, int status) {
        if (json)
            ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"ok\":false,\"error\":" << jsonQuote(why)
                    << "}\n";
        ctx.err << "tramond restore: " << why << "\n";
        return status;
    };
    std::size_t count = 0;
    try {
        count = ProgramHistory(program).versions().size();
    } catch (const history::HistoryError& e) {
        return fail(e.what(), kVerbUsage);
    }
    if (static_cast<std::size_t>(number) > count)
        return fail("there is no version " + std::to_string(number) + " of " + program.string() +
                        (count == 0 ? " (nothing was recorded)" : " (it has 1 to " + std::to_string(count) + ")"),
                    kVerbUsage);
    RestoreOutcome outcome;
    try {
        outcome = restoreVersion(program, number);
    } catch (const ProgramError& e) {
        return fail(e.what(), kVerbFailed);
    }
    if (!outcome.recorded.warning.empty()) ctx.err << "tramond restore: warning: " << history::warningText(outcome.recorded) << "\n";
    if (json)
        ctx.out << "{\"program\":" << jsonQuote(program.string()) << ",\"ok\":true,\"restored\":" << number
                << ",\"marked\":" << stringList(outcome.marked)
                << ",\"clearAndInstall\":" << (outcome.clearAndInstall ? "true" : "false")
                << ",\"installOnly\":" << stringList(outcome.installOnly)
                << ",\"history\":" << historyJson(outcome.recorded) << "}\n";
    else
        ctx.out << restoreSummary(outcome);
    return kVerbOk;
}

}  // namespace

void addHistoryVerbs(VerbRegistry& verbs) {
    Verb history{"history", "history PROGRAM.app [--at TIME | --record TEXT | --push REMOTE] [--json]",
                 "Lists a program's recorded versions, records one or backs them up.",
                 "A version is recorded at every Load from Register, Install, Clear & Install, Update Register and\n"
                 "Clear PLU File (with the register, port, baud rate and the result, also when it failed), every\n"
                 "CSV import, every restore, and when the window closes a program whose files changed. They are\n"
                 "kept in the hidden folder \".tramond-history\" beside the programs, one git branch per program.\n"
                 "\n"
                 "Without options: every version, oldest first: number, time, event, register, result, the\n"
                 "files that changed, the note and who recorded it. Compare a version with\n"
                 "\"tramond diff PROGRAM.app@N PROGRAM.app\"; put it back with \"tramond restore PROGRAM.app N\".",
                 VerbNeeds::Nothing, runHistory};
    history.options = {
        {"--at TIME", "The version that was current at TIME, \"2026-12-01 18:00\" (a date alone: that evening)."},
        {"--record TEXT", "Records the files as they are now, with TEXT as the note."},
        {"--push REMOTE",
         "Sends the program's branch to a git remote: a URL, or a folder such as a USB stick, where a repository "
         "is made when there is none (in a folder that is there: a stick not mounted is refused). Versions the remote has and this history lacks are never overwritten."},
    };
    history.exitStatus = "0 done, 1 not done (no version at that time, not recorded, not pushed), 2 bad arguments "
                         "or a history that cannot be read.";
    history.jsonKeys = "program, then versions[{number,id,time,event,register,port,baud,result,person,note,changed}]; "
                       "with --at: at, version; with --record: history; with --push: remote, pushed, branch or error";
    verbs.add(std::move(history));

    Verb restore{"restore", "restore PROGRAM.app N [--json]", "Puts version N of a program back, marked for Update.",
                 "The files on disk are recorded first when they changed since the last version; then version\n"
                 "N's files replace them all at once (or none do), and the restore is recorded as a version of\n"
                 "its own. Everything whose bytes differ from the files replaced is marked in the update list,\n"
                 "so one Update Register makes the register hold version N; when the memory map differs it says\n"
                 "that Clear & Install Register is needed instead.",
                 VerbNeeds::Nothing, runRestore};
    restore.exitStatus = "0 done, 1 not done (the program is unchanged), 2 bad arguments or no such version.";
    restore.jsonKeys = "program, ok, restored, marked[update-list lines], clearAndInstall, installOnly[extensions], "
                       "history; or ok false and error";
    verbs.add(std::move(restore));
}

}  // namespace tramond
