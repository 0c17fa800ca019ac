#pragma once
// Alt letters ("&" marks) that a user can rely on: within one menu or one
// dialog no two captions share a letter, and every caption that has a
// letter or digit gets one where a letter is free. Captions come from
// language packs written by dealers, whose letters dealers know by heart:
// only a real clash is repaired, never a letter the pack gave.

#include <string>
#include <vector>

namespace tramond {

// The accelerator letter of a caption ("&File" -> 'f', lower case), or 0.
// "&&" is a literal "&".
char acceleratorOf(const std::string& caption);

struct AcceleratorRules {
    // Per caption: its mark is the tool's own ("&Verify Register"), not the
    // pack's, and gives way to the pack's. Missing entries: the pack's.
    std::vector<bool> ownCaption;
    // Captions without a mark get a free letter (menus). Dialogs leave them
    // without: their OK and Cancel are reached by Enter and Esc, and a
    // letter made up in one dialog would differ in the next.
    bool markUnmarked = true;
};

// Gives each caption a letter of its own. Every pack's mark stays unless an
// earlier caption has that letter; the later caption of a clash, then the
// tool's own captions whose letter is taken, then (by the rules) captions
// without a mark take their first letter or digit that no other caption has
// (word starts first). A caption with nothing free is left without a mark;
// no pack's letter is ever moved to make room. Empty captions stay empty.
std::vector<std::string> uniqueAccelerators(const std::vector<std::string>& captions,
                                            const AcceleratorRules& rules = {});

}  // namespace tramond
