#include "editors/shared_pb_info.h"

#include <algorithm>
#include <fstream>

#include "program/file_io.h"
#include "program/program_changes.h"

namespace tramond {

namespace {

constexpr char kCouldNotCreate[] = "Could not create file!";
constexpr char kNotPassive[] =
    "Choosen application does not have activated \"PbInfo File sharing\" or \"Passive PbInfo File\"!";
constexpr char kDifferentSettings[] = "You need to make the same settings for PbInfo File in both applications!";

std::string listText(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

}  // namespace

SharedPbInfoController::SharedPbInfoController(ProgramSession& session, const LanguageTexts& texts,
                                               EditorPrompts& prompts)
    : session_(session), texts_(texts), prompts_(prompts) {}

void SharedPbInfoController::open() {
    const auto settings = session_.app.u8(pbshare::kSettings);
    sharing = (settings & pbshare::kSharing) != 0;
    active = sharing && (settings & pbshare::kActive) != 0;
    programs.clear();
    const auto stf = session_.file(".stf");
    std::error_code ec;
    if (std::filesystem::exists(stf, ec)) {
        std::ifstream in(stf);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) programs.push_back(line);
        }
        return;
    }
    try {
        writeTextFileAtomic(stf, "");
    } catch (const FileError&) {
        prompts_.show({MessageKind::Error, messageText(texts_, msg::kError, "Error"), kCouldNotCreate});
    }
}

bool SharedPbInfoController::addApplication(const std::filesystem::path& app) {
    std::vector<std::uint8_t> other;
    try {
        other = readFile(app);
    } catch (const FileError&) {
    }
    // Only a whole application block can be compared with ours.
    if (other.size() != ApplicationBlock::kSize) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return false;
    }
    const auto settings = other[pbshare::kSettings];
    if ((settings & pbshare::kSharing) == 0 || (settings & pbshare::kActive) != 0) {
        prompts_.show({MessageKind::Error, messageText(texts_, msg::kError, "Error"), kNotPassive});
        return false;
    }
    const auto& ours = session_.app;
    const auto count = static_cast<std::uint16_t>(other[pbshare::kPbCount] | (other[pbshare::kPbCount + 1] << 8));
    if (count != ours.u16(pbshare::kPbCount) || other[pbshare::kPbFlags] != ours.u8(pbshare::kPbFlags) ||
        other[pbshare::kPbTextSize] != ours.u8(pbshare::kPbTextSize)) {
        prompts_.show({MessageKind::Error, messageText(texts_, msg::kError, "Error"), kDifferentSettings});
        return false;
    }
    const auto name = app.string();
    if (std::find(programs.begin(), programs.end(), name) == programs.end()) programs.push_back(name);
    return true;
}

void SharedPbInfoController::remove(int line) {
    if (line >= 0 && line < static_cast<int>(programs.size())) programs.erase(programs.begin() + line);
}

bool SharedPbInfoController::ok() {
    auto block = session_.app;
    auto settings = static_cast<std::uint8_t>(block.u8(pbshare::kSettings) & ~(pbshare::kSharing | pbshare::kActive));
    if (sharing) settings |= pbshare::kSharing;
    if (sharing && active) settings |= pbshare::kActive;
    block.setU8(pbshare::kSettings, settings);

    // The ".app" is rewritten only where it exists; until it is, neither the
    // block in memory nor the list changes.
    std::error_code ec;
    try {
        if (!std::filesystem::is_regular_file(session_.programPath, ec)) throw FileError("no application file");
        // Byte 2566 travels in block 93: marked with the write, or the
        // sharing bits never reach the register by Update.
        writeProgramFile(session_.updateList(), block, session_.programPath, block.bytes());
    } catch (const std::exception&) {
        prompts_.show(msg::errorOpeningFile(texts_));
        return false;
    }
    session_.app = block;
    if (!sharing) {
        active = false;
        programs.clear();
    }
    try {
        writeTextFileAtomic(session_.file(".stf"), listText(programs));
    } catch (const FileError&) {
        prompts_.show({MessageKind::Error, messageText(texts_, msg::kError, "Error"), kCouldNotCreate});
        return false;
    }
    return true;
}

}  // namespace tramond
