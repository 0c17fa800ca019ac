#include "app/verbs.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace tramond {

void VerbRegistry::add(Verb verb) {
    const std::string name = verb.name;
    verbs_[name] = std::move(verb);
}

const Verb* VerbRegistry::find(const std::string& name) const {
    const auto it = verbs_.find(name);
    return it == verbs_.end() ? nullptr : &it->second;
}

std::string usageText(const VerbRegistry& verbs) {
    std::ostringstream s;
    s << "Usage:\n"
         "  tramond [PROGRAM.app]                      start the window (and open a program)\n"
         "  tramond PROGRAM.app emode                  open a program for editing only\n"
         "  tramond [--yes] PROGRAM.app MODE REGISTER PORT BAUD\n"
         "                                             transfer without a window; MODE is\n"
         "                                             update, instal, clinst or read\n"
         "  tramond VERB [ARGUMENTS] [--json]          a dealer's tool, below\n"
         "  tramond --help | --version\n";
    if (!verbs.all().empty()) {
        s << "\nVerbs:\n";
        for (const auto& [name, verb] : verbs.all()) {
            std::string left = "  " + verb.synopsis;
            if (left.size() < 45) left.resize(45, ' ');
            else left += "\n" + std::string(45, ' ');
            s << left << verb.summary << "\n";
        }
        s << "\n\"tramond VERB --help\" tells more of one verb.\n";
    }
    s << "Exit status: 0 success, 1 failure or difference, 2 bad arguments or input.\n";
    return s.str();
}

std::string verbHelpText(const Verb& verb) {
    std::string text = "Usage: tramond " + verb.synopsis + "\n" + verb.summary + "\n";
    if (!verb.help.empty()) text += "\n" + verb.help + (verb.help.back() == '\n' ? "" : "\n");
    return text;
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
    if (const Verb* verb = verbs.find(first)) {
        entry.kind = EntryKind::Verb;
        entry.verb = verb;
        return entry;
    }
    // The positional form: "--yes", "--", then a program path.
    if (first == "--yes" || first == "--") return entry;
    if (first.size() > 1 && first[0] == '-') {
        entry.kind = EntryKind::BadUsage;
        entry.problem = "unknown option " + first;
        return entry;
    }
    // A bare word that is neither a file nor looks like a path is a verb
    // this build does not know, not a program to open.
    const bool looksLikePath = first.find_first_of("./\\") != std::string::npos;
    if (!looksLikePath && !pathExists(first)) {
        entry.kind = EntryKind::BadUsage;
        entry.problem = "unknown verb " + first;
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
