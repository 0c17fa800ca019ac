#include "printing/ui/printing_verbs.h"

#include <filesystem>
#include <ostream>

#include "app/kind_words.h"
#include "app/language_texts.h"
#include "platform/settings_qt.h"
#include "printing/listing.h"
#include "printing/ui/listing_document.h"
#include "program/program_ops.h"

namespace tramond {

namespace {

SettingsStore* g_testSettings = nullptr;

// The record kinds that have a listing, as the one KIND table names them.
std::vector<RecordKind> listedKinds() {
    std::vector<RecordKind> kinds;
    for (const auto& k : listingKinds())
        if (const auto kind = kindForExtension(k.extension)) kinds.push_back(*kind);
    return kinds;
}

// Every KIND the verb takes: the record kinds, then the two listings that
// are not a record kind.
std::string listedWords() { return kindList(listedKinds()) + ", customer (.cst) and summary (the program)"; }

int runPrint(VerbContext& c) {
    const auto a = parseVerbArguments(c.args, {"--json"}, {"-o"});
    if (!a.error.empty()) {
        c.err << "tramond print: " << a.error << " (see \"tramond print --help\")\n";
        return kVerbUsage;
    }
    if (a.positional.size() != 2 || !a.has("-o") || a.value("-o").empty()) {
        c.err << "tramond print: name the program, the KIND and -o FILE (see \"tramond print --help\")\n";
        return kVerbUsage;
    }
    const auto kind = listingKindByName(a.positional[1]);
    if (!kind) {
        c.err << "tramond print: no listing of \"" << a.positional[1] << "\"; KIND is one of "
              << listedWords() << "\n";
        return kVerbUsage;
    }
    const std::filesystem::path out = a.value("-o");
    const auto format = ui::listingFormatFor(out);
    if (!format) {
        c.err << "tramond print: " << out.string() << ": the file name must end in .pdf, .doc, .rtf or .txt\n";
        return kVerbUsage;
    }

    ProgramSession session;
    session.unattended = true;
    const auto loaded = loadProgram(session, a.positional[0]);
    if (!loaded.ok()) {
        // Names an unfinished load from the register, when that is the reason.
        for (const auto& w : loaded.warnings) c.err << "tramond print: " << w << "\n";
        c.err << "tramond print: " << a.positional[0] << ": " << loadOutcomeMessage(loaded.outcome) << "\n";
        return kVerbUsage;
    }

    ListingRequest request;
    // Printing only reads: missing settings take their defaults unwritten.
    if (g_testSettings) {
        request.printer = peekPrinterSettings(*g_testSettings);
    } else {
        QtSettingsStore settings;
        request.printer = peekPrinterSettings(settings);
    }
    const auto& texts = LanguageTexts::builtIn();
    const auto listing = buildListing(*kind, session, texts, request);
    if (!listing.ok()) {
        c.err << "tramond print: " << listing.fileName << ": " << listing.error << "\n";
        return kVerbFailed;
    }
    for (const auto& w : listing.warnings) c.err << "tramond print: warning: " << w << "\n";
    if (const auto problem = ui::writeListingFile(out, *format, listing); !problem.empty()) {
        c.err << "tramond print: " << out.string() << ": " << problem << "\n";
        return kVerbFailed;
    }
    if (c.json()) {
        c.out << "{\"program\":" << jsonQuote(session.programPath.string())
              << ",\"kind\":" << jsonQuote(std::string(listingKindInfo(*kind).name))
              << ",\"file\":" << jsonQuote(out.string()) << ",\"lines\":" << listing.lines.size()
              << ",\"warnings\":[";
        for (std::size_t i = 0; i < listing.warnings.size(); ++i) c.out << (i ? "," : "") << jsonQuote(listing.warnings[i]);
        c.out << "]}\n";
    }
    return kVerbOk;
}

}  // namespace

void setPrintingVerbSettingsForTesting(SettingsStore* store) { g_testSettings = store; }

void registerPrintingVerbs(VerbRegistry& verbs) {
    Verb verb{"print", "print PROGRAM.app KIND -o FILE [--json]",
              "Writes a listing of one record file as PDF, rich text or plain text.",
              "Lists the record file as the Print dialog does and writes it by the suffix of FILE: .pdf,\n"
              ".doc or .rtf (rich text, which word processors open) or .txt. The first line and the\n"
              "column header follow the Parallel Printer Settings; nothing is written to the settings.\n"
              "A file that holds fewer records than the program's count is listed as far as it goes,\n"
              "with a warning.\n"
              "KIND is one of " + kindList(listedKinds()) + "; the kind's name in the Edit menu\n"
              "(\"Department File\") and its extension are taken too, in any case.",
              VerbNeeds::GuiApplication, runPrint};
    verb.options = {{"-o FILE", "The listing file; its suffix chooses the format."}};
    verb.exitStatus = "0 the file was written, 1 the listing or the file failed, 2 bad arguments or a program "
                      "that cannot be opened.";
    verb.jsonKeys = "program, kind, file, lines (the listing's line count), warnings";
    verb.outputSuffixes = {".pdf", ".doc", ".rtf", ".txt"};
    verbs.add(std::move(verb));
}

}  // namespace tramond
