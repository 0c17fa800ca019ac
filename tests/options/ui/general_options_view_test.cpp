// General Options through the real dialog, offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "../options_fixture.h"
#include "options/general_options.h"
#include "options/ui/option_dialog_view.h"
#include "options/ui/options_menu.h"
#include "program/ui/message_box.h"

namespace tramond {
namespace {

struct Shown {
    QString title;
    QString text;
};

class GeneralOptionsViewTest : public testing::OptionsFixture {
protected:
    void SetUp() override {
        OptionsFixture::SetUp();
        previous_ = ui::setMessagePresenter(
            [this](QWidget*, ui::MessageKind, const QString& title, const QString& text) {
                shown_.push_back({title, text});
            });
    }
    void TearDown() override {
        ui::setMessagePresenter(previous_);
        OptionsFixture::TearDown();
    }

    ui::MessagePresenter previous_;
    std::vector<Shown> shown_;
};

TEST_F(GeneralOptionsViewTest, BuildsNamedWidgetsPlacedBelowTheMainWindow) {
    QWidget main;
    main.setGeometry(140, 60, 800, 600);
    texts_.setText(537, " Suppress Journal");
    session_.app.setFlag(84, 23);
    OptionDialog controller(generalOptionsDialog(), session_, texts_);
    ui::OptionDialogView view(controller, &main);

    EXPECT_EQ(view.windowTitle(), "General Options");
    EXPECT_EQ(view.pos(), QPoint(main.frameGeometry().left(), main.frameGeometry().top() + 45));

    auto* masking = qobject_cast<QCheckBox*>(view.widget("CheckBox1"));
    ASSERT_NE(masking, nullptr);
    EXPECT_EQ(masking->text(), "1. Amount Input &Masking:    ");
    auto* journal = qobject_cast<QCheckBox*>(view.widget("CheckBox5"));
    ASSERT_NE(journal, nullptr);
    EXPECT_FALSE(journal->isEnabled());
    EXPECT_FALSE(view.widget("CheckBox2")->isEnabled());

    auto* type = qobject_cast<QComboBox*>(view.widget("ComboBox5"));
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->currentText(), "ICD 2002 + Printer");
    EXPECT_EQ(qobject_cast<QComboBox*>(view.widget("CmBPortExtDspl"))->currentText(), "3");
    EXPECT_EQ(qobject_cast<QLabel*>(view.widget("Label5"))->toolTip(), "Connect scale on cash register port2!");
    EXPECT_TRUE(view.widget("CmBPortComp")->isHidden());
    EXPECT_FALSE(view.widget("CmBComReg")->isEnabled());
    EXPECT_FALSE(view.widget("LblComReg")->isEnabled());
}

TEST_F(GeneralOptionsViewTest, RoundingFromTheListThenOkSavesTheProgram) {
    session_.app.setFlag(64, 0x05);
    OptionDialog controller(generalOptionsDialog(), session_, texts_);
    ui::OptionDialogView view(controller);
    auto* rounding = qobject_cast<QComboBox*>(view.widget("ComboBox1"));
    ASSERT_NE(rounding, nullptr);
    EXPECT_EQ(rounding->currentText(), "SWISS ITEM");
    rounding->setCurrentIndex(kRounding0410);
    emit rounding->activated(kRounding0410);
    EXPECT_EQ(session_.app.flag(64), 0x01);
    EXPECT_TRUE(session_.app.option(3, 2));

    view.okButton()->click();
    EXPECT_EQ(view.result(), QDialog::Accepted);
    EXPECT_TRUE(appOnDiskEquals(session_.app));
    EXPECT_EQ(updateLines(), std::vector<std::string>{"000000002"});
}

TEST_F(GeneralOptionsViewTest, LeavingAnEmptyInactiveTimeSaysWrongInput) {
    OptionDialog controller(generalOptionsDialog(), session_, texts_);
    ui::OptionDialogView view(controller);
    auto* edit = qobject_cast<QLineEdit*>(view.widget("Edit1"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "5");
    EXPECT_EQ(edit->maxLength(), 2);
    edit->clear();
    emit edit->textEdited("");
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(edit, &out);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].title, "Error");
    EXPECT_EQ(shown_[0].text, "Wrong Input!");
    EXPECT_EQ(edit->text(), "");
}

TEST_F(GeneralOptionsViewTest, MenuHandlerNeedsALoadedProgramAndRunsTheDialog) {
    MenuRegistry registry;
    registerOptionsDialogs(registry);
    const auto* handler = registry.find("mGeneralOptionsClick");
    ASSERT_NE(handler, nullptr);

    MemorySettingsStore settings;
    int refreshed = 0;
    AppContext context{session_, texts_, settings, nullptr, [&] { ++refreshed; }};
    session_.loaded = false;
    (*handler)(context);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, "No Program Loaded !");
    EXPECT_EQ(refreshed, 0);

    session_.loaded = true;
    session_.app.setFlag(78, 3);
    session_.app.set(appblock::kIndividualPrinters, true);
    bool sawDialog = false;
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* modal = QApplication::activeModalWidget();
        auto* view = qobject_cast<ui::OptionDialogView*>(modal);
        if (view) {
            sawDialog = true;
            poll.stop();
            view->okButton()->click();
        } else if (++tries > 200 && modal) {
            poll.stop();
            modal->close();
        }
    });
    poll.start(10);
    (*handler)(context);
    poll.stop();
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(session_.app.flag(112), 1);  // the first register stands for 0
    EXPECT_TRUE(appOnDiskEquals(session_.app));
}

}  // namespace
}  // namespace tramond
