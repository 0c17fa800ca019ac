#pragma once
// The transfer modes of the command line ("update", "instal", "clinst",
// "read") run without any window: for scripts and scheduled jobs on a
// machine that may have no display. Messages and progress go to the error
// stream; the questions these modes ask are put on the terminal when there
// is one, and "--yes" answers them. The exit status tells the script what
// happened: 0 only when the operation succeeded.

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "history/program_history.h"
#include "link/link_settings.h"
#include "link/register_ops_host.h"
#include "link/serial_port.h"
#include "program/session.h"

namespace tramond {

enum UnattendedExit : int {
    kExitSucceeded = 0,
    kExitFailed = 1,    // the operation failed, was refused or not confirmed
    kExitUsage = 2,     // the command line or the program cannot be used
};

struct UnattendedEnvironment {
    std::ostream* err = nullptr;
    // Where "--json" writes its result object (standard output when null).
    std::ostream* out = nullptr;
    std::istream* in = nullptr;
    // Someone can answer on `in` (standard input is a terminal).
    bool terminal = false;
    // The stored link settings; the command line's port and baud replace them.
    LinkSettings link;
    // The port for the chosen name (the serial adapter, or the built-in
    // simulated register). Nothing when no such port can exist.
    std::function<std::unique_ptr<SerialPort>(const std::string& portName)> makePort;
    // Test seams: the port time-out (0: 2000 ms, the unattended rule) and
    // the pause before the identification is asked for again.
    int timeoutMs = 0;
    std::chrono::milliseconds identificationRetryDelay{3000};
};

// True for the four modes this runner serves.
bool isUnattendedMode(const CommandLine& commandLine);

// Runs the mode on the session (which it marks unattended) and returns the
// process exit status.
int runUnattended(const CommandLine& commandLine, ProgramSession& session, UnattendedEnvironment& env);

// The "history" value of a JSON result: null when nothing was recorded,
// {"version":N,"recorded":true} or {"version":null,"warning":"..."}.
std::string historyJson(const std::optional<history::RecordOutcome>& outcome);

// Standard input is an interactive terminal.
bool standardInputIsTerminal();

// The host the runner uses: messages and progress on the error stream,
// questions on the terminal or answered by --yes. Exposed for tests.
class ConsoleHost : public RegisterOpsHost {
public:
    ConsoleHost(std::ostream& err, std::istream* in, bool terminal, bool assumeYes)
        : err_(err), in_(in), terminal_(terminal), assumeYes_(assumeYes) {}

    // The file that "read" writes; the save dialog has no place here.
    std::filesystem::path loadTarget;
    TargetChoice preset;

    void message(MessageKind kind, const std::string& title, const std::string& text) override;
    bool ask(const Question& question) override;
    TargetChoice chooseTarget(bool allowNetwork) override { return preset; }
    std::optional<std::filesystem::path> chooseLoadTarget(const std::string& title) override;
    void progressChanged(const ProgressState& state) override;

    // The version the operation left in the program's history.
    std::optional<history::RecordOutcome> history;

    int messagesShown() const { return messages_; }
    // Every message shown, "kind: text", for the "--json" result.
    const std::vector<std::string>& messagesSeen() const { return seen_; }

private:
    std::ostream& err_;
    std::istream* in_;
    bool terminal_;
    bool assumeYes_;
    int messages_ = 0;
    std::vector<std::string> seen_;
    std::string lastCaption_;
    std::string lastFile_;
    std::string lastNote_;
    std::string lastHeadline_;
};

}  // namespace tramond
