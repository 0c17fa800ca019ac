#pragma once
// Verbs of the command line ("tramond VERB ..."): dealer's tools that never
// open a window. Each subsystem registers its verbs by name; the executable
// dispatches before any window exists, so a verb runs on a machine without a
// display. Exit status: 0 success, 1 failure or difference, 2 bad arguments
// or unusable input.
//
// runVerbCommand carries the rules every verb keeps, so that none can forget
// them: "--help", "--json" answered with one object on every outcome (the
// verb's own, or the common {ok, exit, messages} when it wrote none), an
// output file whose suffix does not match what is written refused before
// the verb runs, and an escaping exception turned into a message and an
// exit status instead of an abort.

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace tramond {

enum VerbExit : int {
    kVerbOk = 0,
    kVerbFailed = 1,
    kVerbUsage = 2,
};

// What a verb needs from the process before it runs. Drawing (PDF pages,
// fonts) needs a GUI application object, which the executable creates on
// the offscreen platform when there is no display.
enum class VerbNeeds { Nothing, CoreApplication, GuiApplication };

struct VerbContext {
    std::vector<std::string> args;  // after the verb itself
    std::ostream& out;
    std::ostream& err;
    // "--json" was given (before any "--").
    bool json() const;
};

struct VerbOption {
    std::string flag;  // "-o FILE", "--force"
    std::string text;  // one sentence
};

struct Verb {
    std::string name;
    std::string synopsis;  // one line: "info PROGRAM.app [--json]"
    std::string summary;   // one sentence of what it does, with its full stop
    std::string help;      // further sentences for "tramond VERB --help" (may be empty)
    VerbNeeds needs = VerbNeeds::Nothing;
    std::function<int(VerbContext&)> run;
    // Options besides --json and --help, as --help and the manual list them.
    std::vector<VerbOption> options = {};
    // What each exit status means for this verb; empty: the common rule.
    std::string exitStatus = {};
    // The keys of the verb's own JSON object. Empty: the verb writes no JSON
    // itself and "--json" gives the common object (its standard output in
    // "output").
    std::string jsonKeys = {};
    // The suffixes its "-o" file may have (".pdf"): what it writes. Empty:
    // no output file.
    std::vector<std::string> outputSuffixes = {};
};

// The common rule of exit statuses and the keys of the common JSON object.
inline constexpr const char* kCommonExitStatus =
    "0 success, 1 failure, 2 bad arguments or unusable input.";
inline constexpr const char* kCommonJsonKeys =
    "ok, exit, messages (every line written to standard error), and output (what the verb wrote to "
    "standard output, when anything)";

class VerbRegistry {
public:
    void add(Verb verb);
    const Verb* find(const std::string& name) const;
    const std::map<std::string, Verb>& all() const { return verbs_; }

private:
    std::map<std::string, Verb> verbs_;
};

// The usage text of "tramond --help": the transfer modes' positional form,
// then every registered verb.
std::string usageText(const VerbRegistry& verbs);

// "tramond VERB --help" text of one verb.
std::string verbHelpText(const Verb& verb);

// The verbs' part of the manual page (roff): every verb with its synopsis,
// description, options, exit statuses and JSON keys, from the same fields
// as --help.
std::string verbManualSection(const VerbRegistry& verbs);

// Runs a verb under the rules above. `withApplication` wraps the verb's run
// in whatever process objects it needs (the executable creates the Qt
// application there); --help and refused arguments never reach it.
int runVerbCommand(const Verb& verb, std::vector<std::string> args, std::ostream& out, std::ostream& err,
                   const std::function<int(const std::function<int()>&)>& withApplication = {});

// "" when `file` may take what the verb writes; else why not.
std::string outputSuffixProblem(const std::string& file, const std::vector<std::string>& suffixes);

// True when args ask for help ("--help" or "-h" anywhere).
bool wantsHelp(const std::vector<std::string>& args);

// Splits "--json" and other flags from the positional arguments of a verb.
// Flags that take a value are named in `valued` ("-o", "--machine"); an
// unknown flag or a missing value is an error message in `error`.
struct VerbArguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--json" -> "" for plain flags
    std::string error;
    bool has(const std::string& flag) const { return options.count(flag) != 0; }
    std::string value(const std::string& flag, const std::string& fallback = {}) const;
};
VerbArguments parseVerbArguments(const std::vector<std::string>& args,
                                 const std::vector<std::string>& flags,
                                 const std::vector<std::string>& valued);

// What the executable does with its arguments before any window exists.
enum class EntryKind {
    Window,       // no arguments, one program, "emode", or the transfer form
    Help,         // --help / -h
    Version,      // --version
    Verb,         // a registered verb
    BadUsage,     // an unknown option, verb or mode word
    Manual,       // --help-man: the verbs' part of the manual page
};
struct Entry {
    EntryKind kind = EntryKind::Window;
    const Verb* verb = nullptr;
    std::string problem;  // for BadUsage
};
// `pathExists` tells whether argument 1 names something on disk (a program
// path is never taken for an unknown verb).
Entry classifyArguments(const std::vector<std::string>& args, const VerbRegistry& verbs,
                        const std::function<bool(const std::string&)>& pathExists);

// JSON string literal of s (UTF-8 passed through, control characters escaped).
std::string jsonQuote(const std::string& s);

}  // namespace tramond
