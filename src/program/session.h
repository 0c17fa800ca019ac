#pragma once
// The state of the one loaded program: the two blocks in memory and what the
// main window knows about the program. Dialogs and operations take it by
// reference; the main window owns it.

#include <filesystem>
#include <string_view>

#include "program/application_block.h"
#include "program/text_block.h"
#include "program/update_list.h"

namespace tramond {

struct ProgramSession {
    ApplicationBlock app = ApplicationBlock::builtIn();
    TextBlock text = TextBlock::builtIn();
    std::filesystem::path programPath;  // the ".app" file; empty when none loaded
    bool loaded = false;
    bool unattended = false;
    int machineNumber = 0;

    // The sibling file of the loaded program with another extension (".plu").
    std::filesystem::path file(std::string_view extension) const {
        auto p = programPath;
        p.replace_extension(extension);
        return p;
    }
    UpdateList updateList() const { return UpdateList(file(".upd")); }
};

}  // namespace tramond
