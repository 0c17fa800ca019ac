// The print options dialog and the engine's buttons, offscreen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "../editor_fixture.h"
#include "ui_fixture.h"
#include "editors/ui/print_options_dialog.h"
#include "editors/ui/record_editor_dialog.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::putText;

using test::named;

// Clicks `button` of the next modal dialog once it is shown.
void answerNextModal(const char* button, std::function<void(QWidget*)> before = {}) {
    QTimer::singleShot(0, [button, before] {
        auto* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        if (before) before(modal);
        named<QPushButton>(modal, button)->click();
    });
}

TEST(PrintOptionsDialog, ShowsBitsZeroToFiveAndOkClearsSixAndSeven) {
    const auto& texts = LanguageTexts::builtIn();
    {
        ui::TSetPrintOptions dialog(0x21, texts);
        std::vector<bool> shown;
        for (int i = 1; i <= 6; ++i)
            shown.push_back(named<QCheckBox>(&dialog, ("CheckBox" + std::to_string(i)).c_str())->isChecked());
        EXPECT_EQ(shown, (std::vector<bool>{true, false, false, false, false, true}));
    }
    answerNextModal("BitBtn1");
    EXPECT_EQ(ui::editPrintOptions(0x61, texts, nullptr), 0x21);
    answerNextModal("BitBtn2", [](QWidget* d) { named<QCheckBox>(d, "CheckBox2")->setChecked(true); });
    EXPECT_EQ(ui::editPrintOptions(0x61, texts, nullptr), 0x61);
    answerNextModal("BitBtn1", [](QWidget* d) { named<QCheckBox>(d, "CheckBox4")->setChecked(true); });
    EXPECT_EQ(ui::editPrintOptions(0x01, texts, nullptr), 0x09);
}

class EngineButtonsTest : public ::testing::Test {
protected:
    void give(RecordKind kind, std::size_t nameAt, int count) {
        const auto& info = kindInfo(kind);
        dir.session.app.setU16(info.countOffset, static_cast<std::uint16_t>(count));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * info.recordSize, 0);
        for (int i = 0; i < count; ++i) putText(bytes, i * info.recordSize + nameAt, "R" + std::to_string(i + 1));
        dir.write(info.extension, bytes);
    }
    ProgramDir dir;
};

TEST_F(EngineButtonsTest, PrintOptionsButtonChangesTheRecordOnItsNextStore) {
    give(RecordKind::Correction, 3, 2);
    ui::RecordEditorDialog dialog(correctionEditorLayout(), dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(dialog.activate());
    answerNextModal("BitBtn1", [](QWidget* d) { named<QCheckBox>(d, "CheckBox1")->setChecked(true); });
    named<QPushButton>(&dialog, "PrintOptions")->click();
    EXPECT_EQ(dir.read(".cor")[2], 0);
    named<QPushButton>(&dialog, "Button1")->click();
    EXPECT_EQ(dir.read(".cor")[2], 1);
}

TEST_F(EngineButtonsTest, OptionButtonOpensItsHandlerOrStaysDisabled) {
    give(RecordKind::Clerk, 4, 2);
    {
        ui::RecordEditorDialog dialog(clerkEditorLayout(), dir.session, LanguageTexts::builtIn());
        EXPECT_FALSE(named<QPushButton>(&dialog, "Button2")->isEnabled());
    }
    std::vector<std::string> asked;
    int opened = 0;
    ui::HandlerLookup handlers = [&](std::string_view name) -> std::function<void()> {
        asked.emplace_back(name);
        return [&] { ++opened; };
    };
    ui::RecordEditorDialog dialog(clerkEditorLayout(), dir.session, LanguageTexts::builtIn(), nullptr, handlers);
    auto* button = named<QPushButton>(&dialog, "Button2");
    EXPECT_EQ(button->text().toStdString(), "&Clerk Options");
    ASSERT_TRUE(button->isEnabled());
    button->click();
    EXPECT_EQ(asked, (std::vector<std::string>{"mClerkOptionsClick"}));
    EXPECT_EQ(opened, 1);
}

TEST_F(EngineButtonsTest, ChoosingAPbTypeRecaptionsAndHidesBoxesAtOnce) {
    give(RecordKind::PbFunction, 3, 1);
    auto bytes = dir.read(".pbf");
    bytes[0] = 5;  // PRINT ONLY
    dir.write(".pbf", bytes);
    ui::RecordEditorDialog dialog(pbFunctionEditorLayout(), dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(dialog.activate());
    dialog.show();
    auto* option1 = named<QCheckBox>(&dialog, "option1");
    auto* option5 = named<QCheckBox>(&dialog, "option5");
    EXPECT_TRUE(option5->isVisible());
    EXPECT_EQ(option5->text().toStdString(), "Print &Last Tables");
    auto* type = named<QComboBox>(&dialog, "type");
    type->setCurrentIndex(8);
    emit type->activated(8);  // as a user's choice does
    EXPECT_FALSE(option5->isVisible());
    EXPECT_EQ(option1->text().toStdString(), "Other PB &Closed");
}

}  // namespace
}  // namespace tramond
