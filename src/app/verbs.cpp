#include "app/verbs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <ios>
#include <ostream>
#include <sstream>
#include <streambuf>

#include "app/command_line.h"

namespace tramond {

namespace {

// Writes through to the error stream and keeps each line for the JSON
// object's "messages".
class LineTee : public std::streambuf {
public:
    explicit LineTee(std::ostream& target) : target_(target) {}
    std::vector<std::string> lines() const {
        auto all = lines_;
        if (!partial_.empty()) all.push_back(partial_);
        return all;
    }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        target_.put(static_cast<char>(c));
        take(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        target_.write(s, n);
        for (std::streamsize i = 0; i < n; ++i) take(s[i]);
        return n;
    }
    int sync() override {
        target_.flush();
        return 0;
    }

private:
    // A terminal's progress line rewrites itself with CR; the last state counts.
    void take(char c) {
        if (c == '\n') {
            if (lines_.size() < kMaxLines) lines_.push_back(partial_);
            else ++dropped_;
            partial_.clear();
        } else if (c == '\r') {
            partial_.clear();
        } else if (partial_.size() < 4096) {
            partial_ += c;
        }
    }
    static constexpr std::size_t kMaxLines = 200;
    std::ostream& target_;
    std::vector<std::string> lines_;
    std::string partial_;
    std::size_t dropped_ = 0;
};

std::string lowerCase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The "-o FILE" / "--output FILE" of the arguments, "" when none.
std::string outputArgument(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& a = args[i];
        if (a == "--") break;
        if ((a == "-o" || a == "--output") && i + 1 < args.size()) return args[i + 1];
        if (a.starts_with("-o=")) return a.substr(3);
        if (a.starts_with("--output=")) return a.substr(9);
    }
    return {};
}

std::string commonJson(int status, const std::vector<std::string>& messages, const std::string& output) {
    std::string json = "{\"ok\":" + std::string(status == kVerbOk ? "true" : "false") +
                       ",\"exit\":" + std::to_string(status) + ",\"messages\":[";
    for (std::size_t i = 0; i < messages.size(); ++i) json += (i ? "," : "") + jsonQuote(messages[i]);
    json += "]";
    if (!output.empty()) json += ",\"output\":" + jsonQuote(output);
    return json + "}\n";
}

bool hasJsonFlag(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--") return false;
        if (a == "--json") return true;
    }
    return false;
}

}  // namespace

bool VerbContext::json() const { return hasJsonFlag(args); }

void VerbRegistry::add(Verb verb) {
    const std::string name = verb.name;
    verbs_[name] = std::move(verb);
}

const Verb* VerbRegistry::find(const std::string& name) const {
    const auto it = verbs_.find(name);
    return it == verbs_.end() ? nullptr : &it->second;
}

namespace {
std::string wrapped(const std::string& text, std::size_t indent, std::size_t width = 78);
}  // namespace

std::string usageText(const VerbRegistry& verbs) {
    std::ostringstream s;
    s << "Usage:\n"
         "  tramond [PROGRAM.app]                      Starts the window (and opens a program).\n"
         "  tramond PROGRAM.app emode                  Opens a program with File and Setup locked.\n"
         "  tramond [--yes] [--json] PROGRAM.app MODE REGISTER PORT BAUD\n"
         "                                             Transfers without a window; MODE is\n"
         "                                             update, instal, clinst or read.\n"
         "  tramond [--json] PROGRAM.app update --dry-run\n"
         "                                             Lists what update would send; sends nothing.\n"
         "  tramond VERB [ARGUMENTS] [--json]          A dealer's tool, below.\n"
         "  tramond --help | --version\n";
    if (!verbs.all().empty()) {
        s << "\nVerbs:\n";
        for (const auto& [name, verb] : verbs.all()) s << "  " << verb.synopsis << "\n" << wrapped(verb.summary, 6);
        s << "\n\"tramond VERB --help\" tells more of one verb. With --json every verb and transfer\n"
             "writes one JSON object on standard output, whatever the outcome.\n";
    }
    s << "Exit status: 0 success, 1 failure or difference, 2 bad arguments or input,\n"
         "3 the window was asked for without a display.\n";
    return s.str();
}

