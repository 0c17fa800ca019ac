#include "handheld/os_upload.h"

#include <chrono>
#include <thread>
#include <vector>

namespace tramond {

namespace {
std::string hex4(unsigned v) {
    static const char* d = "0123456789ABCDEF";
    return {d[(v >> 12) & 15], d[(v >> 8) & 15], d[(v >> 4) & 15], d[v & 15]};
}
}  // namespace

std::array<std::uint8_t, 9> setupRecord(int s) {
    const auto high = static_cast<std::uint8_t>(16 * s);
    const auto check = static_cast<std::uint8_t>((256 - (4 + 16 * s)) % 256);
    return {0x02, 0x00, 0x00, 0x02, high, 0x00, check, 0x00, 0x3A};
}

std::uint8_t rowChecksum(std::uint16_t address, std::span<const std::uint8_t, 16> data) {
    unsigned sum = 0x10 + (address >> 8) + (address & 0xFF) + 0x00;
    for (auto b : data) sum += b;
    return static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF);
}

std::string checksumText(std::uint8_t first, std::uint8_t second) {
    return std::string(upload_text::kChecksum) + hex4(first * 256u + second);
}

std::string checksumComparison(const UploadResult& r) {
    if (!r.answered()) return {};
    if (r.checksum == r.expectedChecksum) return "The image sent sums to " + hex4(r.expectedChecksum) + " too: complete.";
    return "Error: the image sent sums to " + hex4(r.expectedChecksum) + ". Upload again.";
}

std::string UploadProgressLines::status(const std::string& text) {
    if (text.starts_with(upload_text::kWriteAddress)) {
        address_ = text;
        return {};
    }
    std::string out = finish();
    return out + text + "\n";
}

std::string UploadProgressLines::progress(int done, int total) {
    if (total <= 0) return {};
    const int percent = static_cast<int>(100LL * done / total);
    const std::string text = address_ + (address_.empty() ? "" : "  ") + std::to_string(percent) + " % (" +
                             std::to_string(done) + " of " + std::to_string(total) + " rows)";
    if (terminal_) {
        lineOpen_ = true;
        return "\r\033[K" + text;
    }
    const int tenth = percent / 10;
    if (tenth == lastTenth_) return {};
    lastTenth_ = tenth;
    return text + "\n";
}

std::string UploadProgressLines::finish() {
    if (!lineOpen_) return {};
    lineOpen_ = false;
    return "\n";
}

void OsUploader::status(UploadResult& r, std::string text) {
    r.status = std::move(text);
    if (hooks_.onStatus) hooks_.onStatus(r.status);
}

UploadResult OsUploader::finish(UploadResult r, UploadOutcome outcome, const char* text) {
    // A failed or cancelled link says so rather than the step that noticed it.
    if (outcome != UploadOutcome::Done && cancelled()) {
        outcome = UploadOutcome::Cancelled;
        text = upload_text::kCancelled;
    } else if (outcome != UploadOutcome::Done && link_.failed()) {
        outcome = UploadOutcome::LinkFailed;
        text = upload_text::kLinkFailed;
    }
    r.outcome = outcome;
    status(r, text);
    return r;
}

bool OsUploader::send(std::span<const std::uint8_t> bytes) {
    // The ring drains unless the port stalls, which the link reports.
    while (!bytes.empty()) {
        bytes = bytes.subspan(link_.putTxBytes(bytes));
        if (!bytes.empty() && (cancelled() || link_.failed())) return false;
    }
    return true;
}

bool OsUploader::pause(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (cancelled()) return false;
        std::this_thread::sleep_until(std::min(until, std::chrono::steady_clock::now() + std::chrono::milliseconds(50)));
    }
    return !cancelled();
}

bool OsUploader::discardUntilQuiet() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto lastByte = start;
    while (Clock::now() - start < std::chrono::milliseconds(t_.discardMs)) {
        if (cancelled() || link_.failed()) return false;
        if (link_.getRxByte() >= 0 || link_.holdingBack()) {
            lastByte = Clock::now();
            continue;
        }
        if (Clock::now() - lastByte >= std::chrono::milliseconds(t_.quietMs)) return true;
    }
    // Still talking: the clearing's own patience decides.
    return true;
}

