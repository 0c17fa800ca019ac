#include "link/register_ops_staging.h"

#include <system_error>

#include "program/file_io.h"
#include "program/file_set.h"
#include "program/staged_commit.h"

namespace tramond {
namespace fs = std::filesystem;

namespace {

fs::path withExtension(const fs::path& app, std::string_view extension) {
    auto p = app;
    p.replace_extension(fs::path(std::string(extension)));
    return p;
}

fs::path folderOf(const fs::path& target) {
    return target.parent_path().empty() ? fs::path(".") : target.parent_path();
}

}  // namespace

std::string unusableLoadTarget(const fs::path& targetApp) {
    std::vector<fs::path> files{targetApp};
    for (auto ext : fileset::kProgramExtensions) files.push_back(fileset::sibling(targetApp, ext));
    for (const auto& f : files)
        if (auto why = unusableCommitDestination(folderOf(targetApp), f.filename().string()); !why.empty())
            return "Cannot load the program into \"" + targetApp.string() + "\": " + why;
    return {};
}

LoadStaging::LoadStaging(fs::path targetApp) : target_(std::move(targetApp)) {
    // A load that was cut short finishes (or its leftovers go) before a new
    // one starts beside it.
    recoveryProblems_ = recoverStagingFolders(folderOf(target_));
    folder_ = createStagingFolder(folderOf(target_), target_.stem().string());
}

LoadStaging::~LoadStaging() {
    if (!done_) discard();
}

fs::path LoadStaging::stagedApp() const { return folder_ / target_.filename(); }

fs::path LoadStaging::staged(std::string_view extension) const {
    return withExtension(stagedApp(), extension);
}

bool LoadStaging::adoptExisting(std::string_view extension) {
    const auto from = withExtension(target_, extension);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return false;
    fs::copy_file(from, staged(extension), fs::copy_options::overwrite_existing, ec);
    if (ec) throw FileError("Cannot read \"" + from.string() + "\": " + ec.message());
    return true;
}

void LoadStaging::commit() {
    commitStagingFolder(folder_, folderOf(target_), target_.filename().string());
    done_ = true;
}

void LoadStaging::discard() {
    releaseStagingFolder(folder_);
    done_ = true;
}

}  // namespace tramond
