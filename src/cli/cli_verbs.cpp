#include "cli/cli_verbs.h"

#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "cli/program_diff.h"
#include "cli/program_info.h"
#include "cli/record_columns.h"
#include "cli/record_csv.h"
#include "program/file_io.h"

namespace tramond {

namespace {

std::string kindWords() {
    std::string out;
    for (auto k : tableKinds()) out += (out.empty() ? "" : ", ") + kindWord(k);
    return out;
}

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
        ctx.err << "tramond " << verb << ": no record kind \"" << word << "\" to exchange; the kinds are "
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
        ctx.out << (a->has("--json") ? infoJson(info) : infoText(info));
        return kVerbOk;
    } catch (const ProgramError& e) {
        ctx.err << "tramond info: " << e.what() << "\n";
        return kVerbUsage;
    }
}

int runExport(VerbContext& ctx) {
    const auto a = arguments(ctx, "export", 2, {}, {"-o", "--output"});
    if (!a) return kVerbUsage;
    const auto kind = kindArgument(ctx, "export", a->positional[1]);
    if (!kind) return kVerbUsage;
    std::string text;
    try {
        text = exportRecords(ProgramImage::read(a->positional[0]), *kind);
    } catch (const ProgramError& e) {
        ctx.err << "tramond export: " << e.what() << "\n";
        return kVerbUsage;
    }
    const auto target = a->value("-o", a->value("--output"));
    if (target.empty() || target == "-") {
        ctx.out << text;
        return kVerbOk;
    }
    try {
        writeTextFileAtomic(target, text);
    } catch (const FileError& e) {
        ctx.err << "tramond export: " << target << ": " << e.what() << "\n";
        return kVerbFailed;
    }
    return kVerbOk;
}

std::string importJson(const ImportOutcome& o) {
    std::ostringstream out;
    out << "{\"ok\":" << (o.ok() ? "true" : "false") << ",\"rows\":" << o.rows << ",\"changed\":[";
    for (std::size_t i = 0; i < o.changedRecords.size(); ++i) out << (i ? "," : "") << o.changedRecords[i];
    out << "],\"problems\":[";
    for (std::size_t i = 0; i < o.problems.size(); ++i) {
        const auto& p = o.problems[i];
        out << (i ? "," : "") << "{\"line\":" << p.line << ",\"field\":" << jsonQuote(p.field)
            << ",\"message\":" << jsonQuote(p.text) << "}";
    }
    out << "]}\n";
    return out.str();
}

int runImport(VerbContext& ctx) {
    const auto a = arguments(ctx, "import", 3, {"--json"});
    if (!a) return kVerbUsage;
    const bool json = a->has("--json");
    const auto kind = kindArgument(ctx, "import", a->positional[1]);
    if (!kind) return kVerbUsage;
    std::string text;
    {
        std::ifstream in(a->positional[2], std::ios::binary);
        if (!in) {
            ctx.err << "tramond import: " << a->positional[2] << ": cannot be read\n";
            return kVerbUsage;
        }
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    ImportOutcome outcome;
    try {
        outcome = importRecords(ProgramImage::read(a->positional[0]), *kind, text);
    } catch (const ProgramError& e) {
        ctx.err << "tramond import: " << e.what() << "\n";
        return kVerbFailed;
    }
    if (json) ctx.out << importJson(outcome);
    if (!outcome.ok()) {
        for (const auto& p : outcome.problems) ctx.err << a->positional[2] << ": " << p.describe() << "\n";
        ctx.err << "tramond import: nothing was written\n";
        return kVerbUsage;
    }
    if (!json)
        ctx.out << outcome.rows << " rows read, " << outcome.changedRecords.size() << " records changed and marked "
                << "for Update Register\n";
    return kVerbOk;
}

int runDiff(VerbContext& ctx) {
    const auto a = arguments(ctx, "diff", 2, {"--json"});
    if (!a) return kVerbUsage;
    std::vector<Difference> differences;
    try {
        differences = diffPrograms(ProgramImage::read(a->positional[0]), ProgramImage::read(a->positional[1]));
    } catch (const ProgramError& e) {
        ctx.err << "tramond diff: " << e.what() << "\n";
        return kVerbUsage;
    }
    ctx.out << (a->has("--json") ? diffJson(differences) : diffText(differences));
    return differences.empty() ? kVerbOk : kVerbFailed;
}

}  // namespace

void addCliVerbs(VerbRegistry& verbs, LinkServices link) {
    verbs.add({"info", "info PROGRAM.app [--json]", "Shows a program's register type, counts, sizes and memory.",
               "Reads the program without changing it: per record kind the count, the record size on the PC and\n"
               "in the register and the records its file holds; the memory required as the status panel shows\n"
               "it, the network size, the logo, the PLU random-code size and the update-list length.\n"
               "--json prints one JSON object (see the README for its keys).",
               VerbNeeds::Nothing, runInfo});
    verbs.add({"export", "export PROGRAM.app KIND [-o FILE.csv]", "Writes a record file as CSV for a spreadsheet.",
               "CSV in UTF-8 with a header row of field names; one row per record, numbered in the \"record\"\n"
               "column. Without -o the CSV goes to standard output. KIND is one of: " + kindWords() + ".",
               VerbNeeds::Nothing, runExport});
    verbs.add({"import", "import PROGRAM.app KIND FILE.csv [--json]",
               "Reads changed records from CSV and marks them for Update Register.",
               "Every row is checked first: a wrong row is named with its line and field and nothing is written.\n"
               "Rows name their record in the \"record\" column; missing columns and records stay as they are.\n"
               "The record file is rewritten once and exactly the changed records are marked in the update\n"
               "list, so \"tramond PROGRAM.app update ...\" sends just them. Exit 0 done, 1 not written, 2 bad input.",
               VerbNeeds::Nothing, runImport});
    verbs.add({"diff", "diff A.app B.app [--json]", "Shows how two programs differ; exit 0 same, 1 different.",
               "Record files by kind, record number and field name; the application block by flag and option\n"
               "(with the option dialog's caption) or by its named region, raw offsets otherwise; the text\n"
               "block by section and entry. Each line reads: area [record]: item: \"A\" -> \"B\".\n"
               "Exit 0 same, 1 different, 2 a program cannot be read.",
               VerbNeeds::Nothing, runDiff});
    (void)link;
}

}  // namespace tramond
