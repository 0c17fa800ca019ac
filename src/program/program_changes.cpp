#include "program/program_changes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>

#include "program/carried_files.h"
#include "program/file_io.h"
#include "program/keyboard_header.h"
#include "program/machine_printer.h"
#include "program/record_kinds.h"
#include "program/session.h"
#include "program/system_blocks.h"

namespace tramond {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t kFlagsBlock = 2;
constexpr std::uint32_t kLogoBlock = 91;
constexpr std::uint32_t kConfigBlock = 111;
constexpr std::size_t kPluCodeOffset = 2;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// ".kb" or ".pr" followed by a machine number (".kbf" is the keyboard too).
bool machineFile(const std::string& ext, std::string_view stem) {
    if (ext.size() <= 3 || ext.compare(0, 3, stem) != 0) return false;
    return std::all_of(ext.begin() + 3, ext.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Whether byte `at` of the file (an absolute offset) differs between the two
// windows; a byte only one of them holds differs.
struct Window {
    std::size_t offset;
    Bytes before, after;

    std::size_t end() const { return offset + std::max(before.size(), after.size()); }
    bool differs(std::size_t at) const {
        if (at < offset) return false;
        const auto i = at - offset;
        const bool inA = i < before.size(), inB = i < after.size();
        if (inA != inB) return true;
        return inA && before[i] != after[i];
    }
    // Any differing byte in [first, first + length).
    bool differs(std::size_t first, std::size_t length) const {
        const auto from = std::max(first, offset);
        const auto to = std::min(first + length, end());
        for (auto at = from; at < to; ++at)
            if (differs(at)) return true;
        return false;
    }
    // The bytes of [first, first + length) one side holds; empty when it
    // holds none of them.
    Bytes side(bool afterSide, std::size_t first, std::size_t length) const {
        const Bytes b = afterSide ? after : before;
        if (first < offset || first - offset >= b.size()) return {};
        const auto i = first - offset;
        return b.subspan(i, std::min(length, b.size() - i));
    }
};

void blocksOf(const Window& w, BlockArea area, std::set<std::uint32_t>& out) {
    for (const auto& block : systemBlocks())
        if (block.area == area && w.differs(block.offset, block.length)) out.insert(block.number);
}

// The keyboard header regions of a keyboard file, as the application
// block's system blocks that carry them.
void keyboardBlocksOf(const Window& w, std::set<std::uint32_t>& out) {
    for (const auto& region : kKeyboardRegions) {
        for (std::size_t i = 0; i < region.length; ++i) {
            if (!w.differs(region.fileOffset + i)) continue;
            const auto at = region.blockOffset + i;
            for (const auto& block : systemBlocks())
                if (block.area == BlockArea::Application && at >= block.offset && at < block.offset + block.length)
                    out.insert(block.number);
        }
    }
}

bool zero(Bytes b) {
    return std::all_of(b.begin(), b.end(), [](std::uint8_t x) { return x == 0; });
}

// A PLU's code: the code bytes of the record (all seven when the record is
// shorter than a code, which no real record is).
Bytes pluCode(Bytes record, std::size_t codeBytes) {
    if (record.size() < kPluCodeOffset + codeBytes) return {};
    return record.subspan(kPluCodeOffset, codeBytes);
}

void pluLinesOf(const Window& w, std::size_t count, std::size_t codeBytes, ProgramChanges& out) {
    const auto size = kindInfo(RecordKind::Plu).recordSize;
    const auto first = w.offset / size;
    const auto last = std::min<std::size_t>(count, (w.end() + size - 1) / size);
    for (auto r = first; r < last; ++r) {
        if (!w.differs(r * size, size)) continue;
        const auto before = w.side(false, r * size, size);
        const auto after = w.side(true, r * size, size);
        const auto codeBefore = pluCode(before, codeBytes);
        const auto codeAfter = pluCode(after, codeBytes);
        const bool usedBefore = !codeBefore.empty() && !zero(codeBefore);
        const bool usedAfter = !codeAfter.empty() && !zero(codeAfter);
        const int record = static_cast<int>(r + 1);
        const bool sameCode = usedBefore && usedAfter && std::equal(codeBefore.begin(), codeBefore.end(),
                                                                   codeAfter.begin(), codeAfter.end());
        if (sameCode) {
            out.pluLines.push_back(pluUpdateLine('R', codeBefore, record));
            continue;
        }
        if (usedBefore) out.pluLines.push_back(pluUpdateLine('D', codeBefore, record));
        if (usedAfter) out.pluLines.push_back(pluUpdateLine('N', codeAfter, record));
    }
}

void recordsOf(const Window& w, const KindInfo& kind, std::size_t count, std::set<std::uint32_t>& out) {
    const auto size = kind.recordSize;
    if (kind.wholeBlock) {
        if (w.differs(0, count * size)) out.insert(kind.changeBase);
        return;
    }
    const auto first = w.offset / size;
    const auto last = std::min<std::size_t>(count, (w.end() + size - 1) / size);
    for (auto r = first; r < last; ++r)
        if (w.differs(r * size, size)) out.insert(changeCode(kind.kind, static_cast<std::uint32_t>(r + 1)));
}

[[noreturn]] void fail(const std::filesystem::path& file, const std::string& what, int err) {
    throw FileError("Cannot write \"" + file.string() + "\": " + what + ": " + std::strerror(err));
}

}  // namespace

void ProgramChanges::add(const ProgramChanges& other) {
    std::set<std::uint32_t> all(codes.begin(), codes.end());
    all.insert(other.codes.begin(), other.codes.end());
    codes.assign(all.begin(), all.end());
    pluLines.insert(pluLines.end(), other.pluLines.begin(), other.pluLines.end());
}

ProgramChanges programFileChanges(const std::filesystem::path& file, std::size_t offset, Bytes before, Bytes after,
                                  const ApplicationBlock& app) {
    ProgramChanges out;
    const Window w{offset, before, after};
    const auto ext = lower(file.extension().string());
    std::set<std::uint32_t> codes;
    if (ext == ".app") {
        blocksOf(w, BlockArea::Application, codes);
        if (offset == 0 && before.size() >= ApplicationBlock::kSize && after.size() >= ApplicationBlock::kSize) {
            ApplicationBlock was, is;
            std::copy_n(before.begin(), ApplicationBlock::kSize, was.bytes().begin());
            std::copy_n(after.begin(), ApplicationBlock::kSize, is.bytes().begin());
            for (auto c : partsBroughtIn(was, is)) codes.insert(c);
        }
    } else if (ext == ".txt") {
        blocksOf(w, BlockArea::Text, codes);
    } else if (ext == ".bmp") {
        if (w.differs(0, w.end())) codes.insert(kLogoBlock);
    } else if (ext == ".chk") {
        if (w.differs(0, w.end())) codes.insert(kConfigBlock);
    } else if (ext == ".kbf" || machineFile(ext, ".kb")) {
        keyboardBlocksOf(w, codes);
    } else if (machineFile(ext, ".pr")) {
        // A file missing or too short to hold the values reads as the
        // block's own values: writing those changes nothing for the register.
        const auto own = machinePrinterBytes(app);
        const Window whole{0, offset == 0 && before.size() < kMachinePrinterSize ? Bytes(own) : before, after};
        if ((offset == 0 ? whole : w).differs(0, kMachinePrinterSize)) codes.insert(kFlagsBlock);
    } else if (const auto kind = kindForExtension(ext)) {
        const auto& info = kindInfo(*kind);
        const auto count = recordCount(app, *kind);
        const auto codeBytes = static_cast<std::size_t>(std::min<int>(app.get(appblock::kPluRandomCodeSize), 7));
        if (*kind == RecordKind::Plu && codeBytes != 0)
            pluLinesOf(w, count, codeBytes, out);
        else
            recordsOf(w, info, count, codes);
    }
    out.codes.assign(codes.begin(), codes.end());
    return out;
}

void markChanges(const UpdateList& list, const ProgramChanges& changes) {
    if (changes.empty()) return;
    std::vector<std::string> lines;
    lines.reserve(changes.codes.size() + changes.pluLines.size());
    for (auto c : changes.codes) lines.push_back(UpdateList::formatCode(c));
    lines.insert(lines.end(), changes.pluLines.begin(), changes.pluLines.end());
    list.markLines(lines);
}

ProgramChanges writeProgramFiles(const UpdateList& list, const ApplicationBlock& app,
                                 std::span<const ProgramFileImage> files) {
    // What a write killed before its rename left of the program's files goes
    // with the next write (the window's load clears them too; a nightly
    // import may be all that ever writes the program).
    if (!files.empty()) removeAbandonedTemporaries(files[0].file.parent_path(), files[0].file.stem().string());
    ProgramChanges all;
    std::vector<bool> due(files.size(), false);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& [file, bytes] = files[i];
        std::vector<std::uint8_t> disk;
        std::error_code ec;
        const bool exists = std::filesystem::exists(file, ec);
        if (exists) disk = readFile(file);
        // Nothing to do: a save that changes nothing writes nothing.
        if (exists && std::equal(disk.begin(), disk.end(), bytes.begin(), bytes.end())) continue;
        due[i] = true;
        if (lower(file.extension().string()) == ".app" && bytes.size() >= ApplicationBlock::kSize) {
            ApplicationBlock written;
            std::copy_n(bytes.begin(), ApplicationBlock::kSize, written.bytes().begin());
            all.add(programFileChanges(file, 0, disk, bytes, written));
        } else {
            all.add(programFileChanges(file, 0, disk, bytes, app));
        }
    }
    markChanges(list, all);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!due[i]) continue;
        writeFileAtomic(files[i].file, files[i].bytes);
        all.written = true;
    }
    return all;
}

