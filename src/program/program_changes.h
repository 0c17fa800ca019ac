#pragma once
// What a change of one program file means for the register, and the one way
// a dialog, an import or a restore writes a program file: the update list is
// marked with every block whose bytes differ from what the disk holds, in the
// same step as (and before) the write, so no change can reach the disk
// without reaching the list. A kill between the two leaves a surplus mark at
// most, which only resends bytes the register already holds.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "program/application_block.h"
#include "program/update_list.h"

namespace tramond {

struct ProgramSession;

// The update-list entries that carry a change to the register.
struct ProgramChanges {
    std::vector<std::uint32_t> codes;   // change codes, ascending, unique
    std::vector<std::string> pluLines;  // PLUs addressed by code: "R", "N", "D" lines
    bool written = false;               // writeProgramFile: the file was (re)written

    bool empty() const { return codes.empty() && pluLines.empty(); }
    void add(const ProgramChanges& other);
};

// The entries for the bytes that differ between `before` and `after`, two
// images of the program file `file` from byte `offset` on (a whole file:
// offset 0). Bytes one image has and the other lacks differ. `app` is the
// program's application block: it gives the record counts (records past the
// count are not on the register and mark nothing) and whether PLUs are
// addressed by code. For the ".app" file itself `after` is the block.
//
//   ".app"              the system blocks and kind headers whose bytes differ
//   ".txt"              the text blocks whose bytes differ
//   record files        base + record number; ".plu" in code mode: a PLU line
//                       ("N" a code appears, "D" it goes, "R" the PLU changed)
//   ".pxt"              90          ".bmp"  91          ".chk"  111
//   ".kbf", ".kb2"..    the keyboard blocks of the header bytes that differ
//   ".pr1", ".pr2"..    2 (the machine's printer and port flags)
//   anything else       nothing (".upd", ".stf", ".cst", ".smr", ...)
ProgramChanges programFileChanges(const std::filesystem::path& file, std::size_t offset,
                                  std::span<const std::uint8_t> before, std::span<const std::uint8_t> after,
                                  const ApplicationBlock& app);

// Adds the entries to the list: one read and one write of the file. Throws
// FileError (the list is then unchanged).
void markChanges(const UpdateList& list, const ProgramChanges& changes);

// Replaces `file` whole by `bytes`: marks what differs from the file on disk
// (a missing file holds nothing), then writes atomically; a file that already
// holds exactly these bytes is left alone. Throws FileError:
// when the marks cannot be written nothing is written; when the write fails
// the file is as it was (the marks stay, harmless).
ProgramChanges writeProgramFile(const UpdateList& list, const ApplicationBlock& app,
                                const std::filesystem::path& file, std::span<const std::uint8_t> bytes);
// Several files in one step: the entries of all of them are marked first
// (one write of the list), then each file is written as above.
struct ProgramFileImage {
    std::filesystem::path file;
    std::span<const std::uint8_t> bytes;
};
ProgramChanges writeProgramFiles(const UpdateList& list, const ApplicationBlock& app,
                                 std::span<const ProgramFileImage> files);
// The loaded program's update list and block.
ProgramChanges writeProgramFile(const ProgramSession& session, const std::filesystem::path& file,
                                std::span<const std::uint8_t> bytes);
// The loaded program's ".app" from the block in memory.
ProgramChanges writeApplication(const ProgramSession& session);

// Writes `bytes` at `offset` of an existing file in place (the rest of it
// untouched), after marking what differs from what the file holds there.
// Throws FileError.
ProgramChanges writeProgramFileAt(const UpdateList& list, const ApplicationBlock& app,
                                  const std::filesystem::path& file, std::size_t offset,
                                  std::span<const std::uint8_t> bytes);

}  // namespace tramond
