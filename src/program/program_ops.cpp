#include "program/program_ops.h"

#include <algorithm>
#include <fstream>
#include <string_view>

#include "program/default_logo.h"
#include "program/default_records.h"
#include "program/file_io.h"
#include "program/file_set.h"
#include "program/keyboard_header.h"
#include "program/machine_printer.h"
#include "program/record_kinds.h"
#include "program/staged_commit.h"

namespace tramond {
namespace {

namespace ab = appblock;
namespace fs = std::filesystem;

constexpr int kMaxNetworkSize = 24;
// Individual keyboard and printer files that may lie beside any program,
// whatever its network size says.
constexpr int kLastKeyboardFile = 9;
constexpr int kLastPrinterFile = 9;

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        const bool eq = fs::equivalent(a, b, ec);
        if (!ec) return eq;
    }
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// Every file that belongs to the program at appPath besides the ".app".
std::vector<fs::path> programFiles(const fs::path& appPath) {
    std::vector<fs::path> files;
    for (auto ext : fileset::kProgramExtensions) files.push_back(fileset::sibling(appPath, ext));
    for (int n = 2; n <= kLastKeyboardFile; ++n) files.push_back(fileset::keyboardFile(appPath, n));
    for (int n = 1; n <= kLastPrinterFile; ++n) files.push_back(fileset::printerFile(appPath, n));
    return files;
}

void copyWhole(const fs::path& from, const fs::path& to) { writeFileAtomic(to, readFile(from)); }

std::string joinFailures(std::string_view what, const std::vector<std::string>& failures) {
    std::string msg(what);
    for (const auto& f : failures) msg += "\n" + f;
    return msg;
}

// Clears a place for a copied program: files an earlier program left under
// the same name would otherwise turn up as records of the copy.
void clearProgramPlace(const fs::path& appPath) {
    for (const auto& f : programFiles(appPath)) {
        if (!isFile(f)) continue;
        std::error_code ec;
        if (!fs::remove(f, ec) || ec)
            throw FileError("Cannot remove \"" + f.string() + "\" of the program being replaced: " + ec.message());
    }
}

MemoryRequirement settleBlock(ApplicationBlock& app) {
    const int extra = app.get(ab::kClerkTime) ? 40 : 2;
    app.setKindRecordLength(ab::kClerk, static_cast<std::uint16_t>(app.kindDescriptorLength(ab::kClerk) + extra));
    return recomputeSizes(app);
}

// Steps that run after every load attempt that got past the size check.
void settleLoadedState(ProgramSession& s, LoadResult& r) {
    if (s.app.flag(ab::kFlagNetworkSize) != 0 &&
        (s.app.get(ab::kIndividualKeyboards) || s.app.get(ab::kIndividualPrinters)))
        s.machineNumber = 1;
    else
        // Without individual settings the block holds the program's own;
        // a number left from the previous program would name the wrong files.
        s.machineNumber = 0;
    r.memory = settleBlock(s.app);
}

// What a load repairs in the block it read.
void repairLoadedBlock(ApplicationBlock& app) {
    app.setOption(59, 5, false);
    applyFixedValues(app);
    settleBlock(app);
}

void readTextFile(ProgramSession& s, LoadResult& r) {
    const auto txt = s.file(".txt");
    std::error_code ec;
    if (fs::exists(txt, ec) && !isFile(txt)) {
        // Built-in texts in its place would reach the register unnoticed.
        r.textsUnreadable = true;
        r.warnings.push_back("Cannot read \"" + txt.string() + "\": it is not a regular file");
        return;
    }
    try {
        if (isFile(txt)) {
            const auto bytes = readFile(txt);
            // A short file fills only the start; the rest keeps what the block held.
            std::copy_n(bytes.begin(), std::min(bytes.size(), TextBlock::kSize), s.text.bytes().begin());
        } else {
            writeFileAtomic(txt, s.text.bytes());
        }
    } catch (const FileError& e) {
        if (isFile(txt)) r.textsUnreadable = true;
        r.warnings.push_back(e.what());
    }
}

}  // namespace

const char* loadOutcomeMessage(LoadOutcome outcome) {
    switch (outcome) {
        case LoadOutcome::Loaded: return "";
        case LoadOutcome::FileError: return "File Error!";
        case LoadOutcome::WrongApplication: return "Wrong Application!";
        case LoadOutcome::OpenError: return "Error opening File !!";
        case LoadOutcome::Unfinished: return "The program's last load from the register is not finished";
    }
    return "";
}

void restoreMachineOne(ProgramSession& session) {
    std::vector<std::string> ignored;
    restoreMachineOne(session, ignored);
}

