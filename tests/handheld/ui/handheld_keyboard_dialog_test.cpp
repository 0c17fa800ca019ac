// The handheld keyboard window: a key press opens the function area, a
// choice lands on the key and in the file, and the menu item finds the window.

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/main_menu.h"
#include "app/settings_store.h"
#include "handheld/ui/handheld_keyboard_dialog.h"
#include "handheld/handheld_program.h"

namespace tramond::test {
namespace {

class HandheldKeyboardUi : public ::testing::Test {
protected:
    HandheldKeyboardUi() {
        writeHandheldRecords(program);
        RegisterConfigFile::of(program.session.programPath).ensure();
    }
    KeyboardProgram program;
    MemorySettingsStore settings;
    AppContext context{program.session, LanguageTexts::builtIn(), settings, nullptr, {}};
};

TEST_F(HandheldKeyboardUi, AKeyTakesAFunctionThroughTheFunctionArea) {
    TTovikKeyboard dialog(context, nullptr, &program.prompter);
    ASSERT_TRUE(dialog.opened());
    EXPECT_FALSE(dialog.GroupBox1->isEnabled());
    EXPECT_EQ(dialog.SpdBtn[6]->text(), "DEPT 1");
    EXPECT_EQ(dialog.SpdBtn[6]->toolTip(), "Programmable Key");

    dialog.SpdBtn[2]->click();
    EXPECT_TRUE(dialog.GroupBox1->isEnabled());
    EXPECT_TRUE(dialog.SpdBtn[2]->isChecked());
    EXPECT_TRUE(dialog.SpdBtn[2]->isEnabled());
    EXPECT_FALSE(dialog.SpdBtn[0]->isEnabled());
    EXPECT_FALSE(dialog.BitBtn1->isEnabled()) << "no OK in the middle of a choice";

    dialog.show();
    dialog.ListBox1->setCurrentRow(7);  // Department
    ASSERT_EQ(dialog.ListBox2->count(), 9);
    // A real click: the list is emptied while it reports the click.
    const auto item = dialog.ListBox2->visualItemRect(dialog.ListBox2->item(6));
    QTest::mouseClick(dialog.ListBox2->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(dialog.SpdBtn[2]->text(), "DEPT 7");
    EXPECT_FALSE(dialog.SpdBtn[2]->isChecked());
    EXPECT_TRUE(dialog.SpdBtn[0]->isEnabled());
    EXPECT_FALSE(dialog.GroupBox1->isEnabled());

    // A price level: cancelling the question leaves the key selected and
    // unchanged; a level gives the key its code.
    program.session.app.set(appblock::kPluPriceLevels, 4);
    const auto fixed = fixedFunctions();
    const int pl = static_cast<int>(
        std::find_if(fixed.begin(), fixed.end(), [](const auto& f) { return f.code == 2011; }) - fixed.begin());
    std::optional<long> answer;
    dialog.askLevel = [&](int) { return answer; };
    dialog.SpdBtn[3]->click();
    dialog.ListBox1->setCurrentRow(0);
    dialog.ListBox2Click(pl);
    EXPECT_TRUE(dialog.GroupBox1->isEnabled());
    EXPECT_EQ(dialog.keyboard().code(4), 705);
    answer = 2;
    dialog.ListBox2Click(pl);
    EXPECT_EQ(dialog.keyboard().code(4), 2012);
    EXPECT_FALSE(dialog.GroupBox1->isEnabled());

    dialog.SpdBtn[4]->click();
    dialog.BitBtn3->click();  // Clear Key
    EXPECT_EQ(dialog.SpdBtn[4]->text(), "");

    dialog.BitBtn1->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const auto chk = program.read(".chk");
    EXPECT_EQ(chk[4], 0x8F);
    EXPECT_EQ(chk[5], 0x13);
    EXPECT_EQ(chk[6] | chk[7] << 8, 2012);
    EXPECT_EQ(chk[8] | chk[9] << 8, 0);
    EXPECT_EQ(program.session.updateList().lines(), std::vector<std::string>{"000000111"});
    EXPECT_TRUE(program.prompter.messages.empty());
}

TEST_F(HandheldKeyboardUi, IsRegisteredUnderTheMenuItemsHandler) {
    MenuRegistry registry;
    registerHandheldKeyboardDialog(registry);
    const auto* item = findMenuItem("mTovikKeyboard");
    ASSERT_NE(item, nullptr);
    EXPECT_NE(registry.find(item->handler), nullptr);
}

}  // namespace
}  // namespace tramond::test