ProgramChanges writeProgramFile(const UpdateList& list, const ApplicationBlock& app, const std::filesystem::path& file,
                                Bytes bytes) {
    const ProgramFileImage one[] = {{file, bytes}};
    return writeProgramFiles(list, app, one);
}

ProgramChanges writeProgramFile(const ProgramSession& session, const std::filesystem::path& file, Bytes bytes) {
    return writeProgramFile(session.updateList(), session.app, file, bytes);
}

ProgramChanges writeApplication(const ProgramSession& session) {
    return writeProgramFile(session, session.programPath, session.app.bytes());
}

ProgramChanges writeProgramFileAt(const UpdateList& list, const ApplicationBlock& app,
                                  const std::filesystem::path& file, std::size_t offset, Bytes bytes) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fail(file, "cannot open it", errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    std::vector<std::uint8_t> disk(bytes.size());
    const auto got = ::pread(fd, disk.data(), disk.size(), static_cast<off_t>(offset));
    if (got < 0) fail(file, "cannot read it", errno);
    disk.resize(static_cast<std::size_t>(got));
    const auto changes = programFileChanges(file, offset, disk, bytes, app);
    markChanges(list, changes);
    if (writeFaultInjected(WriteStage::Write, 0)) fail(file, "write", EIO);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(file, "write", errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (writeFaultInjected(WriteStage::Sync, done) || ::fsync(fd) != 0) fail(file, "sync", errno ? errno : EIO);
    return changes;
}

}  // namespace tramond