void restoreMachineOne(ProgramSession& s, std::vector<std::string>& warnings) {
    if (s.machineNumber == 0 || s.machineNumber == 1 || s.programPath.empty()) return;
    try {
        readKeyboardHeader(fileset::keyboardFile(s.programPath, 1), s.app);
    } catch (const FileError& e) {
        warnings.push_back(e.what());
    }
    try {
        readMachinePrinterFile(s.programPath, 1, s.app);
    } catch (const FileError& e) {
        warnings.push_back(e.what());
    }
    try {
        writeFileAtomic(s.programPath, s.app.bytes());
    } catch (const FileError& e) {
        warnings.push_back(e.what());
    }
    s.machineNumber = 1;
}

LoadResult loadProgram(ProgramSession& s, const fs::path& path) {
    LoadResult r;
    restoreMachineOne(s, r.warnings);

    // A load from the register that was cut short is finished first, so
    // that what is read here is one whole program.
    if (auto why = finishInterruptedLoads(path, &r.warnings); !why.empty()) {
        r.warnings.push_back(std::move(why));
        r.outcome = LoadOutcome::Unfinished;
        return r;
    }
    removeAbandonedTemporaries(path.parent_path(), path.stem().string());

    std::uintmax_t size = 0;
    {
        std::error_code ec;
        // The type is checked before opening: opening a FIFO would wait for
        // a writer forever.
        if (!isFile(path)) {
            r.outcome = LoadOutcome::FileError;
            return r;
        }
        std::ifstream probe(path, std::ios::binary);
        if (!probe) {
            r.outcome = LoadOutcome::FileError;
            return r;
        }
        size = fs::file_size(path, ec);
        if (ec) {
            r.outcome = LoadOutcome::FileError;
            return r;
        }
    }
    if (size != ApplicationBlock::kSize) {
        r.outcome = LoadOutcome::WrongApplication;
        return r;
    }

    std::vector<std::uint8_t> bytes;
    try {
        bytes = readFile(path);
    } catch (const FileError&) {
        r.outcome = LoadOutcome::OpenError;
        settleLoadedState(s, r);
        return r;
    }
    if (bytes.size() != ApplicationBlock::kSize) {  // changed under our feet
        r.outcome = LoadOutcome::WrongApplication;
        return r;
    }

    std::copy(bytes.begin(), bytes.end(), s.app.bytes().begin());
    s.app.setOption(59, 5, false);
    applyFixedValues(s.app);
    s.programPath = path;
    s.loaded = true;
    try {
        s.updateList().ensureExists();
    } catch (const FileError& e) {
        r.warnings.push_back(e.what());
    }
    readTextFile(s, r);
    settleLoadedState(s, r);
    // Only what the load repaired goes back: a command that changes nothing
    // (a listing, a refused send) leaves the file as it was.
    if (!std::equal(bytes.begin(), bytes.end(), s.app.bytes().begin())) {
        try {
            writeFileAtomic(path, s.app.bytes());
        } catch (const FileError& e) {
            r.warnings.push_back(e.what());
        }
    }
    return r;
}

