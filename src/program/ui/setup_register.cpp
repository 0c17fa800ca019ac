#include "program/ui/setup_register.h"

#include <exception>

#include "app/ui/menu_registry.h"
#include "program/file_io.h"
#include "program/setup_common.h"
#include "program/setup_counts.h"
#include "program/ui/enter2numbers.h"
#include "program/ui/message_box.h"
#include "program/ui/setup_dialogs.h"

namespace tramond {

namespace {

using ui::langText;
using ui::withoutAccelerator;

// Menu texts of the count items (the Setup menu's own captions).
int captionText(CountItem item) {
    switch (item) {
        case CountItem::Groups: return 43;
        case CountItem::Departments: return 44;
        case CountItem::Modifiers: return 50;
        case CountItem::Salespersons: return 576;
        case CountItem::Condiments: return 1060;
    }
    return 0;
}

const char* captionFallback(CountItem item) {
    switch (item) {
        case CountItem::Groups: return "&Groups";
        case CountItem::Departments: return "&Departments";
        case CountItem::Modifiers: return "&Modifiers";
        case CountItem::Salespersons: return "&SalesPersons";
        case CountItem::Condiments: return "C&ondiments";
    }
    return "";
}

// The dialog is titled with its menu item's text, accelerator removed.
QString dialogTitle(const LanguageTexts& texts, int n, const char* fallback) {
    return withoutAccelerator(langText(texts, n, fallback));
}

// Runs a step that writes program files; a failure is told to the user
// rather than passed over, and the block in memory keeps the change.
template <typename F>
void reportingFileErrors(AppContext& ctx, F&& step) {
    try {
        step();
    } catch (const std::exception&) {
        ui::showMessage(ctx.mainWindow, ui::MessageKind::Error, langText(ctx.texts, 677, "Error"),
                        langText(ctx.texts, 398, "Error opening File !!"));
    }
}

void refresh(AppContext& ctx) {
    if (ctx.refresh) ctx.refresh();
}

void runCount(AppContext& ctx, CountItem item) {
    const auto& info = countItemInfo(item);
    Enter2Numbers controller(info.limit, currentCount(ctx.session.app, item));
    const QString max = ui::labelText(ui::inputMessages(ctx.texts), "Max.");
    const QString label = QString::fromStdString(Enter2Numbers::numberLabel(
        langText(ctx.texts, 277, "Number").toStdString(), max.toStdString(), info.limit));
    const QString captionLabel = QString::fromStdString(
        Enter2Numbers::captionSizeLabel("Caption Size :   ", "Char. ", max.toStdString(), 24));
    std::optional<std::uint32_t> number;
    {
        ui::TEnter2Numbers dialog(controller, dialogTitle(ctx.texts, captionText(item), captionFallback(item)),
                                  label, captionLabel, ui::inputMessages(ctx.texts), ctx.mainWindow);
        ui::placeBelowMainWindow(&dialog, ctx.mainWindow);
        dialog.exec();
        if (dialog.confirmed()) number = dialog.number();
    }
    reportingFileErrors(ctx, [&] { applyCount(ctx.session, item, number); });
    refresh(ctx);
}

std::function<void()> menuAction(MenuRegistry& registry, AppContext& ctx, const char* handler) {
    if (!registry.find(handler)) return {};
    return [&registry, &ctx, handler] {
        if (const auto* h = registry.find(handler)) (*h)(ctx);
    };
}

void runPlu(MenuRegistry& registry, AppContext& ctx) {
    bool confirmed = false;
    setup::SetupCancel cancel(ctx.session);
    {
        ui::TSetupPlu dialog(ctx.session.app, ui::inputMessages(ctx.texts),
                             menuAction(registry, ctx, "mPLUOptionsClick"),
                             menuAction(registry, ctx, "mBarcodeOptionsClick"), ctx.mainWindow);
        dialog.setWindowTitle(dialogTitle(ctx.texts, 45, "&PLU"));
        ui::placeBelowMainWindow(&dialog, ctx.mainWindow);
        dialog.exec();
        confirmed = dialog.confirmed();
    }
    if (!confirmed) cancel.restore();
    reportingFileErrors(ctx, [&] { finishSetupPlu(ctx.session, confirmed); });
    refresh(ctx);
}

void runPrevBalance(AppContext& ctx) {
    bool confirmed = false;
    setup::SetupCancel cancel(ctx.session);
    {
        ui::TSetupPrevBalance dialog(ctx.session.app, ui::inputMessages(ctx.texts), ctx.mainWindow);
        dialog.setWindowTitle(dialogTitle(ctx.texts, 46, "Prev. &Balances"));
        ui::placeBelowMainWindow(&dialog, ctx.mainWindow);
        dialog.exec();
        confirmed = dialog.confirmed();
    }
    if (!confirmed) cancel.restore();
    reportingFileErrors(ctx, [&] { finishSetupPrevBalance(ctx.session, confirmed); });
    refresh(ctx);
}

void runClerks(AppContext& ctx) {
    bool confirmed = false;
    setup::SetupCancel cancel(ctx.session);
    {
        const auto label = QString::fromStdString(
            SetupClerk::numberLabel(langText(ctx.texts, 277, "Number").toStdString(), "Max."));
        ui::TSetupClerk dialog(ctx.session.app, label, ui::inputMessages(ctx.texts), ctx.mainWindow);
        dialog.setWindowTitle(dialogTitle(ctx.texts, 48, "&Clerks"));
        ui::placeBelowMainWindow(&dialog, ctx.mainWindow);
        dialog.exec();
        confirmed = dialog.confirmed();
    }
    if (!confirmed) cancel.restore();
    reportingFileErrors(ctx, [&] { finishSetupClerk(ctx.session, confirmed); });
    refresh(ctx);
}

void runFloatingClerks(AppContext& ctx) {
    bool confirmed = false;
    setup::SetupCancel cancel(ctx.session);
    {
        ui::TSetupFloatingClerks dialog(ctx.session.app, ui::inputMessages(ctx.texts), ctx.mainWindow);
        ui::placeBelowMainWindow(&dialog, ctx.mainWindow);
        confirmed = dialog.exec() == QDialog::Accepted && dialog.confirmed();
    }
    if (!confirmed) cancel.restore();
    reportingFileErrors(ctx, [&] { finishSetupFloatingClerks(ctx.session, confirmed); });
    refresh(ctx);
}

void runGraphLogo(AppContext& ctx) {
    bool confirmed = false;
    setup::SetupCancel cancel(ctx.session);
    {
        ui::TSetupGraphLogo dialog(ctx.session.app,
                                   withoutAccelerator(langText(ctx.texts, 695, "Graphic &Logo Receipt   :")),
                                   ctx.mainWindow);
        ui::placeBelowMainWindow(&dialog, ctx.mainWindow);
        dialog.exec();
        confirmed = dialog.confirmed();
    }
    if (!confirmed) cancel.restore();
    reportingFileErrors(ctx, [&] { finishSetupGraphLogo(ctx.session, confirmed); });
    refresh(ctx);
}

void runToggle(AppContext& ctx, bool (*toggle)(ProgramSession&)) {
    // The switches mean something only in a network.
    if (ctx.session.app.flag(78) == 0) return;
    reportingFileErrors(ctx, [&] { toggle(ctx.session); });
    refresh(ctx);
}

}  // namespace

void registerSetupDialogs(MenuRegistry& registry) {
    for (const auto& info : countItems()) {
        const CountItem item = info.item;
        registry.add(std::string(info.handlerName), [item](AppContext& ctx) { runCount(ctx, item); });
    }
    registry.add("PLUClick", [&registry](AppContext& ctx) { runPlu(registry, ctx); });
    registry.add("PrevBalances1Click", runPrevBalance);
    registry.add("mSetupClerksClick", runClerks);
    registry.add("FloatingClerks1Click", runFloatingClerks);
    registry.add("GraphickHeadLogo1Click", runGraphLogo);
    registry.add("IndividualKeyboards1Click", [](AppContext& ctx) { runToggle(ctx, toggleIndividualKeyboards); });
    registry.add("IndividualPrinters1Click", [](AppContext& ctx) { runToggle(ctx, toggleIndividualPrinters); });
}

}  // namespace tramond
