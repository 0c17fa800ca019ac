// The small option dialogs through the real view, offscreen: every one
// opens from its menu handler name and no two of its controls share an
// Alt letter.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "../options_fixture.h"
#include "options/flag_options.h"
#include "options/ui/option_dialog_view.h"
#include "options/ui/options_menu.h"
#include "program/ui/message_box.h"

namespace tramond {
namespace {

class FlagOptionsViewTest : public testing::OptionsFixture {};

// The letter after a single "&", lower case; 0 for none.
QChar accelerator(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return QChar();
}

TEST_F(FlagOptionsViewTest, EveryDialogHasItsOwnAltLetters) {
    const std::pair<const char*, const OptionDialogTable& (*)()> dialogs[] = {
        {"clerk", &clerkOptionsDialog}, {"pb", &pbOptionsDialog},     {"plu", &pluOptionsDialog},
        {"barcode", &barcodeOptionsDialog}, {"card", &cardOptionsDialog}, {"handheld", &handheldOptionsDialog},
        {"logo", &logoOptionsDialog}};
    const char* shots = std::getenv("TRAMOND_SHOTS");
    for (const auto& [name, table] : dialogs) {
        OptionDialog controller(table(), session_, texts_);
        ui::OptionDialogView view(controller);
        std::map<QChar, QString> seen;
        for (auto* button : view.findChildren<QAbstractButton*>()) {
            const QChar letter = accelerator(button->text());
            if (letter.isNull()) continue;
            auto [it, added] = seen.emplace(letter, button->text());
            EXPECT_TRUE(added) << name << ": " << button->text().toStdString() << " and "
                               << it->second.toStdString();
        }
        for (auto* label : view.findChildren<QLabel*>())
            EXPECT_FALSE(label->isVisibleTo(&view) && label->text().isEmpty())
                << name << ": " << label->objectName().toStdString();
        if (shots) {
            view.show();
            view.grab().save(QString("%1/%2.png").arg(shots, name));
        }
    }
}

TEST_F(FlagOptionsViewTest, TheHandheldMenuGivesWayToTheDectModule) {
    MenuRegistry registry;
    registerOptionsDialogs(registry);
    for (const char* h : {"mClerkOptionsClick", "mPBOptionsClick", "mPLUOptionsClick", "mBarcodeOptionsClick",
                          "mCardOptionsClick", "mHandheldOptionsClick", "mLogoOptionsClick"})
        EXPECT_NE(registry.find(h), nullptr) << h;

    std::vector<QString> shown;
    auto previous = ui::setMessagePresenter(
        [&](QWidget*, ui::MessageKind, const QString&, const QString& text) { shown.push_back(text); });
    session_.app.setFlag(90, 7);
    MemorySettingsStore settings;
    AppContext context{session_, texts_, settings, nullptr, {}};
    (*registry.find("mHandheldOptionsClick"))(context);
    ui::setMessagePresenter(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].startsWith("DECT module is connected"));
}

}  // namespace
}  // namespace tramond
