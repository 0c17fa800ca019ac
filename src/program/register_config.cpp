#include "program/register_config.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "program/default_records.h"
#include "program/file_io.h"
#include "program/program_changes.h"
#include "program/session.h"

namespace tramond {

static_assert(kCheckFileSize == kConfigCommonSize + kConfigPartSize);

ConfigCommon defaultConfigCommon() {
    const auto file = defaultCheckFile();
    ConfigCommon c{};
    std::copy_n(file.begin(), kConfigCommonSize, c.begin());
    return c;
}

ConfigPart defaultConfigPart() {
    const auto file = defaultCheckFile();
    ConfigPart p{};
    std::copy_n(file.begin() + kConfigCommonSize, kConfigPartSize, p.begin());
    return p;
}

std::size_t configPartOffset(int machine) {
    if (machine < 0 || machine > 255) throw std::out_of_range("machine " + std::to_string(machine));
    const int part = machine == 0 ? 1 : machine;
    return kConfigCommonSize + kConfigPartSize * static_cast<std::size_t>(part - 1);
}

RegisterConfigFile RegisterConfigFile::of(const std::filesystem::path& appPath) {
    auto p = appPath;
    p.replace_extension(".chk");
    return RegisterConfigFile(p);
}

bool RegisterConfigFile::exists() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(path_, ec);
}

void RegisterConfigFile::ensure() const {
    if (!exists()) writeDefaultCheckFile(path_);
}

int RegisterConfigFile::partCount() const {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path_, ec);
    if (ec || size <= kConfigCommonSize) return 0;
    return static_cast<int>((size - kConfigCommonSize + kConfigPartSize - 1) / kConfigPartSize);
}

RegisterConfigFile RegisterConfigFile::forEditing(const ProgramSession& session) {
    auto file = of(session.programPath);
    file.marks_ = session.updateList();
    return file;
}

bool RegisterConfigFile::holdsPart(int machine) const {
    const int part = machine == 0 ? 1 : machine;
    return part <= partCount();
}

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> slice(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::array<std::uint8_t, N> out{};
    if (offset < bytes.size())
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), std::min(N, bytes.size() - offset),
                    out.begin());
    return out;
}

}  // namespace

ConfigCommon RegisterConfigFile::readCommon() const { return slice<kConfigCommonSize>(readFile(path_), 0); }

ConfigPart RegisterConfigFile::readPart(int machine) const {
    return slice<kConfigPartSize>(readFile(path_), configPartOffset(machine));
}

void RegisterConfigFile::writeAt(std::size_t offset, const std::uint8_t* data, std::size_t size) const {
    std::vector<std::uint8_t> bytes;
    if (exists()) {
        bytes = readFile(path_);
    } else {
        const auto d = defaultCheckFile();
        bytes.assign(d.begin(), d.end());
    }
    if (bytes.size() < offset + size) bytes.resize(offset + size, 0);
    std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    if (marks_)
        writeProgramFile(*marks_, ApplicationBlock{}, path_, bytes);
    else
        writeFileAtomic(path_, bytes);
}

void RegisterConfigFile::writeCommon(const ConfigCommon& common) const {
    writeAt(0, common.data(), common.size());
}

void RegisterConfigFile::writePart(int machine, const ConfigPart& part) const {
    writeAt(configPartOffset(machine), part.data(), part.size());
}

DectTable dectTable(const ConfigPart& part) {
    DectTable t;
    for (int k = 0; k < kDectChannels; ++k) {
        const auto* e = part.data() + kDectEntrySize * static_cast<std::size_t>(k);
        const auto* end = std::find(e, e + kDectIdSize, std::uint8_t{0});
        t[static_cast<std::size_t>(k)].id.assign(e, end);
        t[static_cast<std::size_t>(k)].type = e[kDectIdSize];
    }
    return t;
}

void setDectTable(ConfigPart& part, const DectTable& table) {
    for (int k = 0; k < kDectChannels; ++k) {
        auto* e = part.data() + kDectEntrySize * static_cast<std::size_t>(k);
        const auto& entry = table[static_cast<std::size_t>(k)];
        std::fill_n(e, kDectIdSize, std::uint8_t{0});
        std::copy_n(entry.id.begin(), std::min(entry.id.size(), kDectIdDigits), e);
        e[kDectIdSize] = entry.type;
    }
}

}  // namespace tramond
