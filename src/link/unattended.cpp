#include "link/unattended.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/verbs.h"
#include "link/register_ops.h"
#include "link/update_preview.h"
#include "program/file_io.h"
#include "program/program_ops.h"

namespace tramond {
namespace {

// Message boxes break lines with CR LF; a terminal wants plain line ends.
std::string forTerminal(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

std::string kindWord(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error: return "error";
        case MessageKind::Warning: return "warning";
        case MessageKind::Information: return "information";
    }
    return "";
}

std::string trimmed(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

}  // namespace

bool standardInputIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(fileno(stdin)) != 0;
#endif
}

// ---- ConsoleHost -------------------------------------------------------------

void ConsoleHost::message(MessageKind kind, const std::string& title, const std::string& text) {
    ++messages_;
    seen_.push_back(kindWord(kind) + ": " + forTerminal(text));
    err_ << "tramond: " << kindWord(kind) << ": " << forTerminal(text) << std::endl;
}

bool ConsoleHost::ask(const Question& q) {
    const bool yesNo = q.answers == Answers::YesNo;
    const std::string choices = yesNo ? "[y/N]" : "[o(k)/C(ancel)]";
    err_ << "tramond: " << forTerminal(q.text) << ' ';
    if (assumeYes_) {
        err_ << (yesNo ? "yes" : "ok") << " (--yes)" << std::endl;
        return true;
    }
    if (!terminal_ || !in_) {
        // A scheduled job has nobody to ask; going ahead unasked could
        // clear a register nobody meant to clear.
        err_ << "no answer (no terminal; give --yes to answer yes)" << std::endl;
        return false;
    }
    err_ << choices << ' ' << std::flush;
    std::string line;
    if (!std::getline(*in_, line)) {
        err_ << std::endl;
        return false;
    }
    line = trimmed(line);
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (yesNo) return line == "y" || line == "yes";
    return line == "o" || line == "ok" || line == "y" || line == "yes";
}

std::optional<std::filesystem::path> ConsoleHost::chooseLoadTarget(const std::string&) {
    if (loadTarget.empty()) return std::nullopt;
    return loadTarget;
}

void ConsoleHost::progressChanged(const ProgressState& s) {
    if (s.headline != lastHeadline_) {
        lastHeadline_ = s.headline;
        if (!s.headline.empty()) err_ << "tramond: " << s.headline << std::endl;
    }
    if (s.caption != lastCaption_ || s.fileName != lastFile_) {
        lastCaption_ = s.caption;
        lastFile_ = s.fileName;
        err_ << "tramond: " << s.caption;
        if (!s.fileName.empty()) {
            err_ << ' ' << std::filesystem::path(s.fileName).filename().string();
            if (!s.numberOfRecords.empty()) err_ << " (" << s.numberOfRecords << ")";
        }
        err_ << std::endl;
    }
    if (s.note != lastNote_) {
        lastNote_ = s.note;
        if (!s.note.empty()) err_ << "tramond: " << s.note << std::endl;
    }
}

// ---- the runner ----------------------------------------------------------------

bool isUnattendedMode(const CommandLine& cl) { return cl.unattended(); }

std::string historyJson(const std::optional<history::RecordOutcome>& outcome) {
    if (!outcome) return "null";
    if (!outcome->warning.empty()) return "{\"version\":null,\"warning\":" + jsonQuote(outcome->warning) + "}";
    return "{\"version\":" + std::to_string(outcome->version) + ",\"recorded\":" +
           (outcome->recorded ? "true" : "false") + "}";
}

namespace {

int runMode(const CommandLine& cl, ProgramSession& session, UnattendedEnvironment& env, ConsoleHost& host,
            std::string& moreJson);

// The result a script reads with "--json": stable keys, one object, one line.
void writeJsonResult(std::ostream& out, const CommandLine& cl, int status, const ConsoleHost& host,
                     const LinkSettings& link, const std::string& moreJson) {
    out << "{\"program\":" << jsonQuote(cl.programPath) << ",\"mode\":" << jsonQuote(cl.modeWord)
        << ",\"register\":" << cl.registerNumber << ",\"port\":" << jsonQuote(link.port)
        << ",\"baud\":" << link.baudRate << ",\"ok\":" << (status == kExitSucceeded ? "true" : "false")
        << ",\"exit\":" << status << ",\"messages\":[";
    const auto& seen = host.messagesSeen();
    for (std::size_t i = 0; i < seen.size(); ++i) out << (i ? "," : "") << jsonQuote(seen[i]);
    out << "]" << moreJson << ",\"history\":" << historyJson(host.history) << "}" << std::endl;
}

}  // namespace

int runUnattended(const CommandLine& cl, ProgramSession& session, UnattendedEnvironment& env) {
    std::ostream& err = env.err ? *env.err : std::cerr;
    ConsoleHost host(err, env.in, env.terminal, cl.assumeYes);
    std::string moreJson;
    const int status = runMode(cl, session, env, host, moreJson);
    if (cl.json) {
        LinkSettings link = env.link;
        if (auto port = cl.portName()) link.port = *port;
        if (cl.baudRate > 0) link.baudRate = cl.baudRate;
        writeJsonResult(env.out ? *env.out : std::cout, cl, status, host, link, moreJson);
    }
    return status;
}

namespace {

// "update --dry-run": the list Update would send, on standard output (or in
// the JSON result), and nothing on the port.
int dryRun(const ProgramSession& session, UnattendedEnvironment& env, ConsoleHost& host, bool json,
           std::string& moreJson) {
    const auto preview = previewUpdate(session);
    if (json) {
        moreJson = ",\"dryRun\":true,\"send\":" + previewJsonItems(preview);
    } else {
        std::ostream& out = env.out ? *env.out : std::cout;
        for (const auto& item : preview.items) out << describe(item) << '\n';
        out.flush();
    }
    if (!preview.refusal.empty()) {
        host.message(preview.updateFileExists ? MessageKind::Error : MessageKind::Warning,
                     preview.updateFileExists ? "Error" : "Warning", preview.refusal);
        return kExitFailed;
    }
    std::ostream& err = env.err ? *env.err : std::cerr;
    err << "tramond: dry run: " << preview.items.size() << (preview.items.size() == 1 ? " item" : " items")
        << " would be sent; nothing was sent" << std::endl;
    return kExitSucceeded;
}

int runMode(const CommandLine& cl, ProgramSession& session, UnattendedEnvironment& env, ConsoleHost& host,
            std::string& moreJson) {
    std::ostream& err = env.err ? *env.err : std::cerr;
    if (const auto problem = commandLineProblem(cl); !problem.empty()) {
        host.message(MessageKind::Error, "Error", problem);
        return kExitUsage;
    }
    if (!cl.unattended()) {
        err << "tramond: unknown mode \"" << cl.modeWord << "\"" << std::endl;
        return kExitUsage;
    }
    if (cl.programPath.empty()) {
        err << "tramond: no program file given" << std::endl;
        return kExitUsage;
    }

    const bool reading = cl.mode == CommandMode::Read;
    if (cl.dryRun) {
        // A look changes nothing: the application file is read, not loaded
        // (loading rewrites it and creates a missing update list).
        const std::filesystem::path path = cl.programPath;
        std::error_code ec;
        const bool file = std::filesystem::is_regular_file(path, ec);
        std::vector<std::uint8_t> bytes;
        try {
            if (file) bytes = readFile(path);
        } catch (const FileError&) {
        }
        if (!file || bytes.size() != ApplicationBlock::kSize) {
            host.message(MessageKind::Error, "Error",
                         loadOutcomeMessage(file && !bytes.empty() ? LoadOutcome::WrongApplication
                                                                   : LoadOutcome::FileError) +
                             std::string(" (") + cl.programPath + ")");
            return kExitUsage;
        }
        std::copy(bytes.begin(), bytes.end(), session.app.bytes().begin());
        session.programPath = path;
        return dryRun(session, env, host, cl.json, moreJson);
    }
    if (!reading) {
        const auto loaded = loadProgram(session, cl.programPath);
        for (const auto& w : loaded.warnings) host.message(MessageKind::Warning, "Warning", w);
        if (!loaded.ok()) {
            host.message(MessageKind::Error, "Error", loadOutcomeMessage(loaded.outcome));
            return kExitUsage;
        }
        // Nobody is there to notice that built-in texts replaced the
        // program's own; the warning above named the file.
        if (loaded.textsUnreadable) return kExitUsage;
    } else {
        // Without a save dialog the program path names the file to write.
        host.loadTarget = cl.programPath;
    }
    session.unattended = true;

    RegisterOpsConfig config;
    config.link = env.link;
    if (auto port = cl.portName()) config.link.port = *port;
    if (cl.baudRate > 0) config.link.baudRate = cl.baudRate;
    config.timeoutMs = env.timeoutMs;
    config.identificationRetryDelay = env.identificationRetryDelay;
    config.recordHistory = true;

    std::unique_ptr<SerialPort> port = env.makePort ? env.makePort(config.link.port) : nullptr;
    if (!port) {
        host.message(MessageKind::Error, "Error", "Check COMM Port!!");
        return kExitFailed;
    }
    // The command line's register number is the last register; the target
    // itself stays the directly attached register.
    host.preset = {true, 0, static_cast<std::uint8_t>(std::clamp(cl.registerNumber, 0, 255))};

    RegisterOperations ops(session, *port, host, config);
    ops.presetTarget(host.preset);
    bool ok = false;
    switch (cl.mode) {
        case CommandMode::Update: ok = ops.updateRegister(); break;
        case CommandMode::Install: ok = ops.installRegister(); break;
        case CommandMode::ClearInstall: ok = ops.clearAndInstallRegister(); break;
        case CommandMode::Read: ok = ops.loadFromRegister(); break;
        default: break;
    }
    host.history = ops.historyOutcome();
    if (ok) {
        err << "tramond: done" << std::endl;
        return kExitSucceeded;
    }
    // Every failure path shows its own message; one that stopped quietly
    // (a question answered no) still must not look like success.
    if (host.messagesShown() == 0) err << "tramond: not done" << std::endl;
    return kExitFailed;
}

}  // namespace

}  // namespace tramond