LoadResult createProgram(ProgramSession& s, const fs::path& chosen) {
    const auto target = fileset::sibling(chosen, ".app");
    const bool fromLoaded = s.loaded && !s.programPath.empty();

    TextBlock text = s.text;
    if (fromLoaded) text.resetDescriptorWords();

    // The program being replaced stays whole until the new one is complete
    // beside it; then one commit swaps them, as a load from the register does.
    if (auto why = finishInterruptedLoads(target); !why.empty()) throw FileError(why);
    const auto folder = createStagingFolder(target.parent_path(), target.stem().string());
    struct Release {
        fs::path folder;
        ~Release() { releaseStagingFolder(folder); }
    } release{folder};
    const auto staged = folder / target.filename();
    auto stagedFile = [&](std::string_view ext) { return fileset::sibling(staged, ext); };

    // The application block goes in as the load would leave it, so that the
    // load after the swap has nothing to write back.
    ApplicationBlock app = s.app;
    if (fromLoaded) {
        const auto bytes = readFile(s.programPath);
        if (bytes.size() != ApplicationBlock::kSize)
            throw FileError("Cannot copy \"" + s.programPath.string() + "\": it is no longer an application file");
        std::copy(bytes.begin(), bytes.end(), app.bytes().begin());
    }
    repairLoadedBlock(app);
    writeFileAtomic(staged, app.bytes());
    bool haveText = false;
    if (fromLoaded) {
        for (auto ext : {".txt", ".kbf"}) {
            const auto from = s.file(ext);
            if (!isFile(from)) continue;
            copyWhole(from, stagedFile(ext));
            haveText = haveText || std::string_view(ext) == ".txt";
        }
    }
    // Without a text file to copy, the load would write the texts in
    // memory: written here, a full disk stops the creation instead.
    if (!haveText) writeFileAtomic(stagedFile(".txt"), (fromLoaded ? text : s.text).bytes());
    writeTextFileAtomic(stagedFile(".upd"), std::string());

    auto make = [&](RecordKind kind) { createRecordFile(stagedFile(kindInfo(kind).extension), kind, app, text); };
    using K = RecordKind;
    for (auto kind : {K::Department, K::Plu, K::Group, K::Tender, K::Drawer, K::Correction, K::Currency, K::Discount,
                      K::PoRa, K::Tax, K::PbFunction})
        make(kind);
    if (recordCount(app, K::Salesperson) != 0) make(K::Salesperson);
    make(K::Clerk);
    make(K::Modifier);
    if (recordCount(app, K::PbInfo) != 0) {
        if (pbInfoFileWanted(app)) make(K::PbInfo);
        if (pbExtraTrailerWanted(app)) make(K::PbExtraTrailer);
    }
    if (app.logoSize() != 0) writeDefaultLogo(stagedFile(".bmp"), app);
    if (recordCount(app, K::Condiment) != 0) make(K::Condiment);
    writeDefaultCheckFile(stagedFile(".chk"));

    // Files an earlier program left under the same name would otherwise
    // turn up as records of the new one.
    std::vector<std::string> remove;
    for (const auto& f : programFiles(target)) remove.push_back(f.filename().string());
    commitStagingFolder(folder, target.parent_path(), target.filename().string(), remove);

    if (fromLoaded) s.text = text;
    auto r = loadProgram(s, target);
    if (r.ok()) r.memory = recomputeSizes(s.app);
    return r;
}

void copyProgram(const ProgramSession& s, const fs::path& chosen) {
    if (!s.loaded || s.programPath.empty()) throw FileError("No Program Loaded !");
    const auto target = fileset::sibling(chosen, ".app");
    if (sameFile(s.programPath, target))
        throw FileError("\"" + target.string() + "\" is the loaded program; a program cannot be copied onto itself");

    std::vector<std::string> failures;
    auto copy = [&](const fs::path& from, const fs::path& to) {
        try {
            copyWhole(from, to);
        } catch (const FileError& e) {
            failures.push_back(e.what());
        }
    };
    // The application file first: without it nothing else is worth copying.
    try {
        copyWhole(s.programPath, target);
    } catch (const FileError& e) {
        throw FileError(joinFailures("The program was not copied:", {e.what()}));
    }
    try {
        clearProgramPlace(target);
    } catch (const FileError& e) {
        failures.push_back(e.what());
    }
    for (auto ext : fileset::kProgramExtensions) {
        const auto from = s.file(ext);
        if (isFile(from)) copy(from, fileset::sibling(target, ext));
    }
    const int network = std::min<int>(s.app.flag(ab::kFlagNetworkSize), kMaxNetworkSize);
    for (int n = 2; n <= network; ++n) {
        const auto from = fileset::keyboardFile(s.programPath, n);
        if (isFile(from)) copy(from, fileset::keyboardFile(target, n));
    }
    if (s.app.get(ab::kIndividualPrinters)) {
        for (int n = 1; n <= network; ++n) {
            const auto from = fileset::printerFile(s.programPath, n);
            if (isFile(from)) copy(from, fileset::printerFile(target, n));
        }
    }
    if (!failures.empty()) throw FileError(joinFailures("Some files of the program were not copied:", failures));
}

void deleteProgram(ProgramSession& s, const fs::path& target) {
    if (!isFile(target)) return;
    const auto appPath = fileset::sibling(target, ".app");
    const bool isLoaded = s.loaded && sameFile(appPath, s.programPath);

    std::vector<std::string> failures;
    auto remove = [&](const fs::path& f) {
        if (!isFile(f)) return;
        std::error_code ec;
        if (!fs::remove(f, ec) || ec) failures.push_back("Cannot remove \"" + f.string() + "\": " + ec.message());
    };
    remove(target);
    remove(appPath);
    for (const auto& f : programFiles(appPath)) remove(f);

    if (isLoaded && !isFile(appPath)) {
        s.programPath.clear();
        s.loaded = false;
    }
    if (!failures.empty()) throw FileError(joinFailures("Some files of the program were not deleted:", failures));
}

ApplicationBlock applicationAsLoaded(std::span<const std::uint8_t> bytes) {
    ApplicationBlock app;
    std::copy_n(bytes.begin(), std::min(bytes.size(), ApplicationBlock::kSize), app.bytes().begin());
    repairLoadedBlock(app);
    return app;
}

}  // namespace tramond
