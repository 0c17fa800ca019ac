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

std::string hex4(std::uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", v);
    return text;
}

// The verb's object, the same keys whatever the end.
std::string uploadJson(const UploadResult& r, int exitStatus, const std::string& problem) {
    const bool answered = r.answered();
    return std::string("{\"uploaded\": ") + (r.outcome == UploadOutcome::Done ? "true" : "false") +
           ", \"exit\": " + std::to_string(exitStatus) +
           ", \"status\": " + jsonQuote(problem.empty() ? r.status : problem) +
           ", \"rows\": " + std::to_string(r.rowsSent) +
           ", \"checksum\": " + (answered ? jsonQuote(hex4(r.checksum)) : "null") +
           ", \"expectedChecksum\": " + (answered ? jsonQuote(hex4(r.expectedChecksum)) : "null") +
           ", \"checksumMatches\": " + (answered ? (r.checksum == r.expectedChecksum ? "true" : "false") : "null") +
           "}\n";
}

int runUploadOs(VerbContext& ctx) {
    const VerbArguments a = parseVerbArguments(ctx.args, {"--json"}, {});
    if (!a.error.empty() || a.positional.size() != 2) {
        ctx.err << "tramond upload-os: " << (a.error.empty() ? "name the FILE and the PORT" : a.error)
                << " (see \"tramond upload-os --help\")\n";
        return kVerbUsage;
    }
    const bool json = ctx.json();
    const std::string& file = a.positional[0];
    const std::string& portName = a.positional[1];
    UploadResult nothing;
    nothing.status.clear();
    // The whole file is checked before the port is touched.
    HexImage image;
    if (const auto problem = loadHexFile(file, image)) {
        const auto text = file + ": " + problem->describe();
        ctx.err << "tramond upload-os: " << text << "\n";
        if (json) ctx.out << uploadJson(nothing, kVerbUsage, text);
        return kVerbUsage;
    }
    platform::UploadPortByName port;
    if (!port.open(portName)) {
        // A network port says which connection failed and how.
        const std::string problem = port.problem();
        ctx.err << "tramond upload-os: " << portName << ": Check COMM Port!!\n";
        if (!problem.empty()) ctx.err << "tramond upload-os: " << problem << "\n";
        const std::string message = problem.empty() ? "Check COMM Port!!" : "Check COMM Port!!\n" + problem;
        if (json) ctx.out << uploadJson(nothing, kVerbFailed, message);
        return kVerbFailed;
    }
    ctx.err << "File Loaded\n";

    gCancelUpload.store(false);
    auto previous = std::signal(SIGINT, onInterrupt);
    UploadProgressLines lines(::isatty(STDERR_FILENO) != 0);
    UploadHooks hooks;
    hooks.cancel = &gCancelUpload;
    hooks.onStatus = [&](const std::string& text) {
        // The checksum is the result, written below.
        if (!text.starts_with(upload_text::kChecksum)) ctx.err << lines.status(text) << std::flush;
    };
    hooks.onProgress = [&](int done, int total) { ctx.err << lines.progress(done, total) << std::flush; };
    const UploadResult result = uploadOnPort(port, &image, std::move(hooks));
    // A network port says which connection failed and how.
    const std::string portProblem = port.problem();
    port.close();
    std::signal(SIGINT, previous);
    ctx.err << lines.finish();

    const bool done = result.outcome == UploadOutcome::Done;
    const int status = done ? kVerbOk : kVerbFailed;
    const auto comparison = checksumComparison(result);
    if (result.answered() && !done) ctx.err << "tramond upload-os: " << result.status << ": " << comparison << "\n";
    if (!done && !portProblem.empty()) ctx.err << "tramond upload-os: " << portProblem << "\n";
    if (json) {
        ctx.out << uploadJson(result, status, {});
    } else if (result.answered()) {
        ctx.out << result.status << "\n";
        if (done) ctx.err << comparison << "\n";
    }
    return status;
}

}  // namespace

void registerHandheldVerbs(VerbRegistry& verbs) {
    Verb verb{"upload-os", "upload-os FILE PORT [--json]",
              "Uploads a handheld's operating system (Intel HEX, .a30) through its loader.",
              "FILE is the operating-system image in Intel HEX text. It is checked whole before the port is\n"
              "touched: a bad line, records after the end record or a missing end record (a file cut short),\n"
              "an empty or binary file, a folder, FIFO or device are refused with the line or the reason.\n"
              "PORT is the serial port of the handheld or its cradle (\"COM1\" or a device path), or\n"
              "rfc2217://HOST:PORT for one behind ser2net or a serial-to-network converter.\n"
              "\n"
              "The status texts and the progress go to standard error: on a terminal one line rewritten in\n"
              "place, otherwise a line at every tenth. The handheld's final answer, \"Checksum:\" and four\n"
              "hexadecimal digits, goes to standard output; it is the sum of what the handheld stored, and\n"
              "the upload counts only when it equals the sum of the image sent. Ctrl+C cancels.",
              VerbNeeds::Nothing, runUploadOs};
    verb.exitStatus = "0 the handheld stored the image (its checksum matches), 1 the upload failed or the "
                      "checksums differ, 2 bad arguments or a refused file.";
    verb.jsonKeys = "uploaded, exit, status, rows, checksum (the handheld's, or null), expectedChecksum (the "
                    "image's), checksumMatches";
    verbs.add(std::move(verb));
}

}  // namespace tramond
