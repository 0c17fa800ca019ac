// The keyboard's views: the print-keyboard verb, the block each keyboard byte
// travels in, the key painter's bitmap fallback, the key editor's bitmap
// rules and the editor window on a fresh program.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QPainter>
#include <sstream>

#include "app/settings_store.h"
#include "keyboard/keyboard_geometry.h"
#include "keyboard/ui/condiment_dialog.h"
#include "keyboard/ui/key_editor_dialog.h"
#include "keyboard/ui/key_painter.h"
#include "keyboard/ui/keyboard_dialog.h"
#include "keyboard/ui/keyboard_services.h"
#include "keyboard/ui/keyboard_verbs.h"
#include "program/file_io.h"
#include "program/program_ops.h"

namespace tramond {
namespace {

struct Recorder : Prompter {
    std::vector<std::string> messages;
    void message(MessageKind, const std::string&, const std::string& text) override { messages.push_back(text); }
    bool confirm(const std::string&, const std::string&) override { return false; }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest&) override { return {}; }
};

class KeyboardUi : public ::testing::Test {
protected:
    KeyboardUi() {
        static int counter = 0;
        dir = std::filesystem::temp_directory_path() /
              ("tramond-keyboard-ui-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "tool");
        ::setenv("TRAMOND_HOME", (dir / "tool").c_str(), 1);
        createProgram(session, dir / "SHOP.app");
    }
    ~KeyboardUi() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    int verb(std::vector<std::string> args) {
        out.str({});
        err.str({});
        VerbContext context{std::move(args), out, err};
        return runPrintKeyboard(context);
    }

    std::filesystem::path dir;
    ProgramSession session;
    std::ostringstream out, err;
};

TEST_F(KeyboardUi, PrintKeyboardVerbWritesAPdfAndTheKeyboardFile) {
    const auto pdf = dir / "keys.pdf";
    ASSERT_EQ(verb({(dir / "SHOP.app").string(), "-o", pdf.string()}), kVerbOk) << err.str();
    const auto bytes = readFile(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
    EXPECT_EQ(std::filesystem::file_size(dir / "SHOP.kbf"), 47201u);
    EXPECT_TRUE(std::filesystem::exists(dir / "tool" / "bkeyboard.set"));
    EXPECT_EQ(verb({(dir / "SHOP.app").string(), "--system", "-o", (dir / "sys.pdf").string()}), kVerbOk);
}

// The printed page, rendered back: keys sit where the layout's formula puts
// them on an A4 landscape page.
TEST_F(KeyboardUi, PrintedKeysLandWhereTheLayoutPutsThem) {
    if (std::system("pdftoppm -v > /dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm is not installed";
    session.app.setKeyCode(blockIndexOf(12), 901);        // row 0, column 12: a tender key
    session.app.setKeyCode(blockIndexOf(6 * 13 + 3), 5001);  // row 6, column 3: a department key
    writeFileAtomic(session.programPath, session.app.bytes());
    const auto pdf = dir / "keys.pdf";
    ASSERT_EQ(verb({(dir / "SHOP.app").string(), "-o", pdf.string()}), kVerbOk) << err.str();
    const auto png = dir / "page";
    ASSERT_EQ(std::system(("pdftoppm -r 30 -png -singlefile " + pdf.string() + " " + png.string()).c_str()), 0);
    QImage page(QString::fromStdString(png.string() + ".png"));
    ASSERT_FALSE(page.isNull());
    ASSERT_GT(page.width(), page.height());  // landscape
    const PrintGeometry g{static_cast<double>(page.width()), static_cast<double>(page.height())};
    auto colourAt = [&](int position) {
        const auto r = g.keyRect(position);
        return QColor(page.pixel(static_cast<int>(r.x + 3), static_cast<int>(r.y + r.height - 3)));
    };
    auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 && std::abs(a.blue() - b.blue()) < 8;
    };
    EXPECT_TRUE(near(colourAt(12), QColor(0xFF, 0xBD, 0xDE))) << colourAt(12).name().toStdString();
    EXPECT_TRUE(near(colourAt(6 * 13 + 3), QColor(0x00, 0xE6, 0xE6))) << colourAt(81).name().toStdString();
    EXPECT_TRUE(near(colourAt(11), Qt::white));
    // Nothing is drawn right of the last column.
    const auto last = g.keyRect(12);
    EXPECT_TRUE(near(QColor(page.pixel(static_cast<int>(last.x + last.width + 4), 5)), Qt::white));
}

TEST_F(KeyboardUi, PrintKeyboardVerbRefusesBadInputAndReportsAFailedWrite) {
    const auto app = (dir / "SHOP.app").string();
    EXPECT_EQ(verb({app}), kVerbUsage);
    EXPECT_EQ(verb({(dir / "NONE.app").string(), "-o", (dir / "x.pdf").string()}), kVerbUsage);
    EXPECT_EQ(verb({app, "--machine", "2", "-o", (dir / "x.pdf").string()}), kVerbUsage);
    EXPECT_EQ(verb({app, "--machine", "x", "-o", (dir / "x.pdf").string()}), kVerbUsage);
    EXPECT_EQ(verb({app, "-o", (dir / "no" / "such" / "x.pdf").string()}), kVerbFailed);
    EXPECT_FALSE(err.str().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));
}

TEST(KeyboardBlocks, EachKeyboardByteTravelsInTheBlockThatHoldsIt) {
    const std::pair<std::size_t, std::uint32_t> cases[] = {
        {0, 19}, {12, 19}, {24, 20}, {45, 20}, {196, 120}, {260, 121}, {336, 122}, {365, 11}, {678, 15}, {702, 16},
    };
    for (const auto& [offset, block] : cases) EXPECT_EQ(registerBlockOf(offset), block) << offset;
}

TEST(KeyPainter, AMissingBitmapDrawsTheTextWarnsOnceAndKeepsTheRecord) {
    installKeyFontSubstitutes();
    KeyRecord r;
    r.setStyle(0, {0, 0x00FF00, 12, 0, "Arial"});
    r.setText(0, "TOTAL");
    r.setText(2, "/no/such/logo.bmp");
    r.setDisplayKind(DisplayKind::Bitmap);
    const auto before = r;
    std::vector<std::string> warnings;
    KeyPainter keys([&](const std::string& m) { warnings.push_back(m); });
    QImage image(60, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int i = 0; i < 2; ++i) {
        QPainter p(&image);
        keys.paint(p, QRectF(0, 0, 50, 43), r, {}, {96, 9, 43});
    }
    EXPECT_EQ(warnings, std::vector<std::string>{"Bitmap is not in given path!"});
    EXPECT_EQ(r, before);
    EXPECT_EQ(QColor(image.pixel(3, 3)), QColor(0, 255, 0));  // line 1's key colour fills the key
    // Some text was drawn in the middle of the key.
    bool dark = false;
    for (int x = 5; x < 45 && !dark; ++x)
        for (int y = 10; y < 33 && !dark; ++y) dark = qGray(image.pixel(x, y)) < 100;
    EXPECT_TRUE(dark);
}

TEST(KeyEditor, BitmapPathsMustFitAndLoadAndARefusedOneChangesNothing) {
    Recorder prompter;
    TEditKey dialog(KeyRecord{}, LanguageTexts::builtIn(), prompter);
    const auto before = dialog.record();
    dialog.useBitmap("/" + std::string(60, 'a') + ".bmp");
    EXPECT_EQ(dialog.record(), before);
    ASSERT_EQ(prompter.messages.size(), 1u);
    dialog.useBitmap("/no/such/picture.bmp");
    EXPECT_EQ(dialog.record(), before);
    EXPECT_EQ(prompter.messages.back(), "Could not load or alter Bitmap");
    const auto bmp = std::filesystem::temp_directory_path() / ("k" + std::to_string(::getpid()) + ".bmp");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(bmp.string()), "BMP"));
    dialog.useBitmap(bmp.string());
    EXPECT_EQ(dialog.record().displayKind(), DisplayKind::Bitmap);
    EXPECT_EQ(dialog.record().text(2), bmp.string());
    const auto chosen = dialog.record();
    dialog.useBitmap(std::nullopt);
    EXPECT_EQ(dialog.record(), chosen);
    std::filesystem::remove(bmp);
}

TEST_F(KeyboardUi, EditorWindowOpensOnAFreshProgram) {
    MemorySettingsStore settings;
    AppContext context{session, LanguageTexts::builtIn(), settings, nullptr, {}};
    TKeyboard dialog(context, KeyboardMode::Register, dir / "tool" / "bkeyboard.set");
    ASSERT_TRUE(dialog.opened());
    EXPECT_TRUE(std::filesystem::exists(dir / "SHOP.kbf"));
    EXPECT_FALSE(dialog.ComboBox2->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.ComboBox1->count(), 14);
    EXPECT_EQ(dialog.ComboBox1->itemText(0), "Numeric");
    EXPECT_TRUE(dialog.editor().toggleManager(20));
    EXPECT_TRUE(session.app.managerKey(blockIndexOf(20)));
}

TEST_F(KeyboardUi, AddKeyFunctionRemembersTheChoice) {
    Recorder prompter;
    ProgramKeyNames names(session.programPath, session.app);
    KeyFunctionChooser chooser(session.app, LanguageTexts::builtIn(), names);
    KeyFunctionMemory memory{5, 1};
    TAddKeyFunction dialog(chooser, memory, LanguageTexts::builtIn(), prompter);
    EXPECT_EQ(dialog.ListBox1->currentRow(), 5);
    EXPECT_EQ(dialog.ListBox2->currentRow(), 2);  // the tender after the last one chosen
    dialog.ListBox2Click(2);
    EXPECT_EQ(dialog.code(), 903);
    EXPECT_EQ(memory.entry, 2);
    TChooseFromList chars("Enter a letter:", "Enter a letter:", {"Delete alfa key", " ", "!", "A"}, true);
    chars.Edit2->setText("A");
    emit chars.Edit2->textEdited("A");
    EXPECT_EQ(chars.chosen(), 3);
}

TEST_F(KeyboardUi, CondimentDialogStoresWhenClosedByItsCloseBox) {
    ASSERT_GT(recordCount(session.app, RecordKind::Condiment), 0u);
    MemorySettingsStore settings;
    AppContext context{session, LanguageTexts::builtIn(), settings, nullptr, {}};
    TEditCondiment dialog(context);
    dialog.show();
    dialog.Edit1->setText("12");
    dialog.close();
    EXPECT_EQ(readFile(dir / "SHOP.con")[27], 12);
    EXPECT_EQ(session.updateList().lines(), std::vector<std::string>{"000004501"});
}

}  // namespace
}  // namespace tramond
