// The record and PLU editor dialogs, offscreen, over real files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "../editor_fixture.h"
#include "app/settings_store.h"
#include "editors/ui/editor_dialogs.h"
#include "editors/ui/plu_editor_dialog.h"
#include "editors/ui/record_editor_dialog.h"

namespace tramond {
namespace {

using test::ProgramDir;
using test::putText;

// Answers every question with `answer` and records every message.
struct PromptCatcher {
    explicit PromptCatcher(bool answer = true) {
        previous = ui::QtEditorPrompts::setHook([this, answer](const EditorMessage& m, bool question) {
            (question ? asked : shown).push_back(m.text);
            return answer;
        });
    }
    ~PromptCatcher() { ui::QtEditorPrompts::setHook(previous); }
    std::vector<std::string> shown, asked;
    ui::QtEditorPrompts::Hook previous;
};

template <class T>
T* child(QWidget* parent, const char* name) {
    auto* w = parent->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

class DepartmentDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.session.app.setU16(1059, 3);
        dir.session.app.setU8(1064, 24);
        dir.session.app.setU16(2117, 2);
        std::vector<std::uint8_t> dpt(3 * 39, 0);
        for (int i = 0; i < 3; ++i) putText(dpt, i * 39 + 4, "DEPT " + std::to_string(i + 1));
        dpt[0] = 0x02;  // no tax shift
        dir.write(".dpt", dpt);
        std::vector<std::uint8_t> grp(2 * 29, 0);
        putText(grp, 4, "GRP 1");
        putText(grp, 29 + 4, "GRP 2");
        dir.write(".grp", grp);
    }
    ProgramDir dir;
};

TEST_F(DepartmentDialogTest, TypingAndNextStoresTheRecord) {
    PromptCatcher prompts;
    ui::RecordEditorDialog dialog(departmentEditorLayout(), dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(dialog.activate());
    auto* list = child<QListWidget>(&dialog, "ListBox1");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(child<QComboBox>(&dialog, "group")->count(), 2);
    EXPECT_TRUE(child<QCheckBox>(&dialog, "noTaxShift")->isChecked());

    auto* name = child<QLineEdit>(&dialog, "Edit1");
    name->clear();
    QTest::keyClicks(name, "BAKERY");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(list->item(0)->text().toStdString(), "BAKERY");
    child<QPushButton>(&dialog, "Button1")->click();
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(child<QLineEdit>(&dialog, "Edit2")->text().toStdString(), "2");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&dir.read(".dpt")[4])), "BAKERY");
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"000005001"}));

    auto* number = child<QLineEdit>(&dialog, "Edit2");
    number->clear();
    QTest::keyClicks(number, "9");
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"Wrong Input"}));
    EXPECT_TRUE(number->text().isEmpty());
    EXPECT_EQ(list->currentRow(), 1);

    list->setCurrentRow(2);  // a click in the list
    EXPECT_EQ(child<QLineEdit>(&dialog, "Edit1")->text().toStdString(), "DEPT 3");
}

TEST_F(DepartmentDialogTest, OptionWithBlankCaptionIsDisabledButKeepsItsBit) {
    static constexpr std::array words{OptionWord{0, 2, 0, 0}};
    static constexpr std::array fields{
        FieldRow{.name = "printExtraLine", .caption = {900, "x"}, .offset = 0, .width = 2, .bit = 0},
        FieldRow{.name = "noTaxShift", .caption = {901, "x"}, .offset = 0, .width = 2, .bit = 1},
    };
    auto layout = departmentEditorLayout();
    layout.words = words;
    layout.fields = fields;
    LanguageTexts texts = LanguageTexts::builtIn();
    texts.setText(900, "Print &Extra Line");
    texts.setText(901, " No Tax Shift");
    PromptCatcher prompts;
    ui::RecordEditorDialog dialog(layout, dir.session, texts);
    ASSERT_TRUE(dialog.activate());
    auto* blank = child<QCheckBox>(&dialog, "noTaxShift");
    EXPECT_FALSE(blank->isEnabled());
    EXPECT_TRUE(blank->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&dialog, "printExtraLine")->isEnabled());
    child<QCheckBox>(&dialog, "printExtraLine")->click();
    child<QPushButton>(&dialog, "BitBtn1")->click();
    EXPECT_EQ(dir.read(".dpt")[0], 0x03);
}

