// File > Program History...: the versions newest first, which buttons a
// selection allows, comparing two versions, and a restore that puts the
// files back and shows the program again; a restore declined changes nothing.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "app/main_menu.h"
#include "app/settings_store.h"
#include "cli/cli_fixture.h"
#include "history/ui/program_history_dialog.h"

namespace tramond::testing {
namespace {

using history::Event;
using history::ProgramHistory;

class HistoryDialogTest : public CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        ASSERT_TRUE(ProgramHistory(program.appPath).record({Event::Record, "delivered", {}, false}).recorded);
        auto dpt = fileBytes(program.file(".dpt"));
        dpt[6] = 'Q';
        writeBytes(program.file(".dpt"), dpt);
        ASSERT_TRUE(ProgramHistory(program.appPath).keepCurrent().recorded);
    }
    void select(TProgramHistory& d, std::initializer_list<int> rows) {
        d.table()->clearSelection();
        for (int r : rows)
            d.table()->selectionModel()->select(d.table()->model()->index(r, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    LanguageTexts texts = LanguageTexts::builtIn();
    MemorySettingsStore settings;
    std::vector<std::filesystem::path> reloaded;
    AppContext context{session, texts, settings, nullptr, {},
                       [this](const std::filesystem::path& p) { reloaded.push_back(p); }};
};

TEST_F(HistoryDialogTest, ListsComparesAndRestores) {
    TProgramHistory d(context);
    ASSERT_EQ(d.table()->rowCount(), 2);
    EXPECT_EQ(d.summary()->text(), "2 versions of shop.app, the newest first.");
    EXPECT_EQ(d.table()->item(0, 0)->text(), "2");
    EXPECT_EQ(d.table()->item(0, 2)->text(), "Edited");
    EXPECT_EQ(d.table()->item(0, 7)->text(), "dpt");
    EXPECT_EQ(d.table()->item(1, 7)->text(), "(first version)");
    EXPECT_EQ(d.table()->item(1, 5)->text(), "delivered");
    EXPECT_TRUE(d.closeButton()->isDefault()) << "Enter never restores";
    EXPECT_FALSE(d.restoreButton()->isDefault());

    struct Case {
        std::initializer_list<int> rows;
        bool program, versions, restore;
    };
    for (const auto& c : {Case{{0}, true, false, true}, Case{{0, 1}, false, true, false}, Case{{}, false, false, false}}) {
        select(d, c.rows);
        EXPECT_EQ(d.compareWithProgramButton()->isEnabled(), c.program) << c.rows.size();
        EXPECT_EQ(d.compareVersionsButton()->isEnabled(), c.versions) << c.rows.size();
        EXPECT_EQ(d.restoreButton()->isEnabled(), c.restore) << c.rows.size();
    }

    std::vector<Difference> shown;
    QString left, right;
    d.showDifferences = [&](const std::vector<Difference>& diffs, const QString& a, const QString& b) {
        shown = diffs;
        left = a;
        right = b;
    };
    select(d, {0, 1});
    d.compareVersionsButton()->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].area, "department");
    EXPECT_EQ(left, "Version 1");
    EXPECT_EQ(right, "Version 2");

    QStringList told;
    d.inform = [&](const QString& text, bool) { told << text; };
    d.confirm = [](const QString&) { return false; };
    select(d, {1});
    d.restoreButton()->click();
    EXPECT_EQ(fileBytes(program.file(".dpt"))[6], 'Q') << "declined";
    EXPECT_TRUE(told.isEmpty());

    d.confirm = [](const QString& q) { return q.startsWith("Put version 1 of shop.app back?"); };
    d.restoreButton()->click();
    EXPECT_NE(fileBytes(program.file(".dpt"))[6], 'Q');
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith("Version 1 was put back and recorded as version 3.")) << told[0].toStdString();
    EXPECT_EQ(reloaded, std::vector<std::filesystem::path>{program.appPath});
    EXPECT_TRUE(session.loaded);
    EXPECT_EQ(d.table()->rowCount(), 3);
    EXPECT_EQ(UpdateList(program.file(".upd")).lines(), std::vector<std::string>{"000005001"});
    if (const char* shots = std::getenv("TRAMOND_DIALOG_SHOTS")) {
        d.show();
        d.grab().save(QString::fromStdString(std::string(shots) + "/program-history.png"));
    }
}

TEST(HistoryMenu, FileMenuHasProgramHistory) {
    const auto* item = findMenuItem("mProgramHistory");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->handler, "mProgramHistoryClick");
    MenuRegistry registry;
    registerHistoryDialogs(registry);
    EXPECT_NE(registry.find("mProgramHistoryClick"), nullptr);
}

}  // namespace
}  // namespace tramond::testing
