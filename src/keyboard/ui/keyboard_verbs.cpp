#include "keyboard/ui/keyboard_verbs.h"

#include <memory>
#include <ostream>
#include <variant>

#include "app/language_pack.h"
#include "cli/program_image.h"
#include "keyboard/keyboard_editor.h"
#include "keyboard/ui/keyboard_dialog.h"
#include "keyboard/ui/keyboard_print.h"
#include "keyboard/ui/keyboard_services.h"
#include "program/sizing.h"

namespace tramond {

namespace {

struct Paper {
    std::string_view name;
    QPageSize::PageSizeId id;
};
constexpr Paper kPapers[] = {
    {"A4", QPageSize::A4}, {"A3", QPageSize::A3}, {"Letter", QPageSize::Letter}, {"Legal", QPageSize::Legal}};

std::optional<QPageSize::PageSizeId> paperNamed(const std::string& name) {
    for (const auto& p : kPapers)
        if (QString::fromStdString(name).compare(QString::fromUtf8(p.name.data(), static_cast<qsizetype>(p.name.size())),
                                                 Qt::CaseInsensitive) == 0)
            return p.id;
    return std::nullopt;
}

// A refusal or failure on stderr; with --json the verb runner makes it the
// common object.
class Reply {
public:
    explicit Reply(VerbContext& c) : c_(c) {}
    int fail(int code, const std::string& message) {
        c_.err << "tramond print-keyboard: " << message << '\n';
        return code;
    }

private:
    VerbContext& c_;
};

// The machines to print: one, or every register of a network that keeps
// keyboards of its own (a shared keyboard is one page).
std::variant<std::vector<int>, std::string> machinesToPrint(const ApplicationBlock& app, const VerbArguments& args) {
    const int network = std::max(1, static_cast<int>(app.flag(appblock::kFlagNetworkSize)));
    const bool individual = app.get(appblock::kIndividualKeyboards) && network > 1;
    if (!args.has("--machine")) return std::vector<int>{1};
    const auto text = args.value("--machine");
    if (text == "all") {
        std::vector<int> all;
        for (int m = 1; m <= (individual ? network : 1); ++m) all.push_back(m);
        return all;
    }
    int machine = -1;
    try {
        std::size_t used = 0;
        machine = std::stoi(text, &used);
        if (used != text.size()) machine = -1;
    } catch (const std::exception&) {
    }
    if (machine < 1 || machine > network)
        return "--machine must be \"all\" or a register of the network, 1 to " + std::to_string(network);
    if (machine > 1 && !individual)
        return "This program has no individual keyboards; --machine " + std::to_string(machine) +
               " has no keyboard of its own";
    return std::vector<int>{machine};
}

}  // namespace

int runPrintKeyboard(VerbContext& context) {
    const auto args =
        parseVerbArguments(context.args, {"--system", "--json"}, {"-o", "--machine", "--key-pitch", "--paper"});
    Reply reply(context);
    if (!args.error.empty()) return reply.fail(kVerbUsage, args.error);
    if (args.positional.size() != 1 || !args.has("-o") || args.value("-o").empty())
        return reply.fail(kVerbUsage,
                          "usage: tramond print-keyboard PROGRAM.app [--machine N|all] [--system] "
                          "[--key-pitch MM[xMM]] [--paper A4|A3|Letter|Legal] -o FILE.pdf [--json]");
    KeyboardPrintOptions options;
    if (args.has("--key-pitch")) {
        options.pitch = parseKeyPitch(args.value("--key-pitch"));
        if (!options.pitch)
            return reply.fail(kVerbUsage, "--key-pitch takes the distance between key centres in millimetres, "
                                          "5 to 60, across or across x down (\"19\", \"19x17\")");
    }
    if (args.has("--paper")) {
        const auto paper = paperNamed(args.value("--paper"));
        if (!paper) return reply.fail(kVerbUsage, "--paper is one of A4, A3, Letter, Legal");
        options.paper = QPageSize(*paper);
    }
    if (const auto problem = checkKeyboardPaper(options); !problem.empty()) return reply.fail(kVerbUsage, problem);

    // Read as it is on disk: printing never changes the program, its
    // keyboard files or the tool's key attributes.
    ProgramSession base;
    try {
        const auto image = ProgramImage::read(args.positional[0]);
        base.programPath = std::filesystem::absolute(image.appPath);
        base.app = image.app;
    } catch (const ProgramError& e) {
        return reply.fail(kVerbUsage, e.what());
    }
    applyFixedValues(base.app);
    base.loaded = true;
    base.unattended = true;
    const auto machines = machinesToPrint(base.app, args);
    if (const auto* problem = std::get_if<std::string>(&machines)) return reply.fail(kVerbUsage, *problem);

    LanguageTexts texts = LanguageTexts::builtIn();
    const auto dir = toolDirectory();
    std::error_code ec;
    if (std::filesystem::exists(dir / "Tramond.mwt", ec)) loadLanguagePack(texts, dir);
    const bool network = std::get<std::vector<int>>(machines).size() > 1 ||
                         (base.app.get(appblock::kIndividualKeyboards) && base.app.flag(appblock::kFlagNetworkSize) > 1);
    const std::string timestamp = printTimestamp();

    StreamPrompter prompter(context.err);
    struct Page {
        ProgramSession session;
        std::unique_ptr<ProgramKeyNames> names;
        std::unique_ptr<KeyboardEditor> editor;
        bool fromFile = false;
    };
    std::vector<std::unique_ptr<Page>> pages;
    std::vector<KeyboardSheet> sheets;
    for (const int machine : std::get<std::vector<int>>(machines)) {
        auto page = std::make_unique<Page>();
        // Each keyboard from the program's own block: a missing ".kb3" is
        // drawn from the program, not from the keyboard printed before it.
        page->session = base;
        page->session.machineNumber = network ? machine : 0;
        page->names = std::make_unique<ProgramKeyNames>(page->session.programPath, page->session.app);
        usePluListOrder(*page->names, page->session);
        page->editor = std::make_unique<KeyboardEditor>(
            page->session, texts, args.has("--system") ? KeyboardMode::System : KeyboardMode::Register,
            dir / std::string(KeyAttributes::kFileName), KeyboardEditorServices{prompter, *page->names, registerBlockOf});
        page->fromFile = std::filesystem::exists(page->editor->keyboardPathOf(page->session.machineNumber), ec);
        if (!page->editor->openForReading()) return reply.fail(kVerbFailed, "the keyboard could not be read");
        sheets.push_back({page->editor.get(), keyboardTitle(*page->editor, timestamp)});
        pages.push_back(std::move(page));
    }

    const std::filesystem::path out = args.value("-o");
    const auto problem = writeKeyboardPdf(sheets, out, options, [&](const std::string& m) { context.err << m << '\n'; });
    if (!problem.empty()) return reply.fail(kVerbFailed, problem);
    if (args.has("--json")) {
        context.out << "{\"ok\":true,\"program\":" << jsonQuote(base.programPath.string())
                    << ",\"file\":" << jsonQuote(out.string()) << ",\"pages\":[";
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const auto& p = *pages[i];
            context.out << (i ? "," : "") << "{\"machine\":" << std::max(1, p.session.machineNumber)
                        << ",\"keyboard\":" << jsonQuote(p.editor->filePath().filename().string())
                        << ",\"keyboardFile\":" << (p.fromFile ? "true" : "false") << "}";
        }
        context.out << "]}\n";
    } else {
        context.out << "Wrote " << out.string() << " (";
        for (std::size_t i = 0; i < pages.size(); ++i)
            context.out << (i ? ", " : "") << pages[i]->editor->filePath().filename().string()
                        << (pages[i]->fromFile ? "" : " drawn from the program");
        context.out << ")\n";
    }
    return kVerbOk;
}

