// The window's Compare Programs table and the menu items of the dealer's
// tools.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/main_menu.h"
#include "cli/cli_fixture.h"
#include "cli/ui/cli_dialogs.h"
#include "program/program_ops.h"

namespace tramond::testing {
namespace {

class CliDialogsTest : public CliFixture {};

TEST_F(CliDialogsTest, CompareShowsEachDifferenceSideBySide) {
    copyProgram(session, dir / "copy.app");
    auto copy = ProgramImage::read(dir / "copy.app");
    copy.app.setOption(64, 1, !copy.app.option(64, 1));
    writeBytes(copy.appPath, {copy.app.bytes().begin(), copy.app.bytes().end()});
    auto plu = fileBytes(copy.file(".plu"));
    plu[2 * plu::kRecordSize + 37] = 0x95;  // PLU 3, price 1
    writeBytes(copy.file(".plu"), plu);

    const auto d = diffPrograms(program, ProgramImage::read(copy.appPath));
    ASSERT_EQ(d.size(), 2u);
    TComparePrograms dialog(d, "shop.app", "copy.app");
    auto* t = dialog.table();
    ASSERT_EQ(t->rowCount(), 2);
    EXPECT_EQ(t->horizontalHeaderItem(3)->text(), "shop.app");
    EXPECT_EQ(t->horizontalHeaderItem(4)->text(), "copy.app");
    EXPECT_TRUE(t->item(0, 2)->text().startsWith("flag 64 option 1 ("));
    EXPECT_EQ(t->item(1, 0)->text(), "plu");
    EXPECT_EQ(t->item(1, 1)->text(), "3");
    EXPECT_EQ(t->item(1, 2)->text(), "price1");
    EXPECT_EQ(t->item(1, 4)->text(), QString::fromStdString(d[1].b));
    EXPECT_EQ(dialog.summary()->text(), "2 differences between shop.app and copy.app.");
    EXPECT_TRUE(dialog.closeButton()->isDefault());

    TComparePrograms same({}, "shop.app", "copy.app");
    same.show();
    EXPECT_FALSE(same.table()->isVisible()) << "a sentence, not an empty table";
    EXPECT_TRUE(same.summary()->text().startsWith("The programs are the same"));
}

TEST(ComparePrograms, LongValuesStayInTheWindowAndShowWholeBelow) {
    // A block of 169 bytes as hex (338 characters) on both sides.
    const std::string a(338, 'A');
    const std::string b = std::string(337, 'A') + "F";
    const std::vector<Difference> d{{"application", 0, "bytes 365-533", "", a, b},
                                    {"plu", 7, "price1", "", "100", "120"}};
    TComparePrograms dialog(d, "shop.app", "Register");
    dialog.show();
    auto* t = dialog.table();
    int total = 0;
    for (int c = 0; c < t->columnCount(); ++c) total += t->columnWidth(c);
    EXPECT_LE(total, t->viewport()->width()) << "no column pushed beyond the window";
    EXPECT_GT(t->columnWidth(3), 80);
    EXPECT_GT(t->columnWidth(4), 80);
    EXPECT_GE(t->columnWidth(2), t->fontMetrics().horizontalAdvance("bytes 365-533")) << "the item readable";
    EXPECT_EQ(t->item(0, 3)->toolTip().remove('\n'), QString::fromStdString(a));
    t->setCurrentCell(1, 0);
    EXPECT_TRUE(dialog.detail()->toPlainText().contains("shop.app: 100"));
    t->setCurrentCell(0, 0);
    EXPECT_TRUE(dialog.detail()->toPlainText().contains("Register: " + QString::fromStdString(b)));
}

TEST(CliMenu, EveryItemHasItsHandlerAndACaption) {
    MenuRegistry registry;
    registerCliDialogs(registry);
    for (const auto* name : {"mVerifyRegister", "mComparePrograms", "mExportCsv", "mImportCsv"}) {
        const auto* item = findMenuItem(name);
        ASSERT_NE(item, nullptr) << name;
        EXPECT_NE(registry.find(item->handler), nullptr) << name;
        EXPECT_FALSE(item->fixedCaption.empty()) << name;
    }
}

}  // namespace
}  // namespace tramond::testing
