#include "regsim/register_memory.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "link/block_map.h"
#include "link/logo.h"
#include "program/application_block.h"
#include "program/file_io.h"
#include "program/text_block.h"

namespace tramond::regsim {
namespace {

std::vector<std::uint8_t> readOrEmpty(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> slicePadded(const std::vector<std::uint8_t>& v, std::size_t off, std::size_t n) {
    std::vector<std::uint8_t> out(n, 0);
    if (off < v.size()) std::copy_n(v.begin() + static_cast<std::ptrdiff_t>(off), std::min(n, v.size() - off), out.begin());
    return out;
}

std::filesystem::path sib(std::filesystem::path p, const char* ext) {
    p.replace_extension(ext);
    return p;
}

}  // namespace

void RegisterMemory::clear() {
    const auto id = identification;
    const int c = clears;
    *this = RegisterMemory{};
    identification = id;
    clears = c;
}

namespace {

constexpr std::uint16_t kPluBase = 10000;
constexpr std::size_t kPluCode = 2;
constexpr std::size_t kPluCodeSize = 7;

// A code as a number that orders like the register's list (0: unused).
std::uint64_t codeValue(std::span<const std::uint8_t> code) {
    std::uint64_t v = 0;
    for (auto it = code.rbegin(); it != code.rend(); ++it) v = v * 100 + (*it >> 4) * 10 + (*it & 15);
    return v;
}

std::uint64_t recordCode(const std::vector<std::uint8_t>& rec) {
    if (rec.size() < kPluCode + kPluCodeSize) return 0;
    return codeValue(std::span(rec).subspan(kPluCode, kPluCodeSize));
}

}  // namespace

void RegisterMemory::replacePlu(std::span<const std::uint8_t> record) {
    if (record.size() < kPluCode + kPluCodeSize) return;
    const auto code = codeValue(record.subspan(kPluCode, kPluCodeSize));
    const auto count = countOf(kPluBase);
    for (std::uint32_t n = 1; n <= count; ++n) {
        auto it = records.find(static_cast<std::uint16_t>(kPluBase + n));
        if (it != records.end() && code != 0 && recordCode(it->second) == code) {
            it->second.assign(record.begin(), record.end());
            return;
        }
    }
}

void RegisterMemory::insertPlu(std::span<const std::uint8_t> record) {
    if (record.size() < kPluCode + kPluCodeSize) return;
    const auto code = codeValue(record.subspan(kPluCode, kPluCodeSize));
    const auto count = countOf(kPluBase);
    std::uint32_t at = count + 1;
    for (std::uint32_t n = 1; n <= count; ++n) {
        const auto it = records.find(static_cast<std::uint16_t>(kPluBase + n));
        const auto c = it == records.end() ? 0 : recordCode(it->second);
        if (c == code) {
            records[static_cast<std::uint16_t>(kPluBase + n)].assign(record.begin(), record.end());
            return;
        }
        if (c == 0 || c > code) {
            at = n;
            break;
        }
    }
    if (at > count) return;  // no room: the register's file is full
    for (std::uint32_t n = count; n > at; --n)
        records[static_cast<std::uint16_t>(kPluBase + n)] = records[static_cast<std::uint16_t>(kPluBase + n - 1)];
    records[static_cast<std::uint16_t>(kPluBase + at)].assign(record.begin(), record.end());
}

void RegisterMemory::deletePlu(std::span<const std::uint8_t, 7> code) {
    const auto value = codeValue(code);
    const auto count = countOf(kPluBase);
    for (std::uint32_t n = 1; n <= count && value != 0; ++n) {
        const auto it = records.find(static_cast<std::uint16_t>(kPluBase + n));
        if (it == records.end() || recordCode(it->second) != value) continue;
        for (std::uint32_t m = n; m < count; ++m)
            records[static_cast<std::uint16_t>(kPluBase + m)] = records[static_cast<std::uint16_t>(kPluBase + m + 1)];
        records[static_cast<std::uint16_t>(kPluBase + count)] = std::vector<std::uint8_t>(it->second.size(), 0);
        return;
    }
}

std::uint32_t RegisterMemory::countOf(std::uint16_t base) const {
    std::uint16_t block = base;
    std::size_t word = 0;
    if (base == 60000) {
        block = 700;
        word = 6;
    }
    auto it = blocks.find(block);
    if (it == blocks.end() || it->second.size() < word + 2) return 0;
    return bigEndian16(&it->second[word]);
}

int RegisterMemory::logoType() const {
    auto it = blocks.find(93);
    if (it == blocks.end() || it->second.size() < 18) return 0;
    return it->second[17] & 0x0F;
}

void RegisterMemory::seedFromProgram(const std::filesystem::path& appPath, int registerNumber) {
    ApplicationBlock app;
    TextBlock text;
    const auto appBytes = readOrEmpty(appPath);
    std::copy_n(appBytes.begin(), std::min(appBytes.size(), ApplicationBlock::kSize), app.bytes().begin());
    const auto txtBytes = readOrEmpty(sib(appPath, ".txt"));
    std::copy_n(txtBytes.begin(), std::min(txtBytes.size(), TextBlock::kSize), text.bytes().begin());
    for (const auto& sb : systemBlocks()) blocks[sb.number] = systemBlockToWire(app, text, sb);

    const std::uint8_t randomSize = app.u8(kAppPluRandomSizeOffset);
    for (const auto& kind : kindBlocks()) {
        const auto file = readOrEmpty(sib(appPath, std::string(kind.extension).c_str()));
        const std::uint32_t count = kindCount(app, kind);
        for (std::uint32_t n = 1; n <= count && kind.base + n <= kind.lastNumber; ++n) {
            auto rec = slicePadded(file, (n - 1) * kind.recordSize, kind.recordSize);
            swapRecord(kind, rec, randomSize);
            records[static_cast<std::uint16_t>(kind.base + n)] = std::move(rec);
        }
    }
    if (auto p = readOrEmpty(sib(appPath, ".pxt")); !p.empty()) pxt = slicePadded(p, 0, kPxtFileSize);
    if (auto c = readOrEmpty(sib(appPath, ".chk")); !c.empty()) {
        const int t = registerNumber <= 1 ? 1 : registerNumber;
        chk = slicePadded(c, 0, kChkCommonSize);
        const auto part = slicePadded(c, kChkCommonSize + static_cast<std::size_t>(t - 1) * kChkPartSize, kChkPartSize);
        chk.insert(chk.end(), part.begin(), part.end());
        swapChkBlock(chk);
    }
    if (const auto g = logoLayout(logoTypeFromSetting(app.u8(kAppLogoSettingOffset)))) {
        if (auto bmp = readOrEmpty(sib(appPath, ".bmp")); !bmp.empty()) {
            if (auto sender = LogoSender::fromBitmap(std::move(bmp), *g))
                for (int a = 0; a <= sender->lastLine(); ++a) logoLines[static_cast<std::uint16_t>(a)] = sender->buildLine(a);
        }
    }
    if (auto cst = readOrEmpty(sib(appPath, ".cst")); !cst.empty()) {
        for (int n = 1; n <= kCustomerRecords; ++n) {
            auto rec = slicePadded(cst, static_cast<std::size_t>(n - 1) * kCustomerRecordSize, kCustomerRecordSize);
            swapCustomerRecord(rec);
            customers[static_cast<std::uint16_t>(n)] = std::move(rec);
        }
    }
}

void RegisterMemory::dumpToProgram(const std::filesystem::path& appPath) const {
    ApplicationBlock app;
    TextBlock text;
    for (const auto& [n, data] : blocks)
        if (const SystemBlock* sb = findSystemBlock(n)) systemBlockFromWire(app, text, *sb, data);
    writeFileAtomic(appPath, app.bytes());
    writeFileAtomic(sib(appPath, ".txt"), text.bytes());
    const std::uint8_t randomSize = app.u8(kAppPluRandomSizeOffset);
    for (const auto& kind : kindBlocks()) {
        const std::uint32_t count = countOf(kind.base);
        std::vector<std::uint8_t> file;
        for (std::uint32_t n = 1; n <= count && kind.base + n <= kind.lastNumber; ++n) {
            auto it = records.find(static_cast<std::uint16_t>(kind.base + n));
            std::vector<std::uint8_t> rec = it != records.end() ? it->second : std::vector<std::uint8_t>(kind.recordSize, 0);
            rec.resize(kind.recordSize, 0);
            swapRecord(kind, rec, randomSize);
            file.insert(file.end(), rec.begin(), rec.end());
        }
        writeFileAtomic(sib(appPath, std::string(kind.extension).c_str()), file);
    }
    writeFileAtomic(sib(appPath, ".pxt"), pxt);
    auto c = chk;
    swapChkBlock(c);
    writeFileAtomic(sib(appPath, ".chk"), c);
    if (const auto g = logoLayout(logoType())) {
        LogoReceiver r(*g);
        for (const auto& [a, line] : logoLines) r.storeLine(a, line);
        writeFileAtomic(sib(appPath, ".bmp"), r.bitmap());
    }
    if (!customers.empty()) {
        std::vector<std::uint8_t> cst(static_cast<std::size_t>(kCustomerRecords) * kCustomerRecordSize, 0);
        for (const auto& [n, rec] : customers) {
            if (n < 1 || n > kCustomerRecords) continue;
            auto r = rec;
            r.resize(kCustomerRecordSize, 0);
            swapCustomerRecord(r);
            std::copy(r.begin(), r.end(), cst.begin() + static_cast<std::ptrdiff_t>((n - 1) * kCustomerRecordSize));
        }
        writeFileAtomic(sib(appPath, ".cst"), cst);
    }
}

}  // namespace tramond::regsim
