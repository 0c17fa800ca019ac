// The Tovik Options dialog over a program on disk: the lists it shows, the
// handheld switch keeping each record's edits, and the refusals.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/app_test_support.h"
#include "handheld/ui/tovik_options_dialog.h"
#include "program/file_io.h"
#include "program/program_ops.h"

namespace tramond {
namespace {

class TovikOptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(createProgram(session, dir.path() / "shop.app").outcome, LoadOutcome::Loaded);
        session.app.setFlag(78, 1);
        session.app.setFlag(90, 7);
        RegisterConfigFile chk = RegisterConfigFile::of(session.programPath);
        ConfigPart part = chk.readPart(0);
        part[13] = 1;
        part[27] = 1;
        part[41] = 2;
        chk.writePart(0, part);
    }
    TempDir dir;
    ProgramSession session;
    FakePrompter prompter;
};

TEST_F(TovikOptionsDialog, EachHandheldKeepsItsOwnEditsUntilOk) {
    TovikOptionsController controller(session, LanguageTexts::builtIn());
    TTovikOptions dialog(controller, prompter);
    EXPECT_FALSE(dialog.CmbBRegNum->isEnabled());
    ASSERT_EQ(dialog.CmbBTovik->count(), 4);
    EXPECT_EQ(dialog.CmbBTovik->itemText(2), "Not Used");
    ASSERT_EQ(dialog.CmbBPort->count(), 7);
    EXPECT_EQ(dialog.CmbBPort->itemText(5), "DECT channel 3");

    dialog.CmbBPort->setCurrentIndex(6);  // DECT channel 4: code 8
    dialog.CmbBTovik->setCurrentIndex(1);
    EXPECT_TRUE(dialog.CmbBPort->isEnabled());
    dialog.CmbBPort->setCurrentIndex(1);
    dialog.CmbBTovik->setCurrentIndex(2);
    EXPECT_FALSE(dialog.CmbBPort->isEnabled()) << "a handheld that is not used";
    dialog.CmbBTovik->setCurrentIndex(0);
    EXPECT_EQ(dialog.CmbBPort->currentIndex(), 6);
    dialog.CBGeneral[2]->setChecked(true);
    dialog.BitBtn1Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.messages.empty());
    const auto chk = readFile(session.file(".chk"));
    EXPECT_EQ(chk.at(56 + 56 + 1), 8);
    EXPECT_EQ(chk.at(56 + 56 + 14 + 1), 2);
    EXPECT_TRUE(session.app.option(23, 3));
}

TEST_F(TovikOptionsDialog, TimerAboveTwoHundredFiftyIsRefusedAndKeepsTheDialogOpen) {
    TovikOptionsController controller(session, LanguageTexts::builtIn());
    TTovikOptions dialog(controller, prompter);
    const auto before = readFile(session.file(".chk"));
    dialog.EdtTimer->setText("251");
    emit dialog.EdtTimer->editingFinished();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Invalid Entry   Possible values 0 - 250.");
    dialog.BitBtn1Click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(readFile(session.file(".chk")), before);
}

TEST_F(TovikOptionsDialog, ChoosingARegisterMakesItCurrentAndTellsTheMainWindow) {
    session.app.setFlag(78, 2);
    TovikOptionsController controller(session, LanguageTexts::builtIn());
    TTovikOptions dialog(controller, prompter);
    int told = 0;
    dialog.machineChanged = [&] { ++told; };
    ASSERT_TRUE(dialog.CmbBRegNum->isEnabled());
    dialog.CmbBRegNum->setCurrentIndex(1);
    EXPECT_EQ(session.machineNumber, 2);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(dialog.LblRegNum->text(), "Settings for machine : 2");
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace tramond
