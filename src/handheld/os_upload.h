#pragma once
// The upload of a handheld's operating system through its loader: wake-up at
// 9600 baud, clearing at 38400, the four setup records, one record per used
// row of the image, the end record, and the loader's two-byte checksum.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "handheld/hex_image.h"
#include "handheld/upload_link.h"

namespace tramond {

namespace upload_text {
inline constexpr const char* kNoFile = "No File Opend.";
inline constexpr const char* kSettingUpSpeed = "Setting Up Speed.";
inline constexpr const char* kClearing = "Clearing Tovik.";
inline constexpr const char* kNotCleared = "Error: Tovik Not Cleared.";
inline constexpr const char* kProgrammingFailed = "Error: Programming Failed.";
inline constexpr const char* kWriteAddress = "WriteAdress: 4000:";
inline constexpr const char* kChecksum = "Checksum:";
inline constexpr const char* kLinkFailed = "Error: Tovik Not Receiving.";
inline constexpr const char* kCancelled = "Upload Cancelled.";
}  // namespace upload_text

// The loader's pauses and patience; tests shorten them.
struct UploadTiming {
    int speedSetupMs = 1;     // after the wake-up bytes
    int pollMs = 1;           // between polls for an answer
    int polls = 200;          // polls before giving up on an answer
    int startMs = 1000;       // after the start character
    int rowPauseMs = 6;       // on the line between a row's data and its checksum
    int sentTimeoutMs = 5000; // for queued bytes to leave the port
    // After the wake-up, what the handheld sends is discarded until the line
    // has been quiet this long (the receive thread may be holding bytes back
    // with DTR), but for no longer than discardMs in all.
    int quietMs = 60;
    int discardMs = 3000;
};

// ChecksumMismatch: the handheld answered, but its sum of what it stored is
// not the sum of what was sent: bytes were lost or changed on the way.
enum class UploadOutcome { Done, NoFile, NotCleared, ProgrammingFailed, LinkFailed, Cancelled, ChecksumMismatch };

struct UploadResult {
    UploadOutcome outcome = UploadOutcome::NoFile;
    std::string status;          // the last status text shown
    std::uint16_t checksum = 0;  // the loader's answer, first byte high (Done, ChecksumMismatch)
    std::uint16_t expectedChecksum = 0;  // the sum of the bytes sent (the image's sum)
    bool answered() const { return outcome == UploadOutcome::Done || outcome == UploadOutcome::ChecksumMismatch; }
    int rowsSent = 0;
};

// The comparison beside "Checksum:XXXX", for the dialog and the command line
// alike; "" when the handheld did not answer.
std::string checksumComparison(const UploadResult& result);

// The loader's setup record s (1..4): nine bytes, the last two the record's
// trailer and the next start character.
std::array<std::uint8_t, 9> setupRecord(int s);
// A row's record checksum: two's complement of 0x10, the address, the type
// and the 16 data bytes.
std::uint8_t rowChecksum(std::uint16_t address, std::span<const std::uint8_t, 16> data);
// "Checksum:" and the two answer bytes, first byte first.
std::string checksumText(std::uint8_t first, std::uint8_t second);

// What the upload tells, and asks, while it runs (on the uploading thread).
struct UploadHooks {
    std::function<void(const std::string&)> onStatus;
    std::function<void(int done, int total)> onProgress;
    // Checked between bytes and during every wait.
    const std::atomic<bool>* cancel = nullptr;
};

class OsUploader {
public:
    OsUploader(UploadLink& link, UploadHooks hooks, UploadTiming timing = {})
        : link_(link), hooks_(std::move(hooks)), t_(timing) {}

    // The link's threads must be running on an open port. A null image is
    // "no file loaded".
    UploadResult upload(const HexImage* image);

private:
    bool send(std::uint8_t b) { return send(std::span<const std::uint8_t>(&b, 1)); }
    bool send(std::span<const std::uint8_t> bytes);
    bool cancelled() const { return hooks_.cancel && hooks_.cancel->load(); }
    void status(UploadResult& r, std::string text);
    // Polls for an answer byte, spending pollsLeft: -1 when none came, -2
    // when cancelled or the link failed.
    int awaitByte(int& pollsLeft);
    // Discards what arrives until the line is quiet (within the time bound);
    // false when cancelled or the link failed.
    bool discardUntilQuiet();
    bool pause(int ms);
    UploadResult finish(UploadResult r, UploadOutcome outcome, const char* text);

    UploadLink& link_;
    UploadHooks hooks_;
    UploadTiming t_;
};

// Progress of an upload for a terminal or a log: on a terminal one line
// rewritten in place; otherwise a line at every tenth of the rows, so a log
// holds eleven lines, not one per row.
class UploadProgressLines {
public:
    explicit UploadProgressLines(bool terminal) : terminal_(terminal) {}
    // What to write for a status text ("" for the row addresses, which the
    // progress shows).
    std::string status(const std::string& text);
    // What to write when `done` of `total` rows have gone.
    std::string progress(int done, int total);
    // What to write before the end's own lines.
    std::string finish();

private:
    bool terminal_;
    bool lineOpen_ = false;
    int lastTenth_ = -1;
    std::string address_;
};

// One upload on an open port: starts the receive and transmit threads,
// uploads, and joins them again. The caller closes the port afterwards.
UploadResult uploadOnPort(UploadPort& port, const HexImage* image, UploadHooks hooks, UploadTiming timing = {});

}  // namespace tramond
