// The program text editors through the real dialog, offscreen.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/settings_store.h"
#include "program/file_io.h"
#include "program/ui/message_box.h"
#include "program/ui/text_edit_dialog.h"
#include "program/ui/text_editors.h"

namespace tramond {
namespace {

namespace fs = std::filesystem;

// Runs `act` on the first modal TextEditDialog, or closes whatever modal
// window shows up instead so that a test never hangs.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(ui::TextEditDialog&)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<ui::TextEditDialog*>(modal)) {
                timer_.stop();
                seen = true;
                act_(*dialog);
            } else if (++tries_ > 200 && modal) {
                timer_.stop();
                modal->close();
            }
        });
        timer_.start(10);
    }
    bool seen = false;

private:
    std::function<void(ui::TextEditDialog&)> act_;
    QTimer timer_;
    int tries_ = 0;
};

TEST(TextEditDialog, TypingPastTheWidthWarnsAndIsCutOnKeyRelease) {
    LineGrid grid(11, 48, {"FIRST"});
    ui::TextEditDialog dialog(grid, "Receipt Header", "Out of Line");
    auto* table = dialog.table();
    ASSERT_EQ(table->rowCount(), 11);
    EXPECT_EQ(table->item(0, 0)->text(), "1");
    EXPECT_EQ(table->item(10, 0)->text(), "11");
    EXPECT_EQ(table->item(0, 1)->text(), "FIRST");
    EXPECT_EQ(table->item(1, 1)->text(), "@");
    EXPECT_EQ(dialog.windowTitle(), "Receipt Header");
    EXPECT_TRUE(dialog.outOfLineLabel()->isHidden());

    table->setCurrentCell(1, 1);
    table->editItem(table->item(1, 1));
    auto* editor = table->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, QString(48, 'A'));
    EXPECT_TRUE(dialog.outOfLineLabel()->isHidden());
    QTest::keyPress(editor, Qt::Key_B, Qt::NoModifier);
    EXPECT_FALSE(dialog.outOfLineLabel()->isHidden());
    EXPECT_EQ(editor->text().size(), 49);
    QTest::keyRelease(editor, Qt::Key_B, Qt::NoModifier);
    EXPECT_TRUE(dialog.outOfLineLabel()->isHidden());
    EXPECT_EQ(editor->text(), QString(48, 'A'));
    QTest::keyClick(editor, Qt::Key_C);
    EXPECT_EQ(editor->text(), QString(48, 'A'));

    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(grid.accepted());
    EXPECT_EQ(grid.result()[0], std::optional<std::string>("FIRST" + std::string(43, ' ')));
    EXPECT_EQ(grid.result()[1], std::optional<std::string>(std::string(48, 'A')));
    EXPECT_EQ(grid.result()[2], std::nullopt);
}

class TextEditorsMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (std::string("tramond_texts_ui_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        session_.programPath = dir_ / "shop.app";
        session_.loaded = true;
        registerTextEditors(registry_);
        previous_ = ui::setMessagePresenter(
            [this](QWidget*, ui::MessageKind, const QString& title, const QString& text) {
                shown_.push_back(title + "|" + text);
            });
    }
    void TearDown() override {
        ui::setMessagePresenter(previous_);
        fs::remove_all(dir_);
    }
    void run(std::string_view handler) {
        const auto* h = registry_.find(handler);
        ASSERT_NE(h, nullptr) << handler;
        AppContext context{session_, LanguageTexts::builtIn(), settings_, nullptr, {}};
        (*h)(context);
    }

    fs::path dir_;
    ProgramSession session_;
    MemorySettingsStore settings_;
    MenuRegistry registry_;
    ui::MessagePresenter previous_;
    std::vector<QString> shown_;
};

TEST_F(TextEditorsMenuTest, EveryEditorIsRegistered) {
    for (const char* h : {"mReceiptHeader1Click", "mReceiptTrailer1Click", "mSlipHeader1Click",
                          "mPBExtraTrailer1Click", "mSpecialCaptions1Click", "mProgramCaptions1Click",
                          "mSystemMessages1Click", "mDayDescriptors1Click", "mMonthDescriptors1Click",
                          "mReportNames1Click"})
        EXPECT_NE(registry_.find(h), nullptr) << h;
}

TEST_F(TextEditorsMenuTest, ProgramCaptionsEditorStoresItsLineAndMarksItsCodes) {
    writeFileAtomic(session_.file(".txt"), session_.text.bytes());  // the program's text as loaded
    QString title;
    ModalDriver driver([&](ui::TextEditDialog& dialog) {
        title = dialog.windowTitle();
        EXPECT_EQ(dialog.table()->rowCount(), 100);
        dialog.table()->item(3, 1)->setText("Mod");
        dialog.okButton()->click();
    });
    run("mProgramCaptions1Click");
    ASSERT_TRUE(driver.seen);
    EXPECT_EQ(title, "Program Captions");
    const auto entry = session_.text.slice(6799 + 3 * 17, 17);
    EXPECT_EQ(std::string(entry.begin(), entry.end()), "Mod" + std::string(13, ' ') + '\0');
    const auto txt = readFile(session_.file(".txt"));
    EXPECT_TRUE(std::equal(txt.begin(), txt.end(), session_.text.bytes().begin(), session_.text.bytes().end()));
    EXPECT_EQ(session_.updateList().lines().size(), 8u);
    EXPECT_TRUE(shown_.empty());
}

TEST_F(TextEditorsMenuTest, RefusalsAreShownWithoutOpeningAnEditor) {
    run("mPBExtraTrailer1Click");
    session_.loaded = false;
    run("mReceiptHeader1Click");
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[0], "Error|Not Available with this Application !!");
    EXPECT_TRUE(shown_[1].endsWith("|No Program Loaded !"));
    EXPECT_FALSE(fs::exists(session_.file(".pxt")));
    EXPECT_FALSE(fs::exists(session_.file(".txt")));
}

}  // namespace
}  // namespace tramond
