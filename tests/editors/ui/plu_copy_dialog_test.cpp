// "Copy PLU record" from the PLU editor, offscreen.
#include "editors/ui/plu_copy_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "../editor_fixture.h"
#include "editors/ui/plu_editor_dialog.h"
#include "ui_fixture.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::putText;

using test::named;

TEST(PluCopyDialog, CopiesFromTheEditorAndRefusesARangeTooBig) {
    ProgramDir dir;
    auto& app = dir.session.app;
    app.setU16(2227, 4);  // four PLUs, number mode
    app.setU8(2235, 24);
    app.setU8(2236, 4);
    app.setU8(2237, 3);
    std::vector<std::uint8_t> bytes(4 * plu::kRecordSize, 0);
    for (int r = 0; r < 4; ++r) putText(bytes, r * plu::kRecordSize + 9, "PLU " + std::to_string(r + 1));
    bytes[108] = 0x81;  // PLU 1: kitchen printers 1 and 8
    dir.write(".plu", bytes);

    std::vector<std::string> shown;
    auto previous = ui::QtEditorPrompts::setHook([&](const EditorMessage& m, bool) {
        shown.push_back(m.text);
        return true;
    });
    ui::PluEditorDialog editor(dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(editor.activate());
    auto* copy = named<QPushButton>(&editor, "Button6");
    ASSERT_TRUE(copy->isEnabled());

    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* d = QApplication::activeModalWidget();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(named<QLineEdit>(d, "EdtStartPosition")->text(), "1");
        named<QCheckBox>(d, "CheckBox1")->setChecked(true);
        named<QCheckBox>(d, "CheckBox11")->setChecked(true);
        named<QLineEdit>(d, "EdtRange")->setText("4");  // 2..5: one too many
        named<QPushButton>(d, "BitBtn1")->click();
        stayedOpen = d->isVisible();
        named<QLineEdit>(d, "EdtRange")->setText("3");
        named<QPushButton>(d, "BitBtn1")->click();
    });
    copy->click();
    ui::QtEditorPrompts::setHook(previous);

    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(shown, (std::vector<std::string>{"Given range is too big for current size of PLU file!"}));
    const auto after = dir.read(".plu");
    ASSERT_EQ(after.size(), bytes.size());
    for (int r = 1; r < 4; ++r) {
        EXPECT_EQ(after[r * plu::kRecordSize + 108], 0x81) << r;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&after[r * plu::kRecordSize + 9])), "PLU 1");
    }
    auto* list = named<QListWidget>(&editor, "ListBox1");
    EXPECT_TRUE(list->item(3)->text().startsWith("PLU 1"));
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000010002", "000010003", "000010004"}));
}

}  // namespace
}  // namespace tramond