namespace {

std::vector<VerbOption> allOptions(const Verb& verb) {
    auto options = verb.options;
    options.push_back({"--json", verb.jsonKeys.empty()
                                     ? "Writes one JSON object on standard output, whatever the outcome."
                                     : "Writes the result as one JSON object on standard output, whatever the "
                                       "outcome."});
    options.push_back({"--help", "Shows this text."});
    return options;
}

std::string jsonKeysText(const Verb& verb) {
    return verb.jsonKeys.empty() ? std::string(kCommonJsonKeys) : verb.jsonKeys;
}

std::string exitText(const Verb& verb) {
    return verb.exitStatus.empty() ? std::string(kCommonExitStatus) : verb.exitStatus;
}

// Text in lines of at most `width` characters, each after `indent`.
std::string wrapped(const std::string& text, std::size_t indent, std::size_t width) {
    std::string out, line;
    std::istringstream words(text);
    std::string word;
    const std::string pad(indent, ' ');
    while (words >> word) {
        if (!line.empty() && pad.size() + line.size() + 1 + word.size() > width) {
            out += pad + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) out += pad + line + "\n";
    return out;
}

// roff text: a leading dot or quote would be a request; backslashes escape.
std::string roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
        lineStart = c == '\n';
    }
    return out;
}

}  // namespace

std::string verbHelpText(const Verb& verb) {
    std::string text = "Usage: tramond " + verb.synopsis + "\n" + verb.summary + "\n";
    // The help is prose: its paragraphs (split by blank lines) are filled to
    // the terminal's width, whatever the line ends of the source.
    std::string paragraph;
    std::istringstream lines(verb.help);
    for (std::string line;;) {
        const bool more = static_cast<bool>(std::getline(lines, line));
        if (more && !line.empty()) {
            paragraph += line + " ";
            continue;
        }
        if (!paragraph.empty()) text += "\n" + wrapped(paragraph, 0);
        paragraph.clear();
        if (!more) break;
    }
    text += "\nOptions:\n";
    for (const auto& o : allOptions(verb)) {
        std::string left = "  " + o.flag;
        if (left.size() < 20) {
            left.resize(20, ' ');
            const auto body = wrapped(o.text, 20);
            text += left + body.substr(20);
        } else {
            text += left + "\n" + wrapped(o.text, 20);
        }
    }
    text += "\n" + wrapped("Exit status: " + exitText(verb), 0);
    text += wrapped("JSON keys: " + jsonKeysText(verb) + ".", 0);
    return text;
}

std::string verbManualSection(const VerbRegistry& verbs) {
    std::ostringstream s;
    for (const auto& [name, verb] : verbs.all()) {
        s << ".SS " << roff(name) << "\n.B tramond\n" << roff(verb.synopsis) << "\n.PP\n" << roff(verb.summary)
          << "\n.PP\n";
        // Blank lines of the help are paragraphs.
        std::istringstream lines(verb.help);
        for (std::string line; std::getline(lines, line);) s << (line.empty() ? ".PP" : roff(line)) << "\n";
        for (const auto& o : allOptions(verb)) s << ".TP\n.B " << roff(o.flag) << "\n" << roff(o.text) << "\n";
        s << ".TP\nExit status\n" << roff(exitText(verb)) << "\n";
        s << ".TP\nJSON keys\n" << roff(jsonKeysText(verb)) << ".\n";
    }
    return s.str();
}

std::string outputSuffixProblem(const std::string& file, const std::vector<std::string>& suffixes) {
    if (suffixes.empty() || file.empty() || file == "-") return {};
    const auto suffix = lowerCase(std::filesystem::path(file).extension().string());
    for (const auto& allowed : suffixes)
        if (suffix == lowerCase(allowed)) return {};
    std::string list;
    for (std::size_t i = 0; i < suffixes.size(); ++i)
        list += (i == 0 ? "" : i + 1 == suffixes.size() ? " or " : ", ") + suffixes[i];
    return file + ": the file name must end in " + list + ", as what is written is that";
}

