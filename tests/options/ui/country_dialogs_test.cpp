#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/settings_store.h"
#include "app/ui/menu_registry.h"
#include "options/ui/country_dialogs.h"
#include "options/ui/country_register.h"
#include "options/ui/enter_a_number_dialog.h"
#include "program/setup_fixture.h"
#include "program/ui/setup_modal.h"

using namespace tramond;
using tramond::testing::MessageCatcher;
using tramond::testing::whenModalShown;

namespace {

class CountryDialogsTest : public tramond::testing::MenuHandlerFixture {
protected:
    void answer(const QString& text) {
        whenModalShown([text](QDialog* d) {
            auto* e = d->findChild<QLineEdit*>("Edit1");
            e->setText(text);
            d->findChild<QPushButton*>("BitBtn1")->click();
        });
    }
};

TEST_F(CountryDialogsTest, NetworkSizeThroughTheMenu) {
    registerCountryDialogs(registry);
    loadProgram();
    session.app.setU8(2566, 0x02);
    answer("1");
    run("mNetworkSizeClick");
    EXPECT_EQ(appOnDisk().flag(78), 1);
    EXPECT_FALSE(appOnDisk().bit(2566, 1));
    EXPECT_EQ(session.machineNumber, 0);
    answer("2");
    run("mNetworkSizeClick");
    EXPECT_EQ(session.machineNumber, 1);
    EXPECT_EQ(refreshes, 2);
}

TEST_F(CountryDialogsTest, RegisterNumberZeroThroughTheMenu) {
    registerCountryDialogs(registry);
    loadProgram();
    session.app.setFlag(16, 2);
    session.app.setFlag(36, 23);
    QString title;
    whenModalShown([&](QDialog* d) {
        title = d->windowTitle();
        auto* e = d->findChild<QLineEdit*>("Edit1");
        EXPECT_EQ(e->text(), "2");
        EXPECT_EQ(e->maxLength(), 2);
        e->setText("0");
        d->findChild<QPushButton*>("BitBtn1")->click();
    });
    run("mRegisterClick");
    EXPECT_EQ(title, "Register #  :  0");
    EXPECT_EQ(appOnDisk().flag(36), 3);
    for (const char* h : {"mCountryInfoClick", "mTimeZonesClick", "mLocationClick"})
        EXPECT_NE(registry.find(h), nullptr) << h;
}

TEST_F(CountryDialogsTest, NumberEntryResetsToZeroOverTheLimit) {
    MessageCatcher messages;
    ui::TEnterANumber dlg(EnterANumber("Location", "Location", "", 24));
    QTest::keyClicks(dlg.Edit1, "25");
    EXPECT_EQ(messages.texts, QStringList{"Wrong Input!"});
    EXPECT_EQ(dlg.Edit1->text(), "0");
    dlg.Edit1->clear();
    dlg.BitBtn1->click();
    EXPECT_TRUE(dlg.confirmed());
    EXPECT_EQ(dlg.Edit1->text(), "0");
}

TEST_F(CountryDialogsTest, TimeZoneGridRestoresNotUsed) {
    session.app.setU16(2463, 48);
    MessageCatcher messages;
    ui::TTimeZones dlg(session, LanguageTexts::builtIn());
    ASSERT_EQ(dlg.StringGrid1->rowCount(), 48);
    auto* level = dlg.StringGrid1->item(24, 2);
    EXPECT_EQ(level->text(), "Not Used");
    level->setText("3");
    EXPECT_EQ(level->text(), "Not Used");
    dlg.StringGrid1->item(0, 1)->setText("2401");
    EXPECT_EQ(messages.texts, QStringList{"Wrong Input!"});
    EXPECT_EQ(dlg.StringGrid1->item(0, 1)->text(), "2401");  // the typed text stays
    dlg.StringGrid1->item(0, 1)->setText("2400");
    EXPECT_EQ(session.app.u16(2465), 0x2400);
}

TEST_F(CountryDialogsTest, CountryDialogShowsAndStores) {
    session.app.setFlag(1, 2);
    session.app.setOption(2, 1, true);
    ui::TCountryInfo dlg(session, LanguageTexts::builtIn());
    EXPECT_EQ(dlg.ComboBox1->currentText(), "1,000.000");
    dlg.Edit1->setText("EU");
    dlg.BitBtn1->click();
    EXPECT_EQ(session.app.flag(11), 'E');
    EXPECT_EQ(session.app.flag(12), 'U');
    EXPECT_EQ(session.app.flag(95), 0);
}

}  // namespace
