// The printers and serial ports dialogs through their real views, offscreen.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

#include "../options_fixture.h"
#include "options/printers.h"
#include "options/ui/printers_view.h"
#include "options/ui/register_ports_view.h"

namespace tramond {
namespace {

class PrintersPortsViewTest : public testing::OptionsFixture {
protected:
    void shot(QWidget& w, const char* name) {
        if (const char* dir = std::getenv("TRAMOND_SHOTS")) {
            w.show();
            w.grab().save(QString("%1/%2.png").arg(dir, name));
        }
    }
};

TEST_F(PrintersPortsViewTest, APrinterLineOpensItsNestedDialogAndShowsWhatItChanged) {
    OptionDialog controller(printersDialog(), session_, texts_);
    ui::PrintersView view(controller);
    EXPECT_FALSE(view.machineList()->isVisibleTo(&view));
    EXPECT_EQ(view.line(3)->text(), "KP &3 : Not Used");
    std::string opened;
    view.showNested = [&](OptionDialog& nested) {
        opened = std::string(nested.caption());
        ASSERT_TRUE(nested.select("ComboBox1", 5));
        EXPECT_TRUE(nested.ok().close);
        if (std::getenv("TRAMOND_SHOTS")) {
            ui::OptionDialogView v(nested);
            shot(v, "kp3");
        }
    };
    view.line(3)->click();
    EXPECT_EQ(opened, "KP 3 ");
    EXPECT_EQ(view.line(3)->text(), "KP &3 : Active");
    EXPECT_FALSE(view.line(3)->isChecked());
    EXPECT_EQ(session_.app.flag(41) & 0x0F, 5);
    EXPECT_EQ(appOnDisk()[45 + 41], 0);  // saved only by the printers dialog's OK
    shot(view, "printers");
}

TEST_F(PrintersPortsViewTest, AConflictTurnsTheStatusRedAndBlinks) {
    session_.app.setFlag(65, 2);
    session_.app.setFlag(66, 3);
    session_.app.setFlag(38, 0x01);
    session_.app.setFlag(39, 3);
    RegisterPortsDialog controller(session_, texts_, 38400);
    ui::RegisterPortsView view(controller);
    EXPECT_EQ(view.statusLabel(3)->text(), "Receipt Printer, Kitchen Printer");
    EXPECT_TRUE(view.statusLabel(3)->styleSheet().contains("red"));
    EXPECT_TRUE(view.blinkTimer()->isActive());
    shot(view, "ports");
    // Port 2's word format changes: the statuses are computed again.
    session_.app.setFlag(66, 4);
    view.wordList(2)->setCurrentIndex(3);
    emit view.wordList(2)->activated(3);
    EXPECT_EQ(session_.app.flag(28), 33);
    EXPECT_FALSE(view.blinkTimer()->isActive());
    EXPECT_FALSE(view.statusLabel(3)->styleSheet().contains("red"));
    EXPECT_EQ(view.statusLabel(4)->text(), "Receipt Printer");
}

}  // namespace
}  // namespace tramond
