#include "program/keyboard_header.h"

#include <algorithm>
#include <stdexcept>

#include "program/file_io.h"
#include "program/file_set.h"

namespace tramond {

std::array<std::uint8_t, kKeyboardHeaderSize> keyboardHeader(const ApplicationBlock& app) {
    std::array<std::uint8_t, kKeyboardHeaderSize> h{};
    for (const auto& r : kKeyboardRegions) {
        const auto src = app.slice(r.blockOffset, r.length);
        std::copy(src.begin(), src.end(), h.begin() + static_cast<std::ptrdiff_t>(r.fileOffset));
    }
    return h;
}

void applyKeyboardHeader(ApplicationBlock& app, std::span<const std::uint8_t> header) {
    if (header.size() < kKeyboardHeaderSize)
        throw std::invalid_argument("keyboard header of " + std::to_string(header.size()) + " bytes");
    for (const auto& r : kKeyboardRegions) {
        const auto src = header.subspan(r.fileOffset, r.length);
        std::copy(src.begin(), src.end(), app.slice(r.blockOffset, r.length).begin());
    }
}

SideFileRead readKeyboardHeader(const std::filesystem::path& file, ApplicationBlock& app) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return SideFileRead::Missing;
    const auto bytes = readFile(file);
    if (bytes.size() < kKeyboardHeaderSize) return SideFileRead::Short;
    applyKeyboardHeader(app, bytes);
    return SideFileRead::Read;
}

void writeKeyboardHeader(const std::filesystem::path& file, const ApplicationBlock& app) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        throw FileError("Cannot update the keyboard file \"" + file.string() + "\": it does not exist");
    auto bytes = readFile(file);
    if (bytes.size() < kKeyRecordsOffset) bytes.resize(kKeyRecordsOffset, 0);
    const auto h = keyboardHeader(app);
    std::copy(h.begin(), h.end(), bytes.begin());
    writeFileAtomic(file, bytes);
}

SideFileRead loadMachineKeyboard(ProgramSession& session, int machine) {
    if (session.programPath.empty() || !session.app.get(appblock::kIndividualKeyboards)) return SideFileRead::Skipped;
    return readKeyboardHeader(fileset::keyboardFile(session.programPath, machine), session.app);
}

}  // namespace tramond
