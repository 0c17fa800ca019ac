#pragma once
// Two programs compared as a dealer reads them: record files by kind, record
// number and field name (from the editor layouts), the application block by
// flag and option (with the option dialogs' captions) or by the named
// region, the text block by section and entry.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/program_image.h"

namespace tramond {

struct Difference {
    std::string area;          // "application", "text" or a kind word ("plu")
    // Record number in a record file (PLUs addressed by code: the register's
    // PLU number, the place in code order); 0 in the blocks.
    std::uint32_t record = 0;
    std::string item;          // field, "flag 12 option 3", "receipt header 2", "bytes 4-7"
    std::string caption;       // what the option dialog calls it, when one does
    std::string a;             // the value in the first program ("" when absent)
    std::string b;
};

// Throws ProgramError when a text or record file exists but cannot be read.
std::vector<Difference> diffPrograms(const ProgramImage& a, const ProgramImage& b);

std::string diffText(const std::vector<Difference>& differences);
std::string diffJson(const std::vector<Difference>& differences);

}  // namespace tramond
