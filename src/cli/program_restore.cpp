#include "cli/program_restore.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "cli/program_image.h"
#include "cli/restore_marks.h"
#include "link/block_map.h"
#include "program/application_block.h"
#include "program/file_io.h"
#include "program/program_ops.h"
#include "program/staged_commit.h"
#include "program/update_list.h"

namespace tramond {
namespace fs = std::filesystem;

namespace {

// What the register compares before it takes an update: block 3 and the
// 128 bytes after it, the word it clears itself left out.
constexpr std::size_t kCheckedLength = 256;

bool sameMemoryMap(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after) {
    auto a = applicationAsLoaded(before);
    auto b = applicationAsLoaded(after);
    a.setU32(appblock::kMemoryMap + kBlock3ClearedOffset, 0);
    b.setU32(appblock::kMemoryMap + kBlock3ClearedOffset, 0);
    const auto x = a.slice(appblock::kMemoryMap, kCheckedLength);
    const auto y = b.slice(appblock::kMemoryMap, kCheckedLength);
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

const std::vector<std::uint8_t>& bytesOr(const history::FileSet& files, const std::string& name,
                                         const std::vector<std::uint8_t>& none) {
    const auto it = files.find(name);
    return it == files.end() ? none : it->second;
}

}  // namespace

RestoreOutcome restoreVersion(const fs::path& appPath, int number) {
    history::ProgramHistory history(appPath);
    const fs::path app = history.appPath();
    const fs::path dir = app.parent_path().empty() ? fs::path(".") : app.parent_path();
    const std::string stem = app.stem().string();
    const std::string appName = app.filename().string();
    const std::string updName = stem + ".upd";

    RestoreOutcome outcome;
    outcome.restored = number;
    history::FileSet target;
    try {
        target = history.files(number);
    } catch (const history::HistoryError& e) {
        throw ProgramError(e.what());
    }
    if (target.count(appName) == 0) throw ProgramError("version " + std::to_string(number) + " holds no " + appName);

    std::error_code ec;
    const bool exists = fs::exists(app, ec);
    history::FileSet current;
    if (exists) {
        outcome.kept = history.keepCurrent();
        if (!outcome.kept.warning.empty()) {
            bool changed = true;
            try {
                changed = history.changedSinceLastVersion();
            } catch (const std::exception&) {
            }
            // Restoring over files nobody can get back would lose them.
            if (changed)
                throw ProgramError("the files on disk could not be kept in the history first, so nothing was "
                                   "restored: " + outcome.kept.warning);
        }
        try {
            current = history::programFiles(app);
        } catch (const history::HistoryError& e) {
            throw ProgramError(e.what());
        }
    }

    // Every file of either side, compared byte for byte.
    std::vector<std::uint32_t> codes;
    std::vector<std::string> lines;
    const std::vector<std::uint8_t> none;
    if (exists) {
        const ApplicationBlock loaded = applicationAsLoaded(target.at(appName));
        std::set<std::string> names;
        for (const auto& [name, bytes] : current) names.insert(name);
        for (const auto& [name, bytes] : target) names.insert(name);
        for (const auto& name : names) {
            if (name == updName) continue;
            const auto extension = name == appName ? std::string(".app") : history::programExtension(stem, name);
            const auto marks = marksBetween(extension, loaded, bytesOr(current, name, none), bytesOr(target, name, none));
            codes.insert(codes.end(), marks.codes.begin(), marks.codes.end());
            lines.insert(lines.end(), marks.pluLines.begin(), marks.pluLines.end());
            if (marks.installOnly) outcome.installOnly.push_back(extension);
        }
        outcome.clearAndInstall = !sameMemoryMap(current.at(appName), target.at(appName));
    } else {
        outcome.clearAndInstall = true;
    }

    // The version's files and the update list go in place together.
    fs::path staging;
    try {
        staging = createStagingFolder(dir, stem);
        for (const auto& [name, bytes] : target)
            if (name != updName) writeFileAtomic(staging / name, bytes);
        // What was still to be sent stays to be sent, with what now differs.
        writeFileAtomic(staging / updName, bytesOr(current, updName, none));
        UpdateList updates(staging / updName);
        const auto before = updates.lines();
        updates.markMany(codes);
        updates.markLines(lines);
        for (const auto& line : updates.lines())
            if (!std::binary_search(before.begin(), before.end(), line)) outcome.marked.push_back(line);
        commitStagingFolder(staging, dir, appName);
    } catch (const std::exception& e) {
        if (!staging.empty()) releaseStagingFolder(staging);
        throw ProgramError("version " + std::to_string(number) + " could not be put back (" + e.what() +
                           "); the program is unchanged");
    }
    // Files the version did not have (a logo or network keyboard made
    // later) go too; they were kept in the history above.
    for (const auto& [name, bytes] : current)
        if (name != updName && target.count(name) == 0) fs::remove(dir / name, ec);

    outcome.recorded = history.record({history::Event::Restore, "version " + std::to_string(number), {}, false});
    return outcome;
}

std::string restoreSummary(const RestoreOutcome& o) {
    std::string text = "Version " + std::to_string(o.restored) + " was put back";
    if (o.recorded.recorded) text += " and recorded as version " + std::to_string(o.recorded.version);
    text += ".\n";
    if (o.clearAndInstall) {
        text += "Its memory map differs from the program it replaced: use Clear & Install Register.\n";
    } else if (o.marked.empty() && o.installOnly.empty()) {
        text += "Nothing differs from the program it replaced; nothing was marked.\n";
    } else {
        text += std::to_string(o.marked.size()) + (o.marked.size() == 1 ? " change was" : " changes were") +
                " marked for Update Register.\n";
    }
    if (!o.clearAndInstall && !o.installOnly.empty()) {
        std::string files;
        for (const auto& e : o.installOnly) files += (files.empty() ? "" : ", ") + e;
        text += "Only Install Register sends the changed " + files + " file.\n";
    }
    if (!o.recorded.warning.empty()) text += history::warningText(o.recorded) + "\n";
    return text;
}

}  // namespace tramond