TEST_F(DepartmentDialogTest, MissingFileOpensEmptyWithMessage) {
    std::filesystem::remove(dir.session.file(".dpt"));
    PromptCatcher prompts;
    ui::RecordEditorDialog dialog(departmentEditorLayout(), dir.session, LanguageTexts::builtIn());
    EXPECT_FALSE(dialog.activate());
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"Error opening File !!"}));
    EXPECT_EQ(child<QListWidget>(&dialog, "ListBox1")->count(), 0);
    child<QPushButton>(&dialog, "Button1")->click();
    child<QPushButton>(&dialog, "BitBtn1")->click();
    EXPECT_FALSE(std::filesystem::exists(dir.session.file(".dpt")));
}

class PluDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& app = dir.session.app;
        app.setU16(2227, 4);
        app.setU8(2231, 0x02);  // tare only
        app.setU8(2234, 2);     // code mode, four digits
        app.setU8(2235, 24);
        app.setU8(2236, 2);     // two price levels
        app.setU8(2237, 3);
        std::vector<std::uint8_t> bytes(4 * plu::kRecordSize, 0);
        for (int r = 0; r < 4; ++r) putText(bytes, r * plu::kRecordSize + 9, "PLU " + std::to_string(r + 1));
        bytes[plu::kRecordSize + 2] = 0x11;  // record 2: code 11
        bytes[plu::kRecordSize + 55] = 0x33; // its price 3, hidden
        dir.write(".plu", bytes);
    }
    ProgramDir dir;
};

TEST_F(PluDialogTest, ScreenFollowsTheHeader) {
    PromptCatcher prompts;
    ui::PluEditorDialog dialog(dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(dialog.activate());
    dialog.show();
    EXPECT_FALSE(child<QLineEdit>(&dialog, "Edit2")->isVisible());
    EXPECT_TRUE(child<QLineEdit>(&dialog, "Edit3")->isVisible());
    EXPECT_EQ(child<QLineEdit>(&dialog, "Edit3")->maxLength(), 4);
    EXPECT_TRUE(child<QLineEdit>(&dialog, "Edit6")->isVisible());
    EXPECT_FALSE(child<QLineEdit>(&dialog, "Edit7")->isVisible());
    EXPECT_FALSE(child<QLineEdit>(&dialog, "Edit9")->isVisible());
    EXPECT_FALSE(child<QLineEdit>(&dialog, "Edit10")->isVisible());
    EXPECT_TRUE(child<QLineEdit>(&dialog, "Edit12")->isVisible());
    EXPECT_EQ(child<QLineEdit>(&dialog, "Edit7")->text().toStdString(), "33") << "hidden, but filled";
    EXPECT_TRUE(child<QPushButton>(&dialog, "Button2")->isEnabled());
    for (auto* name : {"Button4", "Button5"}) EXPECT_FALSE(child<QPushButton>(&dialog, name)->isEnabled());
    auto* list = child<QListWidget>(&dialog, "ListBox1");
    ASSERT_EQ(list->count(), 4);
    EXPECT_TRUE(list->item(0)->text().startsWith("0011"));
    EXPECT_TRUE(list->item(3)->text().contains("zz (Not Used)"));
    EXPECT_EQ(child<QListWidget>(&dialog, "CheckListBox1")->item(2)->text().toStdString(), "To KP #   3 :");
    dialog.close();
}

TEST_F(PluDialogTest, OptionButtonsOpenTheirDialogsAndBoxesShowTheirWholeContent) {
    PromptCatcher prompts;
    std::vector<std::string> opened;
    ui::HandlerLookup handlers = [&](std::string_view name) -> std::function<void()> {
        return [&opened, handler = std::string(name)] { opened.push_back(handler); };
    };
    ui::PluEditorDialog dialog(dir.session, LanguageTexts::builtIn(), nullptr, handlers);
    ASSERT_TRUE(dialog.activate());
    dialog.show();
    for (auto* b : {dialog.pluOptionsButton(), dialog.barcodeOptionsButton()}) {
        ASSERT_TRUE(b->isEnabled()) << b->text().toStdString();
        b->click();
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"mPLUOptionsClick", "mBarcodeOptionsClick"}));

    // Code mode with 7 code bytes: 14 digits, and the 24-character name.
    dir.session.app.setU8(2234, 7);
    ui::PluEditorDialog wide(dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(wide.activate());
    wide.show();
    const QFontMetrics fm(wide.nameEdit()->font());
    EXPECT_EQ(wide.codeEdit()->maxLength(), 14);
    EXPECT_GE(wide.codeEdit()->width(), fm.horizontalAdvance(QString(14, '0')));
    EXPECT_EQ(wide.nameEdit()->maxLength(), 24);
    EXPECT_GE(wide.nameEdit()->width(), fm.horizontalAdvance(QString(24, 'N')));
}

