#pragma once
// What Update Register has to send once a program file's bytes went from
// `before` to `after` behind the register's back (a restored version): the
// change codes of every block and record whose bytes differ, or the PLU
// lines when PLUs are addressed by code: the marking rule every writer uses
// (`programFileChanges`), plus the files only Install carries.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "program/application_block.h"

namespace tramond {

struct FileMarks {
    std::vector<std::uint32_t> codes;
    std::vector<std::string> pluLines;  // 'D' lines before 'N' lines
    // The file differs but travels only with Install Register (the
    // customer file).
    bool installOnly = false;
    bool empty() const { return codes.empty() && pluLines.empty() && !installOnly; }
};

// `app` is the application block as loaded after the change (counts, PLU
// code mode, individual keyboards and printers); a missing file is empty.
FileMarks marksBetween(std::string_view extension, const ApplicationBlock& app, std::span<const std::uint8_t> before,
                       std::span<const std::uint8_t> after);

}  // namespace tramond
