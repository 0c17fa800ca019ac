#include "keyboard/keyboard_file.h"

#include "program/file_io.h"
#include "program/keyboard_header.h"

namespace tramond {

std::optional<KeyboardFile> KeyboardFile::read(const std::filesystem::path& path, ApplicationBlock& app) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return std::nullopt;
    const auto bytes = readFile(path);
    KeyboardFile f(path);
    if (bytes.size() >= kKeyboardHeaderSize) {
        applyKeyboardHeader(app, bytes);
        f.headerRead_ = true;
    }
    for (std::size_t i = 0; i < f.reserved_.size() && kKeyboardHeaderSize + i < bytes.size(); ++i)
        f.reserved_[i] = bytes[kKeyboardHeaderSize + i];
    for (std::size_t p = 0; p < kRecords; ++p) {
        const auto at = kKeyRecordsOffset + p * KeyRecord::kSize;
        if (at + KeyRecord::kSize <= bytes.size())
            f.records_[p] = KeyRecord(std::span(bytes).subspan(at, KeyRecord::kSize));
        else
            f.missing_.push_back(static_cast<int>(p));
    }
    if (bytes.size() > kFullSize) f.trailing_.assign(bytes.begin() + kFullSize, bytes.end());
    return f;
}

void KeyboardFile::write(const ApplicationBlock& app) const { writeFileAtomic(path_, image(app)); }

std::vector<std::uint8_t> KeyboardFile::image(const ApplicationBlock& app) const {
    std::vector<std::uint8_t> out;
    out.reserve(kFullSize + trailing_.size());
    const auto header = keyboardHeader(app);
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), reserved_.begin(), reserved_.end());
    for (const auto& r : records_) out.insert(out.end(), r.bytes().begin(), r.bytes().end());
    out.insert(out.end(), trailing_.begin(), trailing_.end());
    return out;
}

}  // namespace tramond
