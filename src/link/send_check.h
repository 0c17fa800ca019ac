#pragma once
// The checks before anything goes to the register: a Clear & Install that
// stops half-way leaves a cleared register, and a record sent from past the
// end of its file arrives as zeros. Each check names the file or the change
// code that stops the operation.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "link/update_plan.h"
#include "program/application_block.h"

namespace tramond {

// A file the operation reads from, and how many bytes of it it reads.
struct SendFileNeed {
    std::filesystem::path file;
    std::uint64_t bytes = 0;
    // The file must hold exactly `bytes` (a block file such as ".txt"), not
    // merely at least as many.
    bool exact = false;
};

// "" when every file exists, is a regular file that can be opened for
// reading and is long enough (or exactly as long); else the message naming
// the first that is not.
std::string checkFilesForSending(const std::vector<SendFileNeed>& needs);

// "" when every change code of the plan names a record within its kind's
// count; else the message naming the code. Adds the record files the plan
// reads, with the bytes its highest code needs, to needs. A line that is no
// change code at all (or, by number, none anything is stored under) is
// refused too: it would be dropped without a word. PLU change codes in code
// mode are expected (the PLU lines carry them) and not refused.
std::string checkUpdatePlan(const UpdatePlan& plan, const ApplicationBlock& app,
                            const std::filesystem::path& appPath, bool pluByCode,
                            std::vector<SendFileNeed>& needs);

// The need of the program's text file: exactly one text block. A shorter
// file loads (the rest of the block keeps other texts) but is never sent as
// the program's texts.
SendFileNeed textFileNeed(const std::filesystem::path& appPath);

// "" when the ".bmp" sibling of appPath holds a logo of the type that can be
// sent; else the message.
std::string checkLogoForSending(const std::filesystem::path& appPath, const ApplicationBlock& app);

}  // namespace tramond
