#include "link/transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "program/file_io.h"
#include "program/register_config.h"

namespace tramond {

namespace {

// The register's own words, then which file and why: "Error opening File !!"
// alone leaves a dealer guessing at a full disk.
std::string openingError(const std::string& why) {
    return why.empty() ? std::string("Error opening File !!") : "Error opening File !! (" + why + ")";
}

}  // namespace

// ---- TransferFile ----------------------------------------------------------

TransferFile::~TransferFile() { close(); }

void TransferFile::fail(const std::string& what, int err) {
    failed_ = true;
    if (error_.empty()) error_ = "Cannot " + what + " \"" + path_.string() + "\": " + std::strerror(err);
}

bool TransferFile::open(const std::filesystem::path& path, bool forWriting) {
    close();
    path_ = path;
    pos_ = 0;
    written_ = 0;
    failed_ = false;
    error_.clear();
    writable_ = forWriting;
    // Non-blocking, so that a FIFO in the file's place cannot stall the
    // open; it is refused just below.
    int flags = (forWriting ? O_RDWR | O_CREAT : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        fail(forWriting ? "write" : "read", errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        failed_ = true;
        error_ = "Cannot " + std::string(forWriting ? "write" : "read") + " \"" + path_.string() +
                 "\": it is not a regular file";
        return false;
    }
    if (forWriting && ::ftruncate(fd, 0) != 0) {
        fail("write", errno);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    return true;
}

bool TransferFile::create(const std::filesystem::path& path) { return open(path, true); }

bool TransferFile::openExisting(const std::filesystem::path& path) { return open(path, false); }

bool TransferFile::close() {
    if (fd_ >= 0) {
        // The last chance a full disk or a failing device has to show.
        if (writable_ && !failed_) {
            if (writeFaultInjected(WriteStage::Sync, written_)) fail("write", EIO);
            else if (::fsync(fd_) != 0) fail("write", errno);
        }
        if (::close(fd_) != 0 && writable_) fail("write", errno);
        fd_ = -1;
    }
    pos_ = 0;
    return !failed_;
}

void TransferFile::seek(std::uint64_t offset) { pos_ = offset; }

void TransferFile::read(std::span<std::uint8_t> out) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    if (fd_ < 0) return;
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + got, out.size() - got, static_cast<off_t>(pos_ + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    pos_ += out.size();
}

bool TransferFile::write(std::span<const std::uint8_t> data) {
    if (fd_ < 0 || !writable_) return false;
    std::size_t done = 0;
    while (done < data.size() && !failed_) {
        if (writeFaultInjected(WriteStage::Write, written_)) {
            fail("write", ENOSPC);
            break;
        }
        const ssize_t n =
            ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(pos_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail("write", n < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<std::size_t>(n);
        written_ += static_cast<std::size_t>(n);
    }
    pos_ += data.size();
    return !failed_;
}

// ---- FileTransfer ----------------------------------------------------------

bool FileTransfer::afterBlock() {
    if (pump) pump();
    return link_.linkError() == kLinkOk;
}

bool FileTransfer::sendU(std::uint16_t number, std::span<const std::uint8_t> data) {
    std::array<std::uint8_t, 256> out{};
    out[0] = 'U';
    putBigEndian16(&out[1], number);
    const std::size_t n = std::min(data.size(), out.size() - 3);
    std::copy_n(data.begin(), n, out.begin() + 3);
    return link_.sendBlock(std::span<const std::uint8_t>(out.data(), n + 3));
}

bool FileTransfer::requestRecords(std::uint32_t first, std::uint32_t last) {
    std::array<std::uint8_t, 5> req{'D'};
    putBigEndian16(&req[1], static_cast<std::uint16_t>(first));
    std::size_t n = 3;
    if (last != 0) {
        putBigEndian16(&req[3], static_cast<std::uint16_t>(last));
        n = 5;
    }
    if (!link_.sendBlock(std::span<const std::uint8_t>(req.data(), n))) return false;

    // Records outside what was asked for would land in the wrong file at the
    // wrong size; they are acknowledged and dropped.
    const std::uint32_t lastWanted = std::max(first, last);
    // A register whose acknowledgement was lost on the line repeats the
    // block; a second copy of the same number must not be written twice.
    std::uint32_t previous = 0;
    std::uint16_t previousIndex = 0xFFFF;
    int failures = 0;
    // A record that cannot be stored fails the whole load: a program with a
    // hole in one of its files must never replace a good one.
    auto store = [&](std::span<const std::uint8_t> bytes) {
        if (file_.write(bytes)) return true;
        fileError_ = file_.error();
        return false;
    };
    for (;;) {
        const int c = link_.receiveBlock();
        if (c < 2) {
            if (++failures >= 5) return false;
            if (link_.linkError() != kLinkOk) return false;
            continue;
        }
        failures = 0;
        const auto& rx = link_.received();
        const std::uint16_t k = bigEndian16(&rx[1]);
        if (k == 0) return true;
        const std::span<const std::uint8_t> data(&rx[3], static_cast<std::size_t>(c - 2));
        const std::uint16_t index = data.size() >= 2 ? bigEndian16(data.data()) : 0;
        const bool repeated = k == previous && ((k != kBlockPbTrailer && k != kBlockLogo) || index == previousIndex);
        previous = k;
        previousIndex = index;
        if (repeated) {
            if (!afterBlock()) return false;
            continue;
        }

        if (k == kBlockIdentification) {
            identification_.fill(0);
            std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 8), identification_.begin());
            identificationReceived_ = true;
        } else if (const SystemBlock* sb = findSystemBlock(k)) {
            progress.step(0, 0, true);
            systemBlockFromWire(app_, text_, *sb, data);
        } else if (k == kBlockPbTrailer) {
            if (data.size() >= 2) {
                const std::uint16_t index = bigEndian16(data.data());
                if (index < 50) {
                    std::array<std::uint8_t, kPxtPieceSize> piece{};
                    std::copy_n(data.begin() + 2, std::min(kPxtPieceSize, data.size() - 2), piece.begin());
                    // The index is the piece's first 24-character line.
                    file_.seek(static_cast<std::uint64_t>(index) * 24);
                    if (!store(piece)) return false;
                }
            }
        } else if (k == kBlockLogo) {
            if (logoReceiver_ && data.size() >= 2) logoReceiver_->storeLine(bigEndian16(data.data()), data.subspan(2));
        } else if (k == kBlockChk) {
            std::array<std::uint8_t, kChkBlockSize> chk{};
            std::copy_n(data.begin(), std::min(chk.size(), data.size()), chk.begin());
            swapChkBlock(chk);
            receivedChk_ = chk;
        } else if (k == kBlockCustomer) {
            std::array<std::uint8_t, kCustomerRecordSize> rec{};
            std::copy_n(data.begin(), std::min(rec.size(), data.size()), rec.begin());
            swapCustomerRecord(rec);
            if (!store(rec)) return false;
            return afterBlock();
        } else if (const KindBlock* kind = findKindForRecord(k); kind && k >= first && k <= lastWanted) {
            std::vector<std::uint8_t> rec(kind->recordSize, 0);
            std::copy_n(data.begin(), std::min(rec.size(), data.size()), rec.begin());
            swapRecord(*kind, rec, pluRandomCodeSize());
            if (!store(rec)) return false;
            progress.step(static_cast<long>(k - kind->base), static_cast<long>(kindCount(app_, *kind)), false);
        }
        if (!afterBlock()) return false;
    }
}

bool FileTransfer::sendRecords(std::uint32_t first, std::uint32_t last) {
    if (!afterBlock()) return false;

    if (const SystemBlock* sb = findSystemBlock(first)) {
        progress.step(0, 0, true);
        const auto wire = systemBlockToWire(app_, text_, *sb);
        return sendU(sb->number, wire) && afterBlock();
    }
    if (first == kBlockPbTrailer) {
        file_.seek(0);
        for (int i = 0; i < kPxtPieces; ++i) {
            std::array<std::uint8_t, 2 + kPxtPieceSize> piece{};
            const auto index = static_cast<std::uint16_t>(i * 5);
            putBigEndian16(piece.data(), index);
            file_.read(std::span<std::uint8_t>(piece).subspan(2));
            progress.step(index, kPxtPieces, false);
            if (!sendU(kBlockPbTrailer, piece)) return false;
            if (!afterBlock()) return false;
        }
        return true;
    }
    if (first == kBlockLogo) return sendLogo();
    if (first == kBlockChk) return sendConfiguration();
    if (first == kBlockCustomer) {
        if (last == 0) return true;
        std::array<std::uint8_t, kCustomerRecordSize> rec{};
        file_.seek(static_cast<std::uint64_t>(last - 1) * kCustomerRecordSize);
        file_.read(rec);
        swapCustomerRecord(rec);
        return sendU(kBlockCustomer, rec) && afterBlock();
    }
    const KindBlock* kind = findKindForRecord(first);
    if (!kind) return true;  // not a number anything is stored under
    if (last == 0) last = first;
    const long count = static_cast<long>(kindCount(app_, *kind));
    std::vector<std::uint8_t> rec(kind->recordSize);
    file_.seek(static_cast<std::uint64_t>(first - kind->base - 1) * kind->recordSize);
    for (std::uint32_t number = first; number <= last; ++number) {
        if (first != last) progress.step(static_cast<long>(number - kind->base), count, false);
        file_.read(rec);
        swapRecord(*kind, rec, pluRandomCodeSize());
        if (!sendU(static_cast<std::uint16_t>(number), rec)) return false;
        if (!afterBlock()) return false;
    }
    return true;
}

bool FileTransfer::transferFileKind(std::string_view extension, std::uint32_t base, TransferDirection direction,
                                    std::uint32_t total, std::uint32_t count,
                                    std::span<const std::uint32_t> pluListOrder) {
    if (link_.linkError() != kLinkOk) return false;
    if (direction == TransferDirection::None) return true;
    const bool listOrder = direction == TransferDirection::SendPluListOrder;
    if (count == 0 && !(listOrder && !pluListOrder.empty())) return true;
    auto path = programPath;
    path.replace_extension(std::string(extension));
    auto shown = shownPath.empty() ? programPath : shownPath;
    shown.replace_extension(std::string(extension));
    progress.setFile(shown.string(), total);
    progress.setRange(static_cast<int>(total));
    if (base == kBlockChk)
        return direction == TransferDirection::Receive ? receiveConfiguration() : sendConfiguration();

    const bool receiving = direction == TransferDirection::Receive;
    const bool opened = receiving ? file_.create(path) : file_.openExisting(path);
    if (!opened) {
        fileError_ = openingError(file_.error());
        return false;
    }
    bool ok = true;
    if (listOrder) {
        std::array<std::uint8_t, kPluRecordSize> rec{};
        std::uint32_t j = 0;
        for (std::uint32_t pos : pluListOrder) {
            if (link_.linkError() != kLinkOk) {
                ok = false;
                break;
            }
            if (pos == 0) continue;  // not a record position
            file_.seek(static_cast<std::uint64_t>(pos - 1) * kPluRecordSize);
            file_.read(rec);
            swapWord(rec, 0);
            swapWord(rec, 34);
            const auto number = static_cast<std::uint16_t>(10001 + j);
            progress.step(static_cast<long>(j + 1), static_cast<long>(pluListOrder.size()), false);
            if (!sendU(number, rec) || !afterBlock()) {
                ok = false;
                break;
            }
            ++j;
        }
    } else {
        auto move = [&](std::uint32_t a, std::uint32_t b) {
            return receiving ? requestRecords(a, b) : sendRecords(a, b);
        };
        if (base == kBlockPbTrailer) {
            ok = move(kBlockPbTrailer, 0);
        } else if (base == kBlockCustomer) {
            for (std::uint32_t n = 1; n <= count && ok; ++n) ok = move(kBlockCustomer, n);
        } else {
            ok = move(base + 1, base + count);
        }
    }
    if (!file_.close() && receiving && fileError_.empty()) {
        fileError_ = file_.error();
        ok = false;
    }
    return ok;
}

int FileTransfer::configurationPart() const {
    return link_.terminalNumber == 0 ? 1 : link_.terminalNumber;
}

bool FileTransfer::sendConfiguration() {
    if (!afterBlock()) return false;
    const auto file = RegisterConfigFile::of(programPath);
    const int part = configurationPart();
    std::array<std::uint8_t, kChkBlockSize> chk{};
    try {
        const auto common = file.readCommon();
        std::copy(common.begin(), common.end(), chk.begin());
        // A register without a part of its own gets the part a new program
        // starts with, never bytes that merely lie beyond the end of the file.
        const auto own = file.holdsPart(part) ? file.readPart(part) : defaultConfigPart();
        if (!file.holdsPart(part))
            progress.setNote("Register # " + std::to_string(part) + ": no settings of its own in " +
                             file.path().filename().string() + ", default settings sent");
        std::copy(own.begin(), own.end(), chk.begin() + kChkCommonSize);
    } catch (const FileError& e) {
        fileError_ = openingError(e.what());
        return false;
    }
    progress.step(0, 0, true);
    swapChkBlock(chk);
    return sendU(kBlockChk, chk) && afterBlock();
}

bool FileTransfer::receiveConfiguration() {
    receivedChk_.reset();
    const bool ok = requestRecords(kBlockChk, 0);
    const auto file = RegisterConfigFile::of(programPath);
    try {
        // The file is replaced: the common bytes, and the register's part at
        // its own place, so that it goes back to that register and no other.
        std::error_code ec;
        std::filesystem::remove(file.path(), ec);
        if (receivedChk_) {
            ConfigCommon common{};
            ConfigPart part{};
            std::copy_n(receivedChk_->begin(), kChkCommonSize, common.begin());
            std::copy_n(receivedChk_->begin() + kChkCommonSize, kChkPartSize, part.begin());
            file.writeCommon(common);
            file.writePart(configurationPart(), part);
        } else {
            file.ensure();
        }
    } catch (const FileError& e) {
        fileError_ = openingError(e.what());
        return false;
    }
    return ok;
}

bool FileTransfer::receiveLogo() {
    const auto g = logoLayout(logoTypeFromSetting(app_.u8(kAppLogoSettingOffset)));
    if (!g) return true;
    LogoReceiver receiver(*g);
    logoReceiver_ = &receiver;
    const bool ok = requestRecords(kBlockLogo, 0);
    logoReceiver_ = nullptr;
    auto path = programPath;
    path.replace_extension(".bmp");
    // Whatever arrived is kept, as with every other file of a failed load.
    if (!file_.create(path)) {
        fileError_ = openingError(file_.error());
        return false;
    }
    file_.write(receiver.bitmap());
    if (!file_.close()) {
        fileError_ = file_.error();
        return false;
    }
    return ok;
}

bool FileTransfer::sendLogo() {
    const auto g = logoLayout(logoTypeFromSetting(app_.u8(kAppLogoSettingOffset)));
    if (!g) return true;
    auto path = programPath;
    path.replace_extension(".bmp");
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readFile(path);
    } catch (const FileError& e) {
        fileError_ = openingError(e.what());
        return false;
    }
    std::string why;
    auto sender = LogoSender::fromBitmap(std::move(bytes), *g, &why);
    if (!sender) {
        fileError_ = "The logo \"" + path.string() + "\" is damaged: " + why;
        return false;
    }
    for (int a = 0; a <= sender->lastLine(); ++a) {
        const auto line = sender->buildLine(a);
        std::array<std::uint8_t, 2 + kLogoLineSize> data{};
        putBigEndian16(data.data(), static_cast<std::uint16_t>(a));
        std::copy(line.begin(), line.end(), data.begin() + 2);
        if (!sendU(kBlockLogo, data)) return false;
        if (!afterBlock()) return false;
    }
    return true;
}

}  // namespace tramond
