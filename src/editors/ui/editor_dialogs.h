#pragma once
// The Edit-menu record editors: registration with the main window's menu
// and opening an editor on a given record (the keyboard editor's key
// information mode).

#include <optional>

#include "app/ui/menu_registry.h"
#include "program/record_kinds.h"

namespace tramond {

// Registers the handler of every record editor of this build.
// The main window has checked the program, the count and the file.
void registerEditorDialogs(MenuRegistry& registry);

// Opens the editor of a kind modally; `start` is a record index from 0 (a
// list line for the PLU editor), honoured by the editors that take one.
// Returns false when this build has no editor for the kind.
// `registry` lets an editor's buttons open other dialogs by handler name.
bool openRecordEditor(AppContext& context, RecordKind kind, std::optional<int> start = std::nullopt,
                      const MenuRegistry* registry = nullptr);

}  // namespace tramond
