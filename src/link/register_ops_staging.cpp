#include "link/register_ops_staging.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <system_error>

#include "program/file_io.h"

namespace tramond {
namespace fs = std::filesystem;

namespace {

std::string uniqueSuffix() {
    std::random_device rd;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::to_string(now) + "-" + std::to_string(rd());
}

fs::path withExtension(const fs::path& app, std::string_view extension) {
    auto p = app;
    p.replace_extension(fs::path(std::string(extension)));
    return p;
}

}  // namespace

LoadStaging::LoadStaging(fs::path targetApp) : target_(std::move(targetApp)) {
    auto dir = target_.parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    for (int attempt = 0; attempt < 5; ++attempt) {
        folder_ = dir / (std::string(kFolderPrefix) + target_.stem().string() + "-" + uniqueSuffix());
        if (fs::create_directory(folder_, ec)) return;
    }
    throw FileError("Cannot create a working folder in \"" + dir.string() + "\": " + ec.message());
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
    std::vector<fs::path> staged;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder_, ec))
        if (e.is_regular_file()) staged.push_back(e.path());
    if (ec) throw FileError("Cannot read \"" + folder_.string() + "\": " + ec.message());
    // The ".app" goes last: until it has moved, the old program is still
    // the one the application file describes.
    std::stable_partition(staged.begin(), staged.end(),
                          [&](const fs::path& p) { return p.filename() != target_.filename(); });

    const auto backup = folder_ / "previous";
    fs::create_directory(backup, ec);
    if (ec) throw FileError("Cannot create \"" + backup.string() + "\": " + ec.message());

    struct Move {
        fs::path placed;  // where the new file now is
        fs::path saved;   // where the old one went; empty when there was none
    };
    std::vector<Move> done;
    auto rollBack = [&] {
        std::error_code ignore;
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            fs::remove(it->placed, ignore);
            if (!it->saved.empty()) fs::rename(it->saved, it->placed, ignore);
        }
    };
    const auto dir = target_.parent_path().empty() ? fs::path(".") : target_.parent_path();
    for (const auto& file : staged) {
        const auto dest = dir / file.filename();
        Move m{dest, {}};
        if (fs::exists(dest, ec)) {
            m.saved = backup / file.filename();
            fs::rename(dest, m.saved, ec);
            if (ec) {
                rollBack();
                throw FileError("Cannot replace \"" + dest.string() + "\": " + ec.message());
            }
        }
        fs::rename(file, dest, ec);
        if (ec) {
            if (!m.saved.empty()) {
                std::error_code ignore;
                fs::rename(m.saved, dest, ignore);
            }
            rollBack();
            throw FileError("Cannot write \"" + dest.string() + "\": " + ec.message());
        }
        done.push_back(std::move(m));
    }
    discard();
}

void LoadStaging::discard() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
    done_ = true;
}

}  // namespace tramond