int runVerbCommand(const Verb& verb, std::vector<std::string> args, std::ostream& out, std::ostream& err,
                   const std::function<int(const std::function<int()>&)>& withApplication) {
    if (wantsHelp(args)) {
        out << verbHelpText(verb);
        return kVerbOk;
    }
    const bool json = hasJsonFlag(args);
    const bool ownJson = !verb.jsonKeys.empty();
    // A verb without its own object never sees the flag.
    if (json && !ownJson) args.erase(std::find(args.begin(), args.end(), "--json"));

    LineTee tee(err);
    std::ostream errTee(&tee);
    std::ostringstream captured;
    std::ostream& verbOut = json ? static_cast<std::ostream&>(captured) : out;
    std::ostream& verbErr = json ? errTee : err;

    int status = kVerbUsage;
    if (const auto problem = outputSuffixProblem(outputArgument(args), verb.outputSuffixes); !problem.empty()) {
        verbErr << "tramond " << verb.name << ": " << problem << "\n";
    } else {
        VerbContext context{args, verbOut, verbErr};
        const auto body = [&]() -> int {
            try {
                return verb.run(context);
            } catch (const std::filesystem::filesystem_error& e) {
                // A path that cannot be used (a folder, a missing file): input.
                verbErr << "tramond " << verb.name << ": " << e.what() << "\n";
                return kVerbUsage;
            } catch (const std::ios_base::failure& e) {
                verbErr << "tramond " << verb.name << ": " << e.what() << "\n";
                return kVerbUsage;
            } catch (const std::exception& e) {
                verbErr << "tramond " << verb.name << ": " << e.what() << "\n";
                return kVerbFailed;
            }
        };
        status = withApplication ? withApplication(body) : body();
    }
    verbErr.flush();
    if (json) {
        const std::string text = captured.str();
        if (ownJson && !text.empty()) out << text;
        else out << commonJson(status, tee.lines(), text);
        out.flush();
    }
    return status;
}

bool wantsHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h"; });
}

std::string VerbArguments::value(const std::string& flag, const std::string& fallback) const {
    const auto it = options.find(flag);
    return it == options.end() ? fallback : it->second;
}

VerbArguments parseVerbArguments(const std::vector<std::string>& args,
                                 const std::vector<std::string>& flags,
                                 const std::vector<std::string>& valued) {
    VerbArguments result;
    const auto known = [](const std::vector<std::string>& list, const std::string& a) {
        return std::find(list.begin(), list.end(), a) != list.end();
    };
    bool onlyPositional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyPositional || a.size() < 2 || a[0] != '-') {
            result.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyPositional = true;
            continue;
        }
        // "--name=value" for flags that take a value.
        const auto eq = a.find('=');
        if (eq != std::string::npos && known(valued, a.substr(0, eq))) {
            result.options[a.substr(0, eq)] = a.substr(eq + 1);
            continue;
        }
        if (known(valued, a)) {
            if (i + 1 >= args.size()) {
                result.error = "option " + a + " needs a value";
                return result;
            }
            result.options[a] = args[++i];
            continue;
        }
        if (known(flags, a)) {
            result.options[a] = "";
            continue;
        }
        result.error = "unknown option " + a;
        return result;
    }
    return result;
}

Entry classifyArguments(const std::vector<std::string>& args, const VerbRegistry& verbs,
                        const std::function<bool(const std::string&)>& pathExists) {
    Entry entry;
    if (args.empty()) return entry;
    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        entry.kind = EntryKind::Help;
        return entry;
    }
    if (first == "--version") {
        entry.kind = EntryKind::Version;
        return entry;
    }
    if (first == "--help-man") {
        entry.kind = EntryKind::Manual;
        return entry;
    }
    if (const Verb* verb = verbs.find(first)) {
        entry.kind = EntryKind::Verb;
        entry.verb = verb;
        return entry;
    }
    // The positional form: its options, "--", then a program path.
    const bool knownOption = first == "--yes" || first == "--json" || first == "--dry-run" || first == "--";
    if (first.size() > 1 && first[0] == '-' && !knownOption) {
        entry.kind = EntryKind::BadUsage;
        entry.problem = "unknown option " + first;
        return entry;
    }
    // A bare word that is neither a file nor looks like a path is a verb
    // this build does not know, not a program to open.
    const bool looksLikePath = first.find_first_of("./\\") != std::string::npos;
    if (first[0] != '-' && !looksLikePath && !pathExists(first)) {
        entry.kind = EntryKind::BadUsage;
        entry.problem = "unknown verb " + first;
        return entry;
    }
    if (const auto problem = commandLineProblem(parseCommandLine(args)); !problem.empty()) {
        entry.kind = EntryKind::BadUsage;
        entry.problem = problem;
    }
    return entry;
}

std::string jsonQuote(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

}  // namespace tramond
