#include "link/send_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/block_map.h"
#include "link/logo.h"
#include "program/file_io.h"
#include "program/file_set.h"
#include "program/text_block.h"

namespace tramond {
namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

bool allDigits(const std::string& s) {
    return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string checkFilesForSending(const std::vector<SendFileNeed>& needs) {
    for (const auto& need : needs) {
        // Non-blocking: a FIFO in a program file's place must not stall the
        // check; it is refused as not a regular file.
        const int fd = ::open(need.file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            const int err = errno;
            if (err == ENOENT) return "Cannot send the program: " + quoted(need.file) + " does not exist";
            return "Cannot send the program: " + quoted(need.file) + " cannot be read: " + std::strerror(err);
        }
        struct stat st {};
        const bool statted = ::fstat(fd, &st) == 0;
        ::close(fd);
        if (!statted || !S_ISREG(st.st_mode))
            return "Cannot send the program: " + quoted(need.file) + " is not a regular file";
        if (need.exact && static_cast<std::uint64_t>(st.st_size) != need.bytes)
            return "Cannot send the program: " + quoted(need.file) + " holds " + std::to_string(st.st_size) +
                   " bytes, it must hold exactly " + std::to_string(need.bytes);
        if (static_cast<std::uint64_t>(st.st_size) < need.bytes)
            return "Cannot send the program: " + quoted(need.file) + " holds " + std::to_string(st.st_size) +
                   " bytes, the program's counts need " + std::to_string(need.bytes);
    }
    return {};
}

std::string checkUpdatePlan(const UpdatePlan& plan, const ApplicationBlock& app, const fs::path& appPath,
                            bool pluByCode, std::vector<SendFileNeed>& needs) {
    for (const auto& line : plan.ignored) {
        if (pluByCode && allDigits(line)) {
            const long code = std::stol(line);
            const auto* kind = findKindForRecord(static_cast<std::uint32_t>(code));
            if (kind && kind->extension == ".plu") continue;
        }
        return "The update file holds \"" + line + "\", which is no change code of this program; nothing was sent";
    }
    for (const auto& group : plan.recordGroups) {
        std::uint64_t bytes = 0;
        for (auto code : group.codes) {
            // A kind header's own code travels from the application block.
            if (findSystemBlock(code)) continue;
            const KindBlock* kind = findKindForRecord(code);
            const std::uint32_t count = kind ? kindCount(app, *kind) : 0;
            if (!kind || code <= kind->base || code - kind->base > count)
                return "Update code " + std::to_string(code) + " names no record of " +
                       quoted(fileset::sibling(appPath, group.info->extension)) + " (the program has " +
                       std::to_string(count) + "); nothing was sent";
            bytes = std::max<std::uint64_t>(bytes, std::uint64_t{code - kind->base} * kind->recordSize);
        }
        if (bytes > 0) needs.push_back({fileset::sibling(appPath, group.info->extension), bytes});
    }
    return {};
}

SendFileNeed textFileNeed(const fs::path& appPath) {
    return {fileset::sibling(appPath, ".txt"), TextBlock::kSize, true};
}

std::string checkLogoForSending(const fs::path& appPath, const ApplicationBlock& app) {
    const auto g = logoLayout(logoTypeFromSetting(app.u8(kAppLogoSettingOffset)));
    if (!g) return {};
    const auto bmp = fileset::sibling(appPath, ".bmp");
    if (auto why = checkFilesForSending({{bmp, 0}}); !why.empty()) return why;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readFile(bmp);
    } catch (const FileError& e) {
        return e.what();
    }
    std::string why;
    if (!LogoSender::fromBitmap(std::move(bytes), *g, &why))
        return "Cannot send the program: the logo " + quoted(bmp) + " is damaged: " + why;
    return {};
}

}  // namespace tramond
