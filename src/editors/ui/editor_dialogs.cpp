#include "editors/ui/editor_dialogs.h"

#include "editors/record_description.h"
#include "editors/ui/plu_editor_dialog.h"
#include "editors/ui/record_editor_dialog.h"

namespace tramond {

bool openRecordEditor(AppContext& context, RecordKind kind, std::optional<int> start) {
    if (kind == RecordKind::Plu) {
        ui::PluEditorDialog dialog(context.session, context.texts, context.mainWindow);
        dialog.activate(start);
        dialog.exec();
        return true;
    }
    const auto* spec = editorSpecFor(kind);
    if (!spec) return false;
    ui::RecordEditorDialog dialog(*spec, context.session, context.texts, context.mainWindow);
    dialog.activate(start);
    dialog.exec();
    return true;
}

void registerEditorDialogs(MenuRegistry& registry) {
    for (const auto* spec : recordEditorSpecs()) {
        const auto kind = spec->kind;
        registry.add(std::string(spec->menuHandler), [kind](AppContext& c) { openRecordEditor(c, kind); });
    }
    registry.add("mEditPLUFileClick", [](AppContext& c) { openRecordEditor(c, RecordKind::Plu); });
}

}  // namespace tramond
