#pragma once
// Moving a program's data between its files and the register's numbered
// blocks: RequestRecords, SendRecords, TransferFileKind and the logo.
// Runs on any one thread; the pump hook is called after every block (the
// place where a caller lets the user interface breathe) and Cancel reaches
// the transfer through the link error code.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/block_map.h"
#include "link/block_protocol.h"
#include "link/logo.h"
#include "link/progress.h"
#include "program/application_block.h"
#include "program/text_block.h"

namespace tramond {

enum class TransferDirection : int { Send = 0, Receive = 1, SendPluListOrder = 2, None = 3 };

// The one open file of a transfer. Reads past the end give zeros; writes go
// in place at the current position. A file opened for sending is opened for
// reading only; only regular files are opened (a FIFO would hang the run).
class TransferFile {
public:
    TransferFile() = default;
    ~TransferFile();
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;

    bool create(const std::filesystem::path& path);        // replaces the file
    bool openExisting(const std::filesystem::path& path);  // for reading
    bool isOpen() const { return fd_ >= 0; }
    // Flushes to disk what was written; false when that or any earlier write
    // of this file failed (the reason is in error()).
    bool close();
    void seek(std::uint64_t offset);
    std::uint64_t position() const { return pos_; }
    void read(std::span<std::uint8_t> out);   // zero-filled beyond the end
    bool write(std::span<const std::uint8_t> data);
    const std::filesystem::path& path() const { return path_; }
    // Why the last open, write or close failed; empty when none did.
    const std::string& error() const { return error_; }

private:
    bool open(const std::filesystem::path& path, bool forWriting);
    void fail(const std::string& what, int err);

    int fd_ = -1;
    bool writable_ = false;
    bool failed_ = false;
    std::filesystem::path path_;
    std::uint64_t pos_ = 0;
    std::uint64_t written_ = 0;
    std::string error_;
};

class FileTransfer {
public:
    FileTransfer(RegisterLink& link, ApplicationBlock& app, TextBlock& text)
        : link_(link), app_(app), text_(text) {}

    // The ".app" path whose siblings TransferFileKind opens.
    std::filesystem::path programPath;
    // The program's name as the user knows it, for the progress window, when
    // the files are written elsewhere first (Load from Register's staging).
    std::filesystem::path shownPath;
    Progress progress;
    // Called after every block; may be empty.
    std::function<void()> pump;

    // The file the special blocks (90, 111, 112, records) are read from or
    // written to; the caller opens and closes it.
    TransferFile& file() { return file_; }

    bool requestRecords(std::uint32_t first, std::uint32_t last = 0);
    bool sendRecords(std::uint32_t first, std::uint32_t last = 0);
    // Moves a whole kind from or to the sibling file with the extension.
    // Direction 2 sends ".plu" records in pluListOrder (record positions from
    // 1), renumbered 10001, 10002, ..
    bool transferFileKind(std::string_view extension, std::uint32_t base, TransferDirection direction,
                          std::uint32_t total, std::uint32_t count,
                          std::span<const std::uint32_t> pluListOrder = {});

    // The logo of the configured type into / from the ".bmp" sibling. A
    // program without a logo type moves nothing and succeeds.
    bool receiveLogo();
    bool sendLogo();

    // Block 1 as last received; byte 7 tells the register generation.
    const std::array<std::uint8_t, 8>& identification() const { return identification_; }
    bool identificationReceived() const { return identificationReceived_; }

    // Set when a file could not be opened ("Error opening File !!").
    const std::string& fileError() const { return fileError_; }

private:
    bool sendU(std::uint16_t number, std::span<const std::uint8_t> data);
    // Block 111: the ".chk" common bytes and the addressed register's part.
    bool sendConfiguration();
    bool receiveConfiguration();
    int configurationPart() const;
    bool afterBlock();
    std::uint8_t pluRandomCodeSize() const { return app_.u8(kAppPluRandomSizeOffset); }

    RegisterLink& link_;
    ApplicationBlock& app_;
    TextBlock& text_;
    TransferFile file_;
    std::array<std::uint8_t, 8> identification_{};
    bool identificationReceived_ = false;
    std::string fileError_;
    LogoReceiver* logoReceiver_ = nullptr;
    std::optional<std::array<std::uint8_t, kChkBlockSize>> receivedChk_;
};

}  // namespace tramond
