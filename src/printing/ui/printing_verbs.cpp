#include "printing/ui/printing_verbs.h"

#include <filesystem>
#include <ostream>

#include "app/language_texts.h"
#include "platform/settings_qt.h"
#include "printing/listing.h"
#include "printing/ui/listing_document.h"
#include "program/program_ops.h"

namespace tramond {

namespace {

SettingsStore* g_testSettings = nullptr;

std::string kindNames() {
    std::string names;
    for (const auto& k : listingKinds()) names += (names.empty() ? "" : ", ") + std::string(k.name);
    return names;
}

int runPrint(VerbContext& c) {
    const auto a = parseVerbArguments(c.args, {"--json"}, {"-o"});
    if (!a.error.empty()) {
        c.err << "tramond print: " << a.error << "\n";
        return kVerbUsage;
    }
    if (a.positional.size() != 2 || !a.has("-o") || a.value("-o").empty()) {
        c.err << "tramond print: usage: print PROGRAM.app KIND -o FILE [--json]\n";
        return kVerbUsage;
    }
    const auto kind = listingKindByName(a.positional[1]);
    if (!kind) {
        c.err << "tramond print: unknown kind \"" << a.positional[1] << "\" (one of " << kindNames() << ")\n";
        return kVerbUsage;
    }
    const std::filesystem::path out = a.value("-o");
    const auto format = ui::listingFormatFor(out);
    if (!format) {
        c.err << "tramond print: " << out.string() << ": the file name must end in .pdf, .doc, .rtf or .txt\n";
        return kVerbUsage;
    }

    ProgramSession session;
    LoadResult loaded;
    try {
        loaded = loadProgram(session, a.positional[0]);
    } catch (const std::exception& e) {
        c.err << "tramond print: " << a.positional[0] << ": " << e.what() << "\n";
        return kVerbUsage;
    }
    if (!loaded.ok()) {
        c.err << "tramond print: " << a.positional[0] << ": not a program that can be opened\n";
        return kVerbUsage;
    }

    ListingRequest request;
    if (g_testSettings) {
        request.printer = loadPrinterSettings(*g_testSettings);
    } else {
        QtSettingsStore settings;
        request.printer = loadPrinterSettings(settings);
    }
    const auto& texts = LanguageTexts::builtIn();
    const auto listing = buildListing(*kind, session, texts, request);
    if (!listing.ok()) {
        c.err << "tramond print: " << listing.fileName << ": " << listing.error << "\n";
        return kVerbFailed;
    }
    if (const auto problem = ui::writeListingFile(out, *format, listing); !problem.empty()) {
        c.err << "tramond print: " << out.string() << ": " << problem << "\n";
        return kVerbFailed;
    }
    if (a.has("--json")) {
        c.out << "{\"program\":" << jsonQuote(session.programPath.string()) << ",\"kind\":" << jsonQuote(a.positional[1])
              << ",\"file\":" << jsonQuote(out.string()) << ",\"lines\":" << listing.lines.size() << "}\n";
    }
    return kVerbOk;
}

}  // namespace

void setPrintingVerbSettingsForTesting(SettingsStore* store) { g_testSettings = store; }

void registerPrintingVerbs(VerbRegistry& verbs) {
    verbs.add({"print", "print PROGRAM.app KIND -o FILE [--json]",
               "write a listing of a program's record file as PDF, rich text or plain text",
               "Lists one record file of the program as the Print dialog does and writes\n"
               "it by the suffix of FILE: .pdf (PDF), .doc or .rtf (rich text, which\n"
               "word processors open) or .txt (plain text). On paper every page has the\n"
               "column header and \"Page n of m\", and no record is split across pages.\n"
               "KIND: " + kindNames() + " (also the words \"export\" takes).\n"
               "\"summary\" is one page on the program: register type, record counts,\n"
               "memory, network, logo and the options switched on.\n"
               "The first line and the column header follow the Parallel Printer Settings.\n"
               "Exit status: 0 the file was written; 1 the listing or the file failed;\n"
               "2 bad arguments or a program that cannot be opened.\n",
               VerbNeeds::GuiApplication, runPrint});
}

}  // namespace tramond