void registerKeyboardVerbs(VerbRegistry& verbs) {
    Verb verb{"print-keyboard",
              "print-keyboard PROGRAM.app [--machine N|all] [--system] [--key-pitch MM[xMM]] [--paper SIZE] -o "
              "FILE.pdf [--json]",
              "Draws the register keyboard into a PDF (landscape) for key overlays.",
              "Draws the register keyboard of a program (or the system keyboard) as the Print button of\n"
              "the keyboard editor does, into a PDF file: the board inside the area a printer can print\n"
              "(5 mm from the paper's edges) under a title line with the program, the keyboard and its\n"
              "machine, the date and the key pitch. Nothing of the program is written: a missing keyboard\n"
              "file is drawn from the program's key functions in memory.",
              VerbNeeds::GuiApplication, runPrintKeyboard};
    verb.options = {
        {"--machine N|all", "Takes network register N's individual keyboard; all prints every register's "
                            "keyboard, one page each (one page when they share a keyboard)."},
        {"--system", "Draws the system keyboard."},
        {"--key-pitch MM[xMM]", "Prints at true scale, so that the sheet can be cut and slid under the key "
                                "cover: MM is the distance between key centres across, in millimetres; down "
                                "follows the board's proportion (15.92 to 17.92) unless given as ACROSSxDOWN. "
                                "Without it the board is fitted to the page."},
        {"--paper SIZE", "A4 (the default), A3, Letter or Legal."},
        {"-o FILE.pdf", "The PDF file to write."}};
    verb.exitStatus = "0 the file was written, 1 it could not be, 2 bad arguments, an unusable program or a "
                      "true-scale board larger than the paper.";
    verb.jsonKeys = "ok, program, file, pages[{machine, keyboard, keyboardFile}]";
    verb.outputSuffixes = {".pdf"};
    verbs.add(std::move(verb));
}

}  // namespace tramond
