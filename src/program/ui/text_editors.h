#pragma once
// The ten program text editors of General > Program text.

#include "app/ui/menu_registry.h"
#include "program/text_editing.h"

namespace tramond {

// Registers mReceiptHeader1Click .. mReportNames1Click.
void registerTextEditors(MenuRegistry& registry);

// Opens one editor on the loaded program and stores its result.
void runTextEditor(AppContext& context, const TextEditorInfo& info);

}  // namespace tramond
