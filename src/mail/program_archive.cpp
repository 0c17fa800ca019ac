#include "mail/program_archive.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <system_error>

namespace tramond {

namespace fs = std::filesystem;

fs::path archivePathFor(const fs::path& chosen) {
    fs::path archive = chosen;
    archive.replace_extension(".zip");
    return archive;
}

std::vector<fs::path> programFiles(const fs::path& chosen) {
    // The base name as the dealer's "bar.*" means it: everything up to the
    // last dot, followed by a dot.
    const std::string prefix = chosen.stem().string() + ".";
    const fs::path archive = archivePathFor(chosen);
    const fs::path dir = chosen.has_parent_path() ? chosen.parent_path() : fs::path(".");
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        if (name == archive.filename().string()) continue;
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) continue;
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

bool syncFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

fs::path temporaryBeside(const fs::path& archive) {
    static std::atomic<unsigned> serial{0};
    // Hidden, and not starting with the base name, so it never looks like a
    // file of the program.
    return archive.parent_path() / ("." + archive.filename().string() + "." + std::to_string(::getpid()) + "-" +
                                    std::to_string(serial++) + ".part");
}

}  // namespace

ArchiveResult packProgram(const fs::path& chosen) {
    ArchiveResult result;
    result.archive = archivePathFor(chosen);
    auto fail = [&](const std::string& why) {
        result.error = "Cannot pack the program into " + result.archive.string() + ": " + why;
        result.names.clear();
        return result;
    };
    std::error_code ec;
    if (!fs::is_regular_file(chosen, ec)) return fail(chosen.string() + " cannot be found");
    const auto files = programFiles(chosen);

    const fs::path temporary = temporaryBeside(result.archive);
    fs::remove(temporary, ec);
    int openError = 0;
    zip_t* zip = zip_open(temporary.c_str(), ZIP_CREATE | ZIP_EXCL, &openError);
    if (!zip) return fail(zipErrorText(openError));

    for (const auto& file : files) {
        const std::string name = file.filename().string();
        zip_source_t* source = zip_source_file(zip, file.c_str(), 0, -1);
        zip_int64_t index = -1;
        if (source) {
            index = zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
            if (index < 0) zip_source_free(source);
        }
        if (index < 0) {
            const std::string why = name + ": " + zip_strerror(zip);
            zip_discard(zip);
            fs::remove(temporary, ec);
            return fail(why);
        }
        result.names.push_back(name);
    }
    // The files are read here: one that vanished or cannot be read fails the
    // close, and libzip leaves no partial archive behind.
    if (zip_close(zip) != 0) {
        const std::string why = zip_strerror(zip);
        zip_discard(zip);
        fs::remove(temporary, ec);
        return fail(why);
    }
    if (!syncFile(temporary)) {
        fs::remove(temporary, ec);
        return fail("cannot write " + temporary.string());
    }
    fs::rename(temporary, result.archive, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(temporary, ec);
        return fail(why);
    }
    return result;
}

}  // namespace tramond