int OsUploader::awaitByte(int& pollsLeft) {
    while (pollsLeft > 0) {
        --pollsLeft;
        if (cancelled() || link_.failed()) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(t_.pollMs));
        const int b = link_.getRxByte();
        if (b >= 0) return b;
    }
    return -1;
}

UploadResult OsUploader::upload(const HexImage* image) {
    using namespace upload_text;
    UploadResult r;
    if (!image) return finish(r, UploadOutcome::NoFile, kNoFile);

    if (!link_.setBaud(9600)) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
    if (image->rowUsed(0)) {
        if (!send(0x5A) || !send(0x07)) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
        status(r, kSettingUpSpeed);
        if (!pause(t_.speedSetupMs)) return finish(r, UploadOutcome::Cancelled, kCancelled);
        if (!discardUntilQuiet()) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);

        if (!link_.setBaud(38400)) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
        if (!send(0x30)) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
        status(r, kClearing);
        // Anything but the clear answer is noise from the wake-up: keep
        // polling, within one budget of polls.
        int pollsLeft = t_.polls;
        for (;;) {
            const int b = awaitByte(pollsLeft);
            if (b == 0xC1) break;
            if (b < 0) return finish(r, UploadOutcome::NotCleared, kNotCleared);
        }

        if (!send(0x3A) || !pause(t_.startMs)) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
        for (int s = 1; s <= 4; ++s)
            if (!send(setupRecord(s))) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);

        // A row's checksum and trailer go out with the next row's head and
        // data, so the line stays busy from one pause to the next.
        std::vector<std::uint8_t> batch;
        const int total = image->usedRows();
        for (int row = 0; row < HexImage::kRows; ++row) {
            if (!image->rowUsed(row)) continue;
            if (cancelled()) return finish(r, UploadOutcome::Cancelled, kCancelled);
            const auto address = static_cast<std::uint16_t>(HexImage::kRowBytes * row);
            const auto data = image->row(row);
            status(r, kWriteAddress + hex4(address));
            batch.insert(batch.end(), {0x10, static_cast<std::uint8_t>(address >> 8),
                                       static_cast<std::uint8_t>(address & 0xFF), 0x00});
            batch.insert(batch.end(), data.begin(), data.end());
            if (!send(batch)) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
            // The loader needs the pause on the line, after the data left.
            if (!link_.waitSent(t_.sentTimeoutMs + t_.rowPauseMs, t_.rowPauseMs))
                return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
            batch = {rowChecksum(address, data), 0x00, 0x3A};
            ++r.rowsSent;
            if (hooks_.onProgress) hooks_.onProgress(r.rowsSent, total);
        }
        batch.insert(batch.end(), {0x00, 0x00, 0x00, 0x01, 0xFF});
        if (!send(batch)) return finish(r, UploadOutcome::LinkFailed, kLinkFailed);
    }

    int pollsLeft = t_.polls;
    const int first = awaitByte(pollsLeft);
    if (first < 0) return finish(r, UploadOutcome::ProgrammingFailed, kProgrammingFailed);
    // The second byte gets the same patience, not an endless wait.
    pollsLeft = t_.polls;
    const int second = awaitByte(pollsLeft);
    if (second < 0) return finish(r, UploadOutcome::ProgrammingFailed, kProgrammingFailed);
    r.checksum = static_cast<std::uint16_t>(first * 256 + second);
    // The handheld sums what it stored; anything lost or changed on the
    // line shows here, and must not pass as a finished upload.
    r.expectedChecksum = image->rowUsed(0) ? image->sum() : 0;
    r.outcome = r.checksum == r.expectedChecksum ? UploadOutcome::Done : UploadOutcome::ChecksumMismatch;
    status(r, checksumText(static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)));
    return r;
}

UploadResult uploadOnPort(UploadPort& port, const HexImage* image, UploadHooks hooks, UploadTiming timing) {
    UploadLink link(port);
    link.start();
    OsUploader uploader(link, std::move(hooks), timing);
    UploadResult result = uploader.upload(image);
    link.stop();
    return result;
}

}  // namespace tramond
