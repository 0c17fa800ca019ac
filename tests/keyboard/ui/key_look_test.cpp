// A key's look through the desktop's choosers: the font dialog starts from
// the stored family, size and style (a family this computer lacks
// included), OK without a change writes nothing, and a cancelled or refused
// chooser inside the key editor leaves the key's other edits to OK.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <fstream>

#include "app/settings_store.h"
#include "keyboard/ui/key_editor_dialog.h"
#include "keyboard/ui/key_painter.h"
#include "keyboard/ui/keyboard_dialog.h"
#include "platform/desktop_choosers_qt.h"
#include "program/program_ops.h"
#include "support/fake_choosers.h"

namespace tramond {
namespace {

using testing::UsingFakeChoosers;
namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class KeyLook : public ::testing::Test {
protected:
    KeyLook() {
        installKeyFontSubstitutes();
        dir = fs::temp_directory_path() / ("tramond-key-look-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        createProgram(session, dir / "SHOP.app");
    }
    ~KeyLook() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    fs::path dir;
    ProgramSession session;
    MemorySettingsStore settings;
    AppContext context{session, LanguageTexts::builtIn(), settings, nullptr, {}};
    UsingFakeChoosers choosers;
};

TEST(FontDialog, StartsFromTheStoredFontAndGivesItBackUntouched) {
    installKeyFontSubstitutes();
    const QString installed = QFontDatabase::families().value(0);
    ASSERT_FALSE(installed.isEmpty());
    struct Case {
        QString family;
        int points;
        bool bold, italic;
        bool missing;
    };
    for (const auto& c : {Case{"Times New Roman", 36, true, false, true}, Case{"Tahoma Narrow", 9, false, true, true},
                          Case{installed, 14, true, true, false}}) {
        SCOPED_TRACE(c.family.toStdString());
        QFont f(c.family);
        f.setPointSize(c.points);
        f.setBold(c.bold);
        f.setItalic(c.italic);
        const FontChoice start{f, QColor(0x12, 0x34, 0x56), 19};
        TFontDialog dialog(start, "Edit Font");
        ASSERT_NE(dialog.families->currentItem(), nullptr);
        const QString line = dialog.families->currentItem()->text();
        if (c.missing) {
            EXPECT_EQ(line, TFontDialog::missingFamilyLine(c.family));
            EXPECT_TRUE(line.startsWith(c.family + " (not installed, shown as "));
        } else {
            EXPECT_EQ(line, c.family);
        }
        EXPECT_EQ(dialog.size->value(), c.points);
        EXPECT_EQ(dialog.styles->currentRow(), (c.bold ? 2 : 0) + (c.italic ? 1 : 0));
        const auto back = dialog.choice();
        EXPECT_EQ(back.font.family(), c.family);
        EXPECT_EQ(back.font.pointSize(), c.points);
        EXPECT_EQ(back.font.bold(), c.bold);
        EXPECT_EQ(back.font.italic(), c.italic);
        EXPECT_EQ(back.colour, start.colour);
    }
    // A family whose name the key cannot hold is not offered.
    QFont f("Arial");
    f.setPointSize(12);
    TFontDialog narrow({f, Qt::black, 5}, "Edit Font");
    for (int i = 0; i < narrow.families->count(); ++i)
        EXPECT_LE(narrow.families->item(i)->data(Qt::UserRole).toString().toUtf8().size(), 5)
            << narrow.families->item(i)->text().toStdString();
}

TEST_F(KeyLook, SetAttributesStartsFromTheKindAndWritesOnlyAChange) {
    const auto file = dir / "bkeyboard.set";
    TKeyboard keyboard(context, KeyboardMode::Register, file);
    ASSERT_TRUE(keyboard.opened());
    const auto before = bytesOf(file);
    ASSERT_EQ(before.size(), KeyAttributes::kFileSize);
    // Written or not shows in the time stamp, even when the bytes are the same.
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(file, old);

    keyboard.ComboBox1->setCurrentIndex(0);  // "Numeric": Times New Roman 36 bold
    choosers.fake.okUnchanged = true;
    keyboard.Button1->click();
    ASSERT_EQ(choosers.fake.fontStarts.size(), 1u);
    const auto start = choosers.fake.fontStarts[0];
    EXPECT_EQ(start.font.family(), "Times New Roman");
    EXPECT_EQ(start.font.pointSize(), 36);
    EXPECT_TRUE(start.font.bold());
    ASSERT_EQ(choosers.fake.colourStarts.size(), 1u);
    EXPECT_EQ(toWindowsColour(choosers.fake.colourStarts[0]), 0x9DFFFFu);
    EXPECT_EQ(fs::last_write_time(file), old) << "OK without a change writes nothing";

    // Cancel in both choosers writes nothing either.
    choosers.fake.okUnchanged = false;
    keyboard.Button1->click();
    EXPECT_EQ(fs::last_write_time(file), old);
    EXPECT_EQ(bytesOf(file), before);

    // A changed size reaches all three lines of the kind.
    QFont smaller = start.font;
    smaller.setPointSize(20);
    choosers.fake.fonts.push_back(FontChoice{smaller, Qt::red, 17});
    keyboard.Button1->click();
    const auto after = KeyAttributes::loadOrCreate(file);
    for (int line = 0; line < 3; ++line) {
        EXPECT_EQ(after.line(0, line).fontSize, 20) << line;
        EXPECT_EQ(after.line(0, line).fontName, "Times New Roman") << line;
        EXPECT_EQ(after.line(0, line).fontColour, toWindowsColour(Qt::red)) << line;
    }
}

TEST_F(KeyLook, ACancelledBitmapChoiceKeepsTheKeysOtherEditsForOk) {
    TKeyboard keyboard(context, KeyboardMode::Register, dir / "bkeyboard.set");
    ASSERT_TRUE(keyboard.opened());
    constexpr int kKey = 40;
    QFont italic("Liberation Sans");
    italic.setPointSize(14);
    italic.setItalic(true);
    choosers.fake.fonts.push_back(FontChoice{italic, Qt::blue, 19});
    choosers.fake.colours.push_back(QColor(Qt::yellow));
    choosers.fake.files.push_back(std::nullopt);  // Cancel in the picture dialog

    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* key = qobject_cast<TEditKey*>(QApplication::activeModalWidget());
        if (!key) return;
        driver.stop();
        key->Edit1->setText("CASH");
        emit key->Edit1->returnPressed();
        key->EditFont->click();
        key->EditColor->click();
        key->LoadBitmap->click();
        key->BitBtn1->click();
    });
    driver.start(10);
    keyboard.editKey(kKey);
    driver.stop();

    ASSERT_EQ(choosers.fake.fileRequests.size(), 1u);
    EXPECT_NE(choosers.fake.fileRequests[0].filter.find("*.bmp"), std::string::npos);
    const auto shown = keyboard.editor().record(kKey);
    EXPECT_EQ(shown.text(0), "CASH");
    EXPECT_EQ(shown.style(0).fontName, "Liberation Sans");
    EXPECT_EQ(shown.style(0).fontSize, 14);
    EXPECT_EQ(shown.style(0).style, KeyLineStyle::kItalic);
    EXPECT_EQ(shown.style(0).fontColour, toWindowsColour(Qt::blue));
    EXPECT_EQ(shown.style(0).keyColour, toWindowsColour(Qt::yellow));
    EXPECT_NE(shown.displayKind(), DisplayKind::Bitmap);
    // And on disk, as the next opening reads it.
    const auto kbf = bytesOf(dir / "SHOP.kbf");
    ASSERT_GE(kbf.size(), 557u + KeyRecord::kSize * (kKey + 1));
    EXPECT_EQ(KeyRecord(std::span(kbf).subspan(557 + KeyRecord::kSize * kKey, KeyRecord::kSize)), shown);
}

}  // namespace
}  // namespace tramond
