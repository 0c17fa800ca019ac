#include "link/ui/set_comp_comm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/settings_store.h"

namespace tramond {
namespace {

TEST(TSetCompCommView, ShowsTheSettingsAndOkSavesTheChoice) {
    MemorySettingsStore store;
    LinkSettings s{"/dev/ttyS1", 57600, true};
    CommSettingsController c(s, store, {"/dev/ttyS0", "/dev/ttyS1"});
    TSetCompComm dialog(c);
    EXPECT_EQ(dialog.windowTitle(), "Options");
    ASSERT_EQ(dialog.ComboBox1->count(), 3);
    EXPECT_EQ(dialog.ComboBox1->itemText(0), "SIM (simulated register)");
    EXPECT_EQ(dialog.ComboBox1->currentText(), "/dev/ttyS1");
    EXPECT_EQ(dialog.ComboBox2->currentIndex(), -1);  // 57600 is not offered
    EXPECT_TRUE(dialog.CheckBox1->isChecked());

    dialog.ComboBox1->setCurrentIndex(0);
    dialog.ComboBox2->setCurrentIndex(3);
    dialog.CheckBox1->setChecked(false);
    dialog.BitBtn1Click();
    EXPECT_EQ(store.read(kCommsKey, "Port"), "SIM");
    EXPECT_EQ(store.read(kCommsKey, "BaudRate"), "9600");
    EXPECT_EQ(store.read(kCommsKey, "HwHandshake"), "0");
}

TEST(TSetCompCommView, AStoredPortTheSystemNoLongerListsIsShownAndKept) {
    MemorySettingsStore store;
    LinkSettings s{"/dev/ttyUSB3", 38400, false};
    CommSettingsController c(s, store, {"/dev/ttyS0"});
    TSetCompComm dialog(c);
    EXPECT_EQ(dialog.ComboBox1->currentText(), "/dev/ttyUSB3 (not present)");
    dialog.BitBtn1Click();
    EXPECT_EQ(store.read(kCommsKey, "Port"), "/dev/ttyUSB3") << "the name, not the words added to it";
    // The Windows name of a listed device is not missing.
    LinkSettings com{"COM1", 38400, false};
    CommSettingsController listed(com, store, {"/dev/ttyS0"});
    EXPECT_EQ(listed.portLabels().back(), "COM1");
    // A name typed over the list is taken as typed.
    dialog.ComboBox1->setEditText("/dev/ttyACM0");
    dialog.BitBtn1Click();
    EXPECT_EQ(store.read(kCommsKey, "Port"), "/dev/ttyACM0");
}

TEST(TSetCompCommView, NetworkPortFormPutsItsPortInTheListAndOkKeepsIt) {
    MemorySettingsStore store;
    LinkSettings s{"/dev/ttyS0", 38400, false};
    CommSettingsController c(s, store, {"/dev/ttyS0"});
    TSetCompComm dialog(c);
    ASSERT_TRUE(dialog.NetworkButton);
    EXPECT_EQ(dialog.NetworkButton->text().remove('&'), "Network port...");

    // The form as the dealer fills it: OK only once the fields make a port.
    bool sawDisabledOk = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TNetworkPort*>(QApplication::activeModalWidget());
        ASSERT_TRUE(form);
        auto* ok = form->Buttons->button(QDialogButtonBox::Ok);
        sawDisabledOk = !ok->isEnabled();  // a local port gives an empty form
        form->KindBox->setCurrentIndex(1);
        form->HostEdit->setText("shop-7.example");
        EXPECT_FALSE(ok->isEnabled()) << "no TCP port yet";
        form->PortEdit->setText("4001");
        EXPECT_TRUE(ok->isEnabled());
        EXPECT_EQ(form->ResultLabel->text(), "Port name: socket://shop-7.example:4001");
        ok->click();
    });
    dialog.NetworkButtonClick();
    EXPECT_TRUE(sawDisabledOk);
    EXPECT_EQ(dialog.ComboBox1->currentText(), "socket://shop-7.example:4001");
    dialog.BitBtn1Click();
    EXPECT_EQ(store.read(kCommsKey, "Port"), "socket://shop-7.example:4001");

    // Opened again, the form starts from that port, and Cancel changes nothing.
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TNetworkPort*>(QApplication::activeModalWidget());
        ASSERT_TRUE(form);
        EXPECT_EQ(form->KindBox->currentIndex(), 1);
        EXPECT_EQ(form->HostEdit->text(), "shop-7.example");
        EXPECT_EQ(form->PortEdit->text(), "4001");
        form->HostEdit->setText("elsewhere");
        form->reject();
    });
    dialog.NetworkButtonClick();
    EXPECT_EQ(dialog.ComboBox1->currentText(), "socket://shop-7.example:4001");
}

}  // namespace
}  // namespace tramond
