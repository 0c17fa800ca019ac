// The shared PB info dialog, offscreen: what sharing on/off shows, and an OK
// that fails keeps the dialog open.
#include "editors/ui/shared_pb_info_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "../editor_fixture.h"
#include "program/file_io.h"
#include "ui_fixture.h"

namespace tramond {
namespace {

using test::named;

TEST(SharedPbInfoDialog, SharingSwitchDrivesTheRadiosAndTheList) {
    test::ProgramDir dir;
    dir.session.app.setU8(2566, 0x30);
    writeFileAtomic(dir.session.programPath, dir.session.app.bytes());
    std::vector<std::string> shown;
    auto previous = ui::QtEditorPrompts::setHook([&](const EditorMessage& m, bool) {
        shown.push_back(m.text);
        return true;
    });
    ui::TSharedPbInfoFile dialog(dir.session, LanguageTexts::builtIn());
    dialog.show();
    auto* sharing = named<QCheckBox>(&dialog, "CheckBox1");
    auto* active = named<QRadioButton>(&dialog, "RadioButton1");
    auto* passive = named<QRadioButton>(&dialog, "RadioButton2");
    auto* list = named<QListWidget>(&dialog, "ListBox1");
    EXPECT_TRUE(sharing->isChecked());
    EXPECT_TRUE(active->isChecked());
    EXPECT_TRUE(list->isVisible());

    passive->click();
    EXPECT_FALSE(list->isVisible());
    sharing->click();
    EXPECT_FALSE(active->isEnabled());
    EXPECT_FALSE(active->isChecked() || passive->isChecked());

    // A failed OK keeps the dialog open.
    std::filesystem::remove(dir.session.programPath);
    named<QPushButton>(&dialog, "BitBtn1")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(shown, (std::vector<std::string>{"Error opening File !!"}));
    ui::QtEditorPrompts::setHook(previous);
}

}  // namespace
}  // namespace tramond
