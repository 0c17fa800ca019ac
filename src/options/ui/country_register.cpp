#include "options/ui/country_register.h"

#include <exception>

#include "app/ui/menu_registry.h"
#include "options/ui/country_dialogs.h"
#include "options/ui/enter_a_number_dialog.h"
#include "program/ui/message_box.h"

namespace tramond {

namespace {

using ui::langText;

void refresh(AppContext& ctx) {
    if (ctx.refresh) ctx.refresh();
}

template <typename Dialog>
void runDialog(AppContext& ctx) {
    {
        Dialog dialog(ctx.session, ctx.texts, ctx.mainWindow);
        ui::placeBelowMainWindow(&dialog, ctx.mainWindow);
        dialog.exec();
    }
    refresh(ctx);
}

void runNumbering(AppContext& ctx, RegisterNumbering which) {
    const auto& info = registerNumberingInfo(which);
    const char* fallback = which == RegisterNumbering::Location ? "&Location #  :  0" : "&Register #  :  0";
    const auto caption = ui::withoutAccelerator(langText(ctx.texts, info.text, fallback));
    const auto controller = makeNumberingEntry(ctx.session.app, which, caption.toStdString());
    const auto number = ui::TEnterANumber::ask(controller, ui::inputMessages(ctx.texts), ctx.mainWindow);
    if (!number) return;
    try {
        storeRegisterNumbering(ctx.session, which, *number);
    } catch (const std::exception&) {
        ui::showMessage(ctx.mainWindow, ui::MessageKind::Error, langText(ctx.texts, 677, "Error"),
                        langText(ctx.texts, 398, "Error opening File !!"));
    }
    refresh(ctx);
}

}  // namespace

void registerCountryDialogs(MenuRegistry& registry) {
    registry.add("mCountryInfoClick", runDialog<ui::TCountryInfo>);
    registry.add("mTimeZonesClick", runDialog<ui::TTimeZones>);
    registry.add("mNetworkSizeClick", runDialog<ui::TNetworkSize>);
    registry.add("mLocationClick", [](AppContext& ctx) { runNumbering(ctx, RegisterNumbering::Location); });
    registry.add("mRegisterClick", [](AppContext& ctx) { runNumbering(ctx, RegisterNumbering::Register); });
}

}  // namespace tramond
