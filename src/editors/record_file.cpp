#include "editors/record_file.h"

#include <algorithm>
#include <system_error>

namespace tramond {

bool RecordFile::open(const std::filesystem::path& path, std::size_t recordSize, bool writable) {
    close();
    recordSize_ = recordSize;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    auto mode = std::ios::binary | std::ios::in;
    if (writable) mode |= std::ios::out;
    stream_.open(path, mode);
    return stream_.is_open();
}

void RecordFile::close() {
    if (stream_.is_open()) stream_.close();
    stream_.clear();
}

std::size_t RecordFile::recordsInFile() {
    if (!stream_.is_open() || recordSize_ == 0) return 0;
    stream_.clear();
    stream_.seekg(0, std::ios::end);
    const auto end = stream_.tellg();
    if (end < 0) return 0;
    return static_cast<std::size_t>(end) / recordSize_;
}

bool RecordFile::read(std::size_t index, std::span<std::uint8_t> out) {
    if (!stream_.is_open() || out.size() != recordSize_) return false;
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(index * recordSize_));
    stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    const bool ok = stream_.gcount() == static_cast<std::streamsize>(out.size());
    stream_.clear();
    return ok;
}

bool RecordFile::write(std::size_t index, std::span<const std::uint8_t> data) {
    if (!stream_.is_open() || data.size() != recordSize_) return false;
    stream_.clear();
    stream_.seekp(static_cast<std::streamoff>(index * recordSize_));
    stream_.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    stream_.flush();
    const bool ok = static_cast<bool>(stream_);
    stream_.clear();
    return ok;
}

std::size_t charCount(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string cutToChars(std::string_view utf8, std::size_t n) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (chars == n) return std::string(utf8.substr(0, i));
            ++chars;
        }
    }
    return std::string(utf8);
}

std::string readDescriptor(std::span<const std::uint8_t> record, std::size_t offset, std::size_t field) {
    if (offset >= record.size() || field == 0) return {};
    const auto len = std::min(field - 1, record.size() - offset);
    return oemToUtf8(record.subspan(offset, len));
}

void writeDescriptor(std::span<std::uint8_t> record, std::size_t offset, std::size_t field,
                     std::string_view text, std::size_t maxChars) {
    if (offset >= record.size() || field == 0) return;
    field = std::min(field, record.size() - offset);
    std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(offset), field, std::uint8_t{0});
    const auto oem = utf8ToOem(text);
    const auto n = std::min({oem.size(), maxChars, field - 1});
    std::copy_n(oem.begin(), n, record.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::vector<std::string> readDescriptorList(const std::filesystem::path& path, std::size_t recordSize,
                                            std::size_t count, std::size_t offset, std::size_t field) {
    return tryReadDescriptorList(path, recordSize, count, offset, field).value_or(std::vector<std::string>{});
}

std::optional<std::vector<std::string>> tryReadDescriptorList(const std::filesystem::path& path, std::size_t recordSize,
                                                              std::size_t count, std::size_t offset,
                                                              std::size_t field) {
    std::vector<std::string> out;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto available = recordSize ? std::min(count, all.size() / recordSize) : 0;
    out.reserve(available);
    std::span<const std::uint8_t> bytes(all);
    for (std::size_t i = 0; i < available; ++i)
        out.push_back(readDescriptor(bytes.subspan(i * recordSize, recordSize), offset, field));
    return out;
}

}  // namespace tramond
