#include "cli/cli_verbs.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "app/command_line.h"
#include "cli/program_diff.h"
#include "cli/program_info.h"
#include "cli/record_columns.h"
#include "cli/record_csv.h"
#include "cli/register_verify.h"
#include "cli/version_image.h"
#include "link/unattended.h"
#include "program/file_io.h"

namespace tramond {

namespace {

std::string kindWords() { return kindList(tableKinds()); }

// Parses the arguments; on a problem prints it and returns nullopt.
std::optional<VerbArguments> arguments(VerbContext& ctx, const std::string& verb, std::size_t positional,
                                       const std::vector<std::string>& flags,
                                       const std::vector<std::string>& valued = {}) {
    auto a = parseVerbArguments(ctx.args, flags, valued);
    if (a.error.empty() && a.positional.size() != positional)
        a.error = "expected " + std::to_string(positional) + " arguments, got " + std::to_string(a.positional.size());
    if (!a.error.empty()) {
        ctx.err << "tramond " << verb << ": " << a.error << " (see \"tramond " << verb << " --help\")\n";
        return std::nullopt;
    }
    return a;
}

std::optional<RecordKind> kindArgument(VerbContext& ctx, const std::string& verb, const std::string& word) {
    const auto kind = kindFromWord(word);
    if (!kind || !recordTable(*kind, ApplicationBlock{})) {
        ctx.err << "tramond " << verb << ": no record kind \"" << word << "\" to exchange; KIND is one of "
                << kindWords() << "\n";
        return std::nullopt;
    }
    return kind;
}

int runInfo(VerbContext& ctx) {
    const auto a = arguments(ctx, "info", 1, {"--json"});
    if (!a) return kVerbUsage;
    try {
        const auto info = programInfo(ProgramImage::read(a->positional[0]));
        ctx.out << (ctx.json() ? infoJson(info) : infoText(info));
        return kVerbOk;
    } catch (const ProgramError& e) {
        ctx.err << "tramond info: " << e.what() << "\n";
        return kVerbUsage;
    }
}

int runExport(VerbContext& ctx) {
    const auto a = arguments(ctx, "export", 2, {"--json"}, {"-o", "--output"});
    if (!a) return kVerbUsage;
    const auto kind = kindArgument(ctx, "export", a->positional[1]);
    if (!kind) return kVerbUsage;
    const auto target = a->value("-o", a->value("--output"));
    const bool toFile = !target.empty() && target != "-";
    if (ctx.json() && !toFile) {
        ctx.err << "tramond export: --json needs -o FILE.csv (standard output holds the JSON object)\n";
        return kVerbUsage;
    }
    std::string text;
    std::vector<std::string> warnings;
    try {
        text = exportRecords(ProgramImage::read(a->positional[0]), *kind, &warnings);
    } catch (const ProgramError& e) {
        ctx.err << "tramond export: " << e.what() << "\n";
        return kVerbUsage;
    }
    for (const auto& w : warnings) ctx.err << "tramond export: warning: " << w << "\n";
    if (toFile) {
        try {
            writeTextFileAtomic(target, text);
        } catch (const FileError& e) {
            ctx.err << "tramond export: " << target << ": " << e.what() << "\n";
            return kVerbFailed;
        }
    } else {
        ctx.out << text;
    }
    if (ctx.json()) {
        ctx.out << "{\"kind\":" << jsonQuote(kindWord(*kind)) << ",\"file\":" << jsonQuote(target)
                << ",\"warnings\":[";
        for (std::size_t i = 0; i < warnings.size(); ++i) ctx.out << (i ? "," : "") << jsonQuote(warnings[i]);
        ctx.out << "]}\n";
    }
    return kVerbOk;
}

std::string importJson(const ImportOutcome& o, const std::optional<history::RecordOutcome>& version) {
    std::ostringstream out;
    out << "{\"ok\":" << (o.ok() ? "true" : "false") << ",\"rows\":" << o.rows << ",\"changed\":[";
    for (std::size_t i = 0; i < o.changedRecords.size(); ++i) out << (i ? "," : "") << o.changedRecords[i];
    out << "],\"problems\":[";
    for (std::size_t i = 0; i < o.problems.size(); ++i) {
        const auto& p = o.problems[i];
        out << (i ? "," : "") << "{\"line\":" << p.line << ",\"field\":" << jsonQuote(p.field)
            << ",\"message\":" << jsonQuote(p.text) << "}";
    }
    out << "],\"history\":" << historyJson(version) << ",\"problemCount\":" << o.problemCount << "}\n";
    return out.str();
}

int runImport(VerbContext& ctx) {
    const auto a = arguments(ctx, "import", 3, {"--json"});
    if (!a) return kVerbUsage;
    const bool json = ctx.json();
    const auto kind = kindArgument(ctx, "import", a->positional[1]);
    if (!kind) return kVerbUsage;
    std::string text;
    ProgramImage program;
    try {
        text = readCsvFile(a->positional[2]);
        program = ProgramImage::read(a->positional[0]);
    } catch (const ProgramError& e) {
        ctx.err << "tramond import: " << e.what() << "\n";
        return kVerbUsage;
    }
    ImportOutcome outcome;
    std::optional<history::RecordOutcome> version;
    try {
        outcome = importRecordsRecorded(program, *kind, text, std::filesystem::path(a->positional[2]).filename().string(),
                                        version);
    } catch (const ProgramError& e) {
        // A program that cannot be read is unusable input, as for every verb.
        ctx.err << "tramond import: " << e.what() << "\n";
        return kVerbUsage;
    }
    if (version && !version->warning.empty())
        ctx.err << "tramond import: warning: " << history::warningText(*version) << "\n";
    if (json) ctx.out << importJson(outcome, version);
    if (!outcome.ok()) {
        for (const auto& p : outcome.problems) ctx.err << a->positional[2] << ": " << p.describe() << "\n";
        if (outcome.problemCount > outcome.problems.size())
            ctx.err << a->positional[2] << ": ... and " << outcome.problemCount - outcome.problems.size()
                    << " more problems (" << outcome.problemCount << " in all)\n";
        ctx.err << "tramond import: nothing was written\n";
        return kVerbUsage;
    }
    if (!json)
        ctx.out << outcome.rows << " rows read, " << outcome.changedRecords.size()
                << (outcome.changedRecords.size() == 1 ? " record" : " records")
                << " changed and marked for Update Register\n";
    return kVerbOk;
}

int runDiff(VerbContext& ctx) {
    const auto a = arguments(ctx, "diff", 2, {"--json"});
    if (!a) return kVerbUsage;
    std::vector<Difference> differences;
    try {
        // Either side may be a recorded version: "shop.app@3".
        const auto first = readProgramArgument(a->positional[0]);
        const auto second = readProgramArgument(a->positional[1]);
        differences = diffPrograms(first.image, second.image);
    } catch (const ProgramError& e) {
        ctx.err << "tramond diff: " << e.what() << "\n";
        return kVerbUsage;
    }
    ctx.out << (ctx.json() ? diffJson(differences) : diffText(differences));
    return differences.empty() ? kVerbOk : kVerbFailed;
}

std::string verifyJson(const VerifyOutcome& o) {
    const char* status = o.status == VerifyOutcome::Status::Same        ? "same"
                         : o.status == VerifyOutcome::Status::Different ? "different"
                                                                        : "not read";
    // The keys of "diff" with the status in front; "same" only when the
    // register was read and matched (an unread register compared nothing).
    const std::string differences = diffJson(o.differences);
    return std::string("{\"status\":\"") + status + "\",\"same\":" +
           (o.status == VerifyOutcome::Status::Same ? "true" : "false") + "," +
           differences.substr(differences.find("\"differences\""));
}

int runVerify(VerbContext& ctx, const LinkServices& link) {
    const auto a = arguments(ctx, "verify", 4, {"--json"});
    if (!a) return kVerbUsage;
    // The transfer modes' rules for the register number, port and baud rate.
    const auto& p = a->positional;
    const auto cl = parseCommandLine({p[0], "read", p[1], p[2], p[3]});
    ProgramImage program;
    try {
        program = ProgramImage::read(p[0]);
    } catch (const ProgramError& e) {
        ctx.err << "tramond verify: " << e.what() << "\n";
        return kVerbUsage;
    }
    VerifyRequest request;
    if (link.settings) request.config.link = link.settings();
    if (auto port = cl.portName()) request.config.link.port = *port;
    if (cl.baudRate > 0) request.config.link.baudRate = cl.baudRate;
    request.config.timeoutMs = link.timeoutMs;
    auto port = link.makePort ? link.makePort(request.config.link.port) : nullptr;
    ConsoleHost host(ctx.err, nullptr, false, true);
    if (!port) {
        host.message(MessageKind::Error, "Error", "Check COMM Port!!");
        if (ctx.json()) ctx.out << verifyJson(VerifyOutcome{});
        return kVerbUsage;
    }
    request.port = port.get();
    request.host = &host;
    // As "read": the register number is the last register, the target the
    // directly attached one.
    request.preset = TargetChoice{true, 0, static_cast<std::uint8_t>(std::clamp(cl.registerNumber, 0, 255))};
    VerifyOutcome outcome;
    try {
        outcome = verifyRegister(program, request);
    } catch (const ProgramError& e) {
        ctx.err << "tramond verify: " << e.what() << "\n";
        return kVerbUsage;
    }
    if (outcome.status == VerifyOutcome::Status::NotRead && !outcome.problem.empty())
        ctx.err << "tramond verify: " << outcome.problem << "\n";
    if (ctx.json()) {
        ctx.out << verifyJson(outcome);
    } else if (outcome.status == VerifyOutcome::Status::Same) {
        ctx.out << "The register holds the program.\n";
    } else if (outcome.status == VerifyOutcome::Status::Different) {
        ctx.out << diffText(outcome.differences);
    }
    switch (outcome.status) {
        case VerifyOutcome::Status::Same: return kVerbOk;
        case VerifyOutcome::Status::Different: return kVerbFailed;
        case VerifyOutcome::Status::NotRead: break;
    }
    return kVerbUsage;
}

}  // namespace

void addCliVerbs(VerbRegistry& verbs, LinkServices link) {
    Verb info{"info", "info PROGRAM.app [--json]", "Shows a program's register type, counts, sizes and memory.",
              "Reads the program without changing it: per record kind the count, the record size on the PC and\n"
              "in the register and the records its file holds; the memory required as the status panel shows\n"
              "it, the network size, the logo, the PLU random-code size and the update-list length.",
              VerbNeeds::Nothing, runInfo};
    info.exitStatus = "0 shown, 2 the program cannot be read.";
    info.jsonKeys = "program, registerType, memoryRequired{bytes,kilobytes,text}, networkSize, "
                    "logo{size,type,density}, randomCodeSize, updateListLength, "
                    "kinds[{kind,name,extension,count,recordSize,registerRecordLength,fileExists,recordsInFile}]";
    verbs.add(std::move(info));

    Verb exportVerb{"export", "export PROGRAM.app KIND [-o FILE.csv] [--json]",
                    "Writes a record file as CSV for a spreadsheet.",
                    "CSV in UTF-8 with a header row of field names; one row per record, numbered in the \"record\"\n"
                    "column. A file that holds fewer records than the program's count is exported as far as it\n"
                    "goes, with a warning.\n"
                    "KIND is one of " + kindWords() + "; the kind's name in the Edit menu\n"
                    "(\"Department File\") and its extension are taken too, in any case.",
                    VerbNeeds::Nothing, runExport};
    exportVerb.options = {{"-o FILE.csv", "The CSV file; without it (or with -) the CSV goes to standard output."}};
    exportVerb.exitStatus = "0 written, 1 the file could not be written, 2 bad arguments or a program that cannot "
                            "be read.";
    exportVerb.jsonKeys = "kind, file, warnings (with -o only)";
    exportVerb.outputSuffixes = {".csv"};
    verbs.add(std::move(exportVerb));

    Verb import{"import", "import PROGRAM.app KIND FILE.csv [--json]",
                "Takes changed records from CSV, marked for Update Register.",
                "Every row is checked first: a wrong row is named with its line and field and nothing is written.\n"
                "Rows name their record in the \"record\" column; missing columns and records stay as they are.\n"
                "The record file is rewritten once and exactly the changed records are marked in the update\n"
                "list, so \"tramond PROGRAM.app update ...\" sends just them. KIND as for export.\n"
                "FILE.csv must be a regular file of at most 64 MiB in UTF-8. Problems quote cells with control\n"
                "bytes escaped and long cells cut short; the first 20 are listed, with a count of all.",
                VerbNeeds::Nothing, runImport};
    import.exitStatus = "0 done, 1 not written, 2 bad input (arguments, program or CSV).";
    import.jsonKeys = "ok, rows, changed[record numbers], problems[{line,field,message}] (the first 20), history (as "
                      "for the transfer modes), problemCount";
    verbs.add(std::move(import));

    Verb diff{"diff", "diff A.app[@N] B.app[@N] [--json]", "Shows how two programs differ.",
              "Record files by kind, record number and field name; the application block by flag and option\n"
              "(with the option dialog's caption) or by its named region, raw offsets otherwise; the text\n"
              "block by section and entry. Each line reads: area [record]: item: \"A\" -> \"B\".\n"
              "\n"
              "PROGRAM.app@N is version N of the program's history (see \"tramond history\").",
              VerbNeeds::Nothing, runDiff};
    diff.exitStatus = "0 same, 1 different, 2 a program cannot be read.";
    diff.jsonKeys = "same, differences[{area,record,item,caption,a,b}]";
    verbs.add(std::move(diff));

    Verb verify{"verify", "verify PROGRAM.app REGISTER PORT BAUD [--json]",
                "Compares what the register holds with the program.",
                "REGISTER, PORT and BAUD as for the transfer modes (\"read\"). The register is read into a\n"
                "hidden folder beside the program, compared as \"tramond diff\" compares, and the folder removed;\n"
                "the program is not changed.",
                VerbNeeds::CoreApplication, [link](VerbContext& ctx) { return runVerify(ctx, link); }};
    verify.exitStatus = "0 same, 1 different, 2 the register could not be read or the program is unusable.";
    verify.jsonKeys = "status (same, different or not read), same (true only when status is same), differences "
                      "as for diff";
    verbs.add(std::move(verify));

    addHistoryVerbs(verbs);
}

}  // namespace tramond
