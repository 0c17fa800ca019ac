#include "handheld/ui/handheld_verbs.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ostream>

#include "handheld/os_upload.h"
#include "platform/upload_port_by_name.h"

namespace tramond {
namespace {

std::atomic<bool> gCancelUpload{false};
void onInterrupt(int) { gCancelUpload.store(true); }

int runUploadOs(VerbContext& ctx) {
    const VerbArguments a = parseVerbArguments(ctx.args, {"--json"}, {});
    if (!a.error.empty() || a.positional.size() != 2) {
        ctx.err << "upload-os: " << (a.error.empty() ? "needs FILE and PORT" : a.error) << "\n";
        return kVerbUsage;
    }
    const std::string& file = a.positional[0];
    const std::string& portName = a.positional[1];
    // The whole file is checked before the port is touched.
    HexImage image;
    if (const auto problem = loadHexFile(file, image)) {
        ctx.err << "upload-os: " << file << ": " << problem->describe() << "\n";
        return kVerbUsage;
    }
    platform::UploadPortByName port;
    if (!port.open(portName)) {
        ctx.err << "Check COMM Port!!\n";
        if (const auto problem = port.problem(); !problem.empty()) ctx.err << problem << "\n";
        return kVerbFailed;
    }
    ctx.err << "File Loaded\n";

    gCancelUpload.store(false);
    auto previous = std::signal(SIGINT, onInterrupt);
    const bool terminal = ::isatty(STDERR_FILENO);
    UploadHooks hooks;
    hooks.cancel = &gCancelUpload;
    hooks.onStatus = [&](const std::string& text) {
        // The row addresses overwrite each other on a terminal.
        if (terminal && text.starts_with(upload_text::kWriteAddress)) {
            ctx.err << "\r" << text << std::flush;
            return;
        }
        if (terminal) ctx.err << "\r\033[K";
        if (!text.starts_with(upload_text::kChecksum)) ctx.err << text << "\n";
    };
    const UploadResult result = uploadOnPort(port, &image, std::move(hooks));
    // A network port says which connection failed and how.
    const std::string portProblem = port.problem();
    port.close();
    std::signal(SIGINT, previous);

    const bool done = result.outcome == UploadOutcome::Done;
    if (!done && !portProblem.empty()) ctx.err << portProblem << "\n";
    if (a.has("--json")) {
        char checksum[8];
        std::snprintf(checksum, sizeof checksum, "%04X", result.checksum);
        ctx.out << "{\"uploaded\": " << (done ? "true" : "false") << ", \"status\": " << jsonQuote(result.status)
                << ", \"rows\": " << result.rowsSent << ", \"checksum\": " << (done ? jsonQuote(checksum) : "null")
                << "}\n";
    } else if (done) {
        ctx.out << result.status << "\n";
    }
    return done ? kVerbOk : kVerbFailed;
}

}  // namespace

void registerHandheldVerbs(VerbRegistry& verbs) {
    verbs.add({"upload-os",
               "upload-os FILE PORT [--json]",
               "upload a handheld's operating system (Intel HEX, .a30) through its loader",
               "FILE is the operating-system image in Intel HEX text; it is checked whole\n"
               "before anything is sent, and a bad line is named (exit 2). PORT is the\n"
               "serial port of the handheld or its cradle (\"COM1\" or a device path), or\n"
               "rfc2217://HOST:PORT for one behind ser2net or a serial-to-network converter.\n"
               "The status texts go to stderr; when the handheld gives its final answer,\n"
               "\"Checksum:\" and its four hexadecimal digits go to stdout (exit 0).\n"
               "Any other end of the upload exits 1; Ctrl+C cancels it. With --json, stdout\n"
               "holds {\"uploaded\", \"status\", \"rows\", \"checksum\"} whatever the end.",
               VerbNeeds::Nothing,
               runUploadOs});
}

}  // namespace tramond
