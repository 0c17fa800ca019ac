#include "keyboard/ui/keyboard_verbs.h"

#include <ostream>

#include "app/language_pack.h"
#include "keyboard/keyboard_editor.h"
#include "keyboard/ui/keyboard_dialog.h"
#include "keyboard/ui/keyboard_print.h"
#include "keyboard/ui/keyboard_services.h"
#include "program/program_ops.h"

namespace tramond {

int runPrintKeyboard(VerbContext& context) {
    const auto args = parseVerbArguments(context.args, {"--system"}, {"-o", "--machine"});
    if (!args.error.empty()) {
        context.err << args.error << '\n';
        return kVerbUsage;
    }
    if (args.positional.size() != 1 || !args.has("-o")) {
        context.err << "usage: tramond print-keyboard PROGRAM.app [--machine N] [--system] -o FILE.pdf\n";
        return kVerbUsage;
    }
    ProgramSession session;
    session.unattended = true;
    const auto loaded = loadProgram(session, args.positional[0]);
    if (!loaded.ok()) {
        // Names an unfinished load from the register, when that is the reason.
        for (const auto& w : loaded.warnings) context.err << args.positional[0] << ": " << w << '\n';
        context.err << args.positional[0] << ": " << loadOutcomeMessage(loaded.outcome) << '\n';
        return kVerbUsage;
    }
    if (args.has("--machine")) {
        const auto text = args.value("--machine");
        int machine = -1;
        try {
            std::size_t used = 0;
            machine = std::stoi(text, &used);
            if (used != text.size()) machine = -1;
        } catch (const std::exception&) {
        }
        const int network = session.app.flag(appblock::kFlagNetworkSize);
        if (machine < 1 || machine > std::max(network, 1)) {
            context.err << "--machine must be a register of the network, 1 to " << std::max(network, 1) << '\n';
            return kVerbUsage;
        }
        if (machine > 1 && !session.app.get(appblock::kIndividualKeyboards)) {
            context.err << "This program has no individual keyboards; --machine " << machine
                        << " has no keyboard of its own\n";
            return kVerbUsage;
        }
        session.machineNumber = machine;
    }

    LanguageTexts texts = LanguageTexts::builtIn();
    const auto dir = toolDirectory();
    std::error_code ec;
    if (std::filesystem::exists(dir / "Tramond.mwt", ec)) loadLanguagePack(texts, dir);

    StreamPrompter prompter(context.err);
    ProgramKeyNames names(session.programPath, session.app);
    usePluListOrder(names, session);
    KeyboardEditor editor(session, texts, args.has("--system") ? KeyboardMode::System : KeyboardMode::Register,
                          dir / std::string(KeyAttributes::kFileName), {prompter, names, registerBlockOf});
    if (!editor.open()) return kVerbFailed;
    const std::filesystem::path out = args.value("-o");
    const auto problem = writeKeyboardPdf(editor, out, [&](const std::string& m) { context.err << m << '\n'; });
    if (!problem.empty()) {
        context.err << problem << '\n';
        return kVerbFailed;
    }
    context.out << "Wrote " << out.string() << " (" << editor.filePath().filename().string() << ")\n";
    return kVerbOk;
}

void registerKeyboardVerbs(VerbRegistry& verbs) {
    Verb verb{"print-keyboard", "print-keyboard PROGRAM.app [--machine N] [--system] -o FILE.pdf [--json]",
              "Draws the register keyboard into a PDF page (A4 landscape) for key overlays.",
              "Draws the register keyboard of a program (or, with --system, the system keyboard)\n"
              "as the Print button of the keyboard editor does, into a PDF file. A missing keyboard file is\n"
              "created first, as opening the keyboard editor does.",
              VerbNeeds::GuiApplication, runPrintKeyboard};
    verb.options = {{"--machine N", "Takes network register N's individual keyboard."},
                    {"--system", "Draws the system keyboard."},
                    {"-o FILE.pdf", "The PDF file to write."}};
    verb.exitStatus = "0 the file was written, 1 it could not be, 2 bad arguments or an unusable program.";
    verb.outputSuffixes = {".pdf"};
    verbs.add(std::move(verb));
}

}  // namespace tramond
