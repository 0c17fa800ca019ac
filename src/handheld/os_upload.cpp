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
        while (link_.getRxByte() >= 0) {
        }

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
    r.outcome = UploadOutcome::Done;
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
