// The customer editor dialog, offscreen: the jump box and the discount check.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

#include "../editor_fixture.h"
#include "editors/ui/customer_dialog.h"
#include "ui_fixture.h"

namespace tramond {
namespace {

using test::named;

TEST(CustomerDialog, JumpStoresTheLeftCustomerAndADiscountTooBigIsReset) {
    test::ProgramDir dir;
    std::vector<std::string> shown;
    auto previous = ui::QtEditorPrompts::setHook([&](const EditorMessage& m, bool) {
        shown.push_back(m.text);
        return true;
    });
    ui::TEditCustManagment dialog(dir.session, LanguageTexts::builtIn());
    ASSERT_TRUE(dialog.activate());
    named<QTableWidget>(&dialog, "StringGrid1")->item(0, 0)->setText("SMITH");
    auto* discount = named<QLineEdit>(&dialog, "Edit2");
    discount->clear();
    QTest::keyClicks(discount, "300");
    EXPECT_EQ(discount->text(), "0");
    auto* number = named<QLineEdit>(&dialog, "Edit1");
    number->setText("7");
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_EQ(named<QListWidget>(&dialog, "ListBox1")->currentRow(), 6);
    EXPECT_EQ(dialog.controller().lines()[0], "1  SMITH                   ");
    EXPECT_EQ(shown, (std::vector<std::string>{"Wrong input"}));
    ui::QtEditorPrompts::setHook(previous);
}

}  // namespace
}  // namespace tramond
