#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/settings_store.h"
#include "app/ui/menu_registry.h"
#include "program/setup_fixture.h"
#include "program/ui/enter2numbers.h"
#include "program/ui/setup_dialogs.h"
#include "program/ui/setup_register.h"
#include "setup_modal.h"

using namespace tramond;
using tramond::testing::MessageCatcher;
using tramond::testing::whenModalShown;

namespace {

class SetupDialogsTest : public tramond::testing::MenuHandlerFixture {};

TEST_F(SetupDialogsTest, AllSetupHandlersAreRegistered) {
    registerSetupDialogs(registry);
    for (const char* name : {"Groups1Click", "Departments1Click", "Modifiers1Click", "SalesPersons1Click",
                             "CondimentsClick", "PLUClick", "PrevBalances1Click", "mSetupClerksClick",
                             "FloatingClerks1Click", "GraphickHeadLogo1Click", "IndividualKeyboards1Click",
                             "IndividualPrinters1Click"})
        EXPECT_NE(registry.find(name), nullptr) << name;
}

TEST_F(SetupDialogsTest, GroupsConfirmedEmptyGiveOneGroupAndRefresh) {
    registerSetupDialogs(registry);
    loadProgram();
    QString title, label;
    whenModalShown([&](QDialog* d) {
        title = d->windowTitle();
        auto* edit = d->findChild<QLineEdit*>("Edit1");
        label = d->findChildren<QLabel*>().value(0)->text();
        edit->clear();
        d->findChild<QPushButton*>("BitBtn1")->click();
    });
    run("Groups1Click");
    EXPECT_EQ(title, "Groups             :    ");
    EXPECT_EQ(label, "Number (Max. 499):");
    EXPECT_EQ(session.app.u16(2117), 1);
    EXPECT_EQ(appOnDisk().u16(2117), 1);
    EXPECT_EQ(recordsIn(RecordKind::Group), 1u);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SetupDialogsTest, CountDialogClearsAnOverLimitNumber) {
    MessageCatcher messages;
    ui::TEnter2Numbers dlg(Enter2Numbers(99, 3), "Condiments", "Number (Max. 99):", "", {});
    dlg.Edit1->clear();
    QTest::keyClicks(dlg.Edit1, "100");
    EXPECT_EQ(messages.texts, QStringList{"Wrong Input!"});
    EXPECT_TRUE(dlg.Edit1->text().isEmpty());
    EXPECT_FALSE(dlg.Edit2->isVisibleTo(&dlg));
    QTest::keyClicks(dlg.Edit1, "42");
    dlg.BitBtn1->click();
    EXPECT_TRUE(dlg.confirmed());
    EXPECT_EQ(dlg.number(), 42u);
}

TEST_F(SetupDialogsTest, PluRandomDigitsRoundTripThroughTheDialog) {
    {
        ui::TSetupPlu dlg(session.app, {}, {}, {});
        auto* random = dlg.edit(SetupPlu::Field::RandomSize);
        random->clear();
        QTest::keyClicks(random, "7");
        const bool tare = session.app.bit(2231, 1);
        dlg.check(SetupPlu::Switch::Tare)->click();
        EXPECT_NE(session.app.bit(2231, 1), tare);  // at once, before OK
        EXPECT_EQ(dlg.check(SetupPlu::Switch::Tare)->isChecked(), !tare);
        dlg.BitBtn1->click();
        EXPECT_TRUE(dlg.confirmed());
    }
    EXPECT_EQ(session.app.u8(2234), 4);
    ui::TSetupPlu again(session.app, {}, {}, {});
    EXPECT_EQ(again.edit(SetupPlu::Field::RandomSize)->text(), "8");
    EXPECT_FALSE(again.PluOptionsButton->isEnabled());  // no handler to open
}

TEST_F(SetupDialogsTest, PluLabelsComeFromThePack) {
    // "Price Levels :   " is language text 169: a pack translates it.
    LanguageTexts pack = LanguageTexts::builtIn();
    pack.setText(169, "Preisebenen :");
    ui::TSetupPlu dlg(session.app, ui::inputMessages(pack), {}, {});
    QStringList labels;
    for (auto* l : dlg.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Preisebenen :")) << labels.join('|').toStdString();
    EXPECT_FALSE(labels.contains("Price Levels :   "));
}

TEST_F(SetupDialogsTest, PrevBalanceOkFitsTheTrackBlock) {
    session.app.setU8(2178, 4);
    session.app.setU8(2179, 3);
    session.app.setU16(2181, 20);
    ui::TSetupPrevBalance dlg(session.app, {});
    EXPECT_EQ(dlg.StringGrid1->item(4, 0)->text(), "Store Item 1&2 :    ");
    EXPECT_EQ(dlg.StringGrid1->item(7, 1)->text(), "No");
    dlg.clickRow(7);
    EXPECT_EQ(dlg.StringGrid1->item(7, 1)->text(), "Yes");
    EXPECT_TRUE(session.app.option(106, 7));
    bool trackShown = false;
    dlg.runTrackBuffer = [&](ui::TSetupPBTrackBuffer& track) {
        trackShown = true;
        track.RandomPlu->setChecked(true);
        track.BitBtn1->click();  // 20 entries of 10 bytes do not fit: kept
    };
    MessageCatcher messages;
    dlg.clickRow(1);
    EXPECT_TRUE(trackShown);
    EXPECT_EQ(messages.texts.value(0), "Blocksize may not exceed 128 bytes !!");
    EXPECT_TRUE(session.app.bit(2175, 5));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.clickRow(6);  // text size: edited in the grid as a user types it
    auto* editor = dlg.StringGrid1->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("20");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits queued
    EXPECT_EQ(session.app.u8(2176), 20);
    EXPECT_EQ(dlg.StringGrid1->item(6, 1)->text(), "20");
    dlg.StringGrid1->item(0, 1)->setText("6000");  // over 5000
    EXPECT_EQ(messages.texts.value(1), "Wrong Input!");
    dlg.BitBtn1->click();
    EXPECT_EQ(session.app.u16(2181), 12);
}

TEST_F(SetupDialogsTest, FloatingClerksNeedATransactionSize) {
    MessageCatcher messages;
    ui::TSetupFloatingClerks dlg(session.app, {});
    dlg.edit(SetupFloatingClerks::Field::MaxClerks)->setText("4");
    dlg.edit(SetupFloatingClerks::Field::MaxTransactionSize)->setText("0");
    dlg.BitBtn1->click();
    EXPECT_FALSE(dlg.confirmed());
    EXPECT_EQ(messages.texts.value(0), "Max Transaction Size  :must be bigger then zero!");
    EXPECT_TRUE(dlg.edit(SetupFloatingClerks::Field::MaxTransactionSize)->hasSelectedText());
    dlg.edit(SetupFloatingClerks::Field::SelectTimer)->setText("999");
    dlg.fieldLeft(SetupFloatingClerks::Field::SelectTimer);
    EXPECT_EQ(dlg.edit(SetupFloatingClerks::Field::SelectTimer)->text(), "0");
}

TEST_F(SetupDialogsTest, IndividualSwitchesOnlyInANetwork) {
    registerSetupDialogs(registry);
    loadProgram();
    run("IndividualPrinters1Click");
    EXPECT_FALSE(session.app.bit(2566, 1));
    session.app.setFlag(78, 3);
    run("IndividualPrinters1Click");
    EXPECT_TRUE(appOnDisk().bit(2566, 1));
    EXPECT_EQ(refreshes, 1);
}

}  // namespace