// Key Info opens the PLU editor from the keyboard window, which has no
// registry of its own to give: the buttons still reach the window's
// handlers through the context, as from the Edit menu.
TEST_F(PluDialogTest, AnEditorOpenedFromAnotherDialogGetsTheWindowsHandlers) {
    PromptCatcher prompts;
    std::vector<std::string> opened;
    MenuRegistry registry;
    for (const char* name : {"mPLUOptionsClick", "mBarcodeOptionsClick"})
        registry.add(name, [&opened, name](AppContext&) { opened.push_back(name); });
    MemorySettingsStore settings;
    AppContext context{dir.session, LanguageTexts::builtIn(), settings, nullptr, {}};
    context.registry = &registry;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<ui::PluEditorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        for (auto* b : {editor->pluOptionsButton(), editor->barcodeOptionsButton()}) {
            EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
            b->click();
        }
        editor->reject();
    });
    EXPECT_TRUE(openRecordEditor(context, RecordKind::Plu, 1));
    EXPECT_EQ(opened, (std::vector<std::string>{"mPLUOptionsClick", "mBarcodeOptionsClick"}));
}

TEST_F(PluDialogTest, UnknownCodeCreatesAfterConfirmation) {
    PromptCatcher prompts(true);
    ui::PluEditorDialog dialog(dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(dialog.activate());
    auto* code = child<QLineEdit>(&dialog, "Edit3");
    code->clear();
    QTest::keyClicks(code, "7");
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{"Record doesn't exist. Create new?"}));
    auto* list = child<QListWidget>(&dialog, "ListBox1");
    EXPECT_TRUE(list->item(0)->text().startsWith("0007"));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(child<QLineEdit>(&dialog, "Edit1")->text().toStdString(), "PLU 1");
    EXPECT_EQ(dir.updates(), (std::vector<std::string>{"N" "00000000000007" "00001" "00"}));
}

TEST(EditorMenu, RegistersTheEditMenuHandlers) {
    MenuRegistry registry;
    registerEditorDialogs(registry);
    for (auto* name : {"mEditDepartFileClick", "mEditGroupFileClick", "mEditPLUFileClick", "mEditTendFileClick",
                       "mEditSalPerFileClick"})
        EXPECT_NE(registry.find(name), nullptr) << name;
    EXPECT_EQ(registry.find("mEditCondFileClick"), nullptr) << "no placeholder for editors not built";
}

}  // namespace
}  // namespace tramond
