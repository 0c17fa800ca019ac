#include "editors/ui/editor_dialogs.h"

#include "editors/record_description.h"
#include "editors/ui/customer_dialog.h"
#include "editors/ui/plu_editor_dialog.h"
#include "editors/ui/record_editor_dialog.h"
#include "editors/ui/shared_pb_info_dialog.h"

namespace tramond {

bool openRecordEditor(AppContext& context, RecordKind kind, std::optional<int> start, const MenuRegistry* registry) {
    ui::HandlerLookup handlers;
    if (!registry) registry = context.registry;
    if (registry)
        handlers = [registry, &context](std::string_view name) -> std::function<void()> {
            const auto* h = registry->find(name);
            if (!h) return {};
            return [h, &context] { (*h)(context); };
        };
    if (kind == RecordKind::Plu) {
        ui::PluEditorDialog dialog(context.session, context.texts, context.mainWindow, handlers);
        dialog.activate(start);
        dialog.exec();
        return true;
    }
    const auto* layout = editorLayoutFor(kind);
    if (!layout) return false;
    ui::RecordEditorDialog dialog(*layout, context.session, context.texts, context.mainWindow, handlers);
    dialog.activate(start);
    dialog.exec();
    return true;
}

void registerEditorDialogs(MenuRegistry& registry) {
    for (const auto* layout : recordEditorLayouts()) {
        const auto kind = layout->kind;
        registry.add(std::string(layout->menuHandler),
                     [kind, &registry](AppContext& c) { openRecordEditor(c, kind, std::nullopt, &registry); });
    }
    registry.add("mEditPLUFileClick",
                 [&registry](AppContext& c) { openRecordEditor(c, RecordKind::Plu, std::nullopt, &registry); });
    registry.add("mSharedPbInfoFileClick", [](AppContext& c) {
        ui::TSharedPbInfoFile dialog(c.session, c.texts, c.mainWindow);
        dialog.exec();
    });
    registry.add("mCustomerFileClick", [](AppContext& c) {
        ui::TEditCustManagment dialog(c.session, c.texts, c.mainWindow);
        dialog.activate();
        dialog.exec();
    });
}

}  // namespace tramond
