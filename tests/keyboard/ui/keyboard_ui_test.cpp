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
#include <map>
#include <sstream>

#include "app/settings_store.h"
#include "keyboard/keyboard_geometry.h"
#include "keyboard/ui/keyboard_print.h"
#include "keyboard/keyboard_fixture.h"
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
        VerbRegistry verbs;
        registerKeyboardVerbs(verbs);
        return runVerbCommand(*verbs.find("print-keyboard"), std::move(args), out, err);
    }

    std::filesystem::path dir;
    ProgramSession session;
    std::ostringstream out, err;
};

// Every file of the folders and its bytes: what a verb that only reads must
// leave as it was.
std::map<std::filesystem::path, std::vector<std::uint8_t>> snapshot(const std::filesystem::path& dir) {
    std::map<std::filesystem::path, std::vector<std::uint8_t>> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (e.is_regular_file() && e.path().extension() != ".pdf") files[e.path()] = readFile(e.path());
    return files;
}

// The text pdftotext reads from a PDF, and its page count.
std::string pdfText(const std::filesystem::path& pdf) {
    const auto txt = pdf.string() + ".txt";
    if (std::system(("pdftotext -layout " + pdf.string() + " " + txt).c_str()) != 0) return {};
    const auto bytes = readFile(txt);
    return {bytes.begin(), bytes.end()};
}
int pdfPages(const std::filesystem::path& pdf) {
    const std::string text = pdfText(pdf);
    return static_cast<int>(std::count(text.begin(), text.end(), '\f'));
}

// A page rendered back at `dpi`.
QImage render(const std::filesystem::path& pdf, int dpi, int page = 1) {
    const auto png = pdf.parent_path() / ("page" + std::to_string(page));
    const auto command = "pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                         std::to_string(page) + " -png -singlefile " + pdf.string() + " " + png.string();
    if (std::system(command.c_str()) != 0) return {};
    return QImage(QString::fromStdString(png.string() + ".png"));
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 && std::abs(a.blue() - b.blue()) < 8;
}

TEST_F(KeyboardUi, PrintKeyboardVerbWritesThePdfAndNothingElse) {
    const auto before = snapshot(dir);
    const auto pdf = dir / "keys.pdf";
    ASSERT_EQ(verb({(dir / "SHOP.app").string(), "-o", pdf.string(), "--json"}), kVerbOk) << err.str();
    const auto bytes = readFile(pdf);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
    EXPECT_NE(out.str().find("\"keyboard\":\"SHOP.kbf\",\"keyboardFile\":false"), std::string::npos) << out.str();
    EXPECT_EQ(verb({(dir / "SHOP.app").string(), "--system", "-o", (dir / "sys.pdf").string()}), kVerbOk);
    // No keyboard file, no attribute file, the program untouched.
    EXPECT_EQ(snapshot(dir), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "SHOP.kbf"));
    EXPECT_FALSE(std::filesystem::exists(dir / "tool" / "bkeyboard.set"));
}

// The printed page, rendered back: the title line at the top, every key
// where the layout puts it inside the printable area, nothing in the margin.
TEST_F(KeyboardUi, PrintedKeysLieInsideThePrintableAreaUnderTheTitle) {
    session.app.setKeyCode(blockIndexOf(0), 901);            // row 0, column 0: the corner a printer cuts
    session.app.setKeyCode(blockIndexOf(12), 901);           // row 0, column 12
    session.app.setKeyCode(blockIndexOf(6 * 13 + 3), 5001);  // row 6, column 3: a department key
    session.app.setKeyCode(blockIndexOf(168), 5001);         // the last key
    writeFileAtomic(session.programPath, session.app.bytes());
    const auto pdf = dir / "keys.pdf";
    ASSERT_EQ(verb({(dir / "SHOP.app").string(), "-o", pdf.string()}), kVerbOk) << err.str();
    const int dpi = 50;
    const QImage page = render(pdf, dpi);
    ASSERT_FALSE(page.isNull()) << "pdftoppm failed";
    ASSERT_GT(page.width(), page.height());  // landscape
    const double perMm = dpi / 25.4, margin = kPrintableMarginMm * perMm;
    const auto layout = layoutPrintedPage(page.width() - 2 * margin, page.height() - 2 * margin,
                                          9 * 1.3 * 25.4 / 72 * perMm, 30 * perMm, std::nullopt);
    ASSERT_TRUE(layout);
    auto colourAt = [&](int position) {
        const auto r = layout->board.keyRect(position);
        return QColor(page.pixel(static_cast<int>(margin + r.x + 3), static_cast<int>(margin + r.y + r.height - 3)));
    };
    const QColor tender(0xFF, 0xBD, 0xDE), department(0x00, 0xE6, 0xE6);
    for (const int p : {0, 12}) EXPECT_TRUE(near(colourAt(p), tender)) << p << colourAt(p).name().toStdString();
    for (const int p : {6 * 13 + 3, 168}) EXPECT_TRUE(near(colourAt(p), department)) << p;
    EXPECT_TRUE(near(colourAt(11), Qt::white));
    // The margin a printer cannot print stays empty.
    for (int x = 0; x < page.width(); x += 3)
        for (const int y : {0, static_cast<int>(margin) - 1, page.height() - 1})
            ASSERT_TRUE(near(QColor(page.pixel(x, y)), Qt::white)) << x << "," << y;
    for (int y = 0; y < page.height(); y += 3)
        for (const int x : {0, static_cast<int>(margin) - 1, page.width() - 1})
            ASSERT_TRUE(near(QColor(page.pixel(x, y)), Qt::white)) << x << "," << y;
    // The title line names the program and the keyboard, above the board.
    const auto text = pdfText(pdf);
    const auto title = text.find("Program ");
    ASSERT_NE(title, std::string::npos) << text;
    EXPECT_LT(title, text.find("Tn#") == std::string::npos ? text.size() : text.find("Tn#"));
    EXPECT_NE(text.find("Register keyboard SHOP.kbf"), std::string::npos) << text;
    EXPECT_NE(text.find("Fitted to the page"), std::string::npos) << text;
}

// --key-pitch prints at true scale: key centres the asked distance apart;
// a board larger than the paper is refused before anything is written.
TEST_F(KeyboardUi, KeyPitchPrintsAtTrueScaleOrRefusesPaperTooSmall) {
    session.app.setKeyCode(blockIndexOf(6 * 13 + 2), 901);
    session.app.setKeyCode(blockIndexOf(6 * 13 + 7), 901);
    session.app.setKeyCode(blockIndexOf(9 * 13 + 2), 901);
    writeFileAtomic(session.programPath, session.app.bytes());
    const auto pdf = dir / "scale.pdf";
    ASSERT_EQ(verb({(dir / "SHOP.app").string(), "--key-pitch", "14x12", "-o", pdf.string()}), kVerbOk) << err.str();
    const int dpi = 100;
    const QImage page = render(pdf, dpi);
    ASSERT_FALSE(page.isNull());
    const QColor tender(0xFF, 0xBD, 0xDE);
    // Where runs of the tender colour start along a line of pixels.
    auto starts = [&](QPoint from, QPoint step) {
        std::vector<int> out;
        bool inside = false;
        for (QPoint p = from; page.rect().contains(p); p += step) {
            const bool t = near(QColor(page.pixel(p)), tender);
            if (t && !inside) out.push_back(step.x() ? p.x() : p.y());
            inside = t;
        }
        return out;
    };
    int row = 0;
    while (row < page.height() && starts({0, row}, {1, 0}).empty()) ++row;
    const auto across = starts({0, row + 5}, {1, 0});  // row 6: columns 2 and 7
    ASSERT_EQ(across.size(), 2u) << "row " << row;
    const auto down = starts({across[0] + 5, 0}, {0, 1});  // column 2: rows 6 and 9
    ASSERT_EQ(down.size(), 2u);
    const double perMm = dpi / 25.4;
    EXPECT_NEAR((across[1] - across[0]) / perMm, 5 * 14.0, 0.6);
    EXPECT_NEAR((down[1] - down[0]) / perMm, 3 * 12.0, 0.6);
    EXPECT_NE(pdfText(pdf).find("True scale, key pitch 14.0 x 12.0 mm"), std::string::npos);

    // 19 mm keys need 247 x 238 mm: more than A4, less than A3.
    const auto big = dir / "big.pdf";
    EXPECT_EQ(verb({(dir / "SHOP.app").string(), "--key-pitch", "19x19", "-o", big.string()}), kVerbUsage);
    EXPECT_NE(err.str().find("Choose larger paper"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(big));
    EXPECT_EQ(verb({(dir / "SHOP.app").string(), "--key-pitch", "19x19", "--paper", "a3", "-o", big.string()}),
              kVerbOk)
        << err.str();
    for (const char* bad : {"0", "x", "19x", "100", "-5", "19x19x1"})
        EXPECT_EQ(verb({(dir / "SHOP.app").string(), "--key-pitch", bad, "-o", big.string()}), kVerbUsage) << bad;
}

// A network with keyboards of its own: --machine all prints one page per
// register, each titled with its machine and drawn from its own file or,
// without one, from the program.
TEST_F(KeyboardUi, MachineAllPrintsEveryRegistersKeyboardOnAPageOfItsOwn) {
    session.app.setFlag(appblock::kFlagNetworkSize, 3);
    session.app.set(appblock::kIndividualKeyboards, 1);
    session.app.setKeyCode(blockIndexOf(0), 2005);
    writeFileAtomic(session.programPath, session.app.bytes());
    const auto pdf = dir / "all.pdf";
    ASSERT_EQ(verb({(dir / "SHOP.app").string(), "--machine", "all", "-o", pdf.string(), "--json"}), kVerbOk)
        << err.str();
    EXPECT_EQ(pdfPages(pdf), 3);
    const auto text = pdfText(pdf);
    for (const char* part : {"SHOP.kbf, machine 1", "SHOP.kb2, machine 2", "SHOP.kb3, machine 3"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    const std::string reply = out.str();
    EXPECT_EQ(std::count(reply.begin(), reply.end(), '{'), 4) << reply;  // the reply and three pages
    EXPECT_FALSE(std::filesystem::exists(dir / "SHOP.kb2"));

    // Without keyboards of their own the registers share one page.
    session.app.set(appblock::kIndividualKeyboards, 0);
    writeFileAtomic(session.programPath, session.app.bytes());
    ASSERT_EQ(verb({(dir / "SHOP.app").string(), "--machine", "all", "-o", pdf.string()}), kVerbOk);
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_EQ(verb({(dir / "SHOP.app").string(), "--machine", "2", "-o", pdf.string()}), kVerbUsage);
}

TEST_F(KeyboardUi, PrintKeyboardVerbRefusesBadInputAndReportsAFailedWrite) {
    const auto app = (dir / "SHOP.app").string();
    EXPECT_EQ(verb({app}), kVerbUsage);
    EXPECT_EQ(verb({(dir / "NONE.app").string(), "-o", (dir / "x.pdf").string()}), kVerbUsage);
    EXPECT_EQ(verb({app, "--machine", "2", "-o", (dir / "x.pdf").string()}), kVerbUsage);
    EXPECT_EQ(verb({app, "--machine", "x", "-o", (dir / "x.pdf").string()}), kVerbUsage);
    EXPECT_EQ(verb({app, "--paper", "B5", "-o", (dir / "x.pdf").string()}), kVerbUsage);
    EXPECT_EQ(verb({app, "-o", (dir / "no" / "such" / "x.pdf").string()}), kVerbFailed);
    EXPECT_FALSE(err.str().empty());
    EXPECT_EQ(verb({app, "--machine", "x", "-o", (dir / "x.pdf").string(), "--json"}), kVerbUsage);
    EXPECT_EQ(out.str().rfind("{\"ok\":false,\"exit\":2,", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("--machine must be"), std::string::npos) << out.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));
}

// Every fixed function's caption, on the smallest keys there are (a
// 640-pixel screen, the short top row of a keyboard fitted to Letter paper),
// in the look its kind gets: no glyph outside the key.
TEST(KeyPainter, EveryFixedCaptionStaysInsideTheSmallestKey) {
    installKeyFontSubstitutes();
    test::KeyboardProgram program;
    ProgramKeyNames names(program.session.programPath, program.session.app);
    KeyCaptions captions(program.session.app, LanguageTexts::builtIn(), names);
    std::vector<std::uint16_t> codes;
    for (const auto& f : fixedFunctions()) codes.push_back(f.code);
    for (std::uint16_t c = 2011; c <= 2024; ++c) codes.push_back(c);  // every level key
    const KeyAttributes look;

    struct Size {
        const char* name;
        double width, height, dpi, reference;
        bool band;
    };
    const ScreenGeometry small{640, 96, 0};
    // Letter landscape, 5 mm margins, a title line: the board's short rows at 300 dpi.
    const double perMm = 300 / 25.4;
    const auto letter = layoutPrintedPage((279.4 - 10) * perMm, (215.9 - 10) * perMm, 4.1 * perMm, 30 * perMm,
                                          std::nullopt)->board;
    const Size sizes[] = {
        {"screen", small.pitchX(), small.pitchY(), 96, small.pitchY(), false},
        {"screen with band", small.pitchX(), small.pitchY(), 96, small.pitchY(), true},
        {"printed top row", letter.keyWidth, letter.edgeRowPitch, 300, letter.rowPitch, true},
    };
    for (const auto& size : sizes) {
        const int pad = 40;
        for (const auto code : codes) {
            const auto text = captions.caption(code);
            if (text.empty()) continue;
            KeyRecord record;
            look.applyTo(keyKind(code).value_or(1), record);
            record.setText(0, text);
            record.setSystemCaption("SystemReports");
            QImage image(static_cast<int>(size.width) + 2 * pad, static_cast<int>(size.height) + 2 * pad,
                         QImage::Format_RGB32);
            image.setDotsPerMeterX(static_cast<int>(size.dpi / 0.0254));
            image.setDotsPerMeterY(static_cast<int>(size.dpi / 0.0254));
            image.fill(Qt::white);
            {
                QPainter p(&image);
                KeyPainter keys;
                KeyFace face;
                face.systemBand = size.band;
                keys.paint(p, QRectF(pad, pad, size.width, size.height), record, face,
                           {size.dpi, size.band ? size.height * 0.2 : 0, size.reference});
            }
            // Ink anywhere beyond the key's frame (half its pen and a pixel) is a glyph outside.
            const int pen = static_cast<int>(std::ceil(std::max(1.0, size.reference / 43) / 2)) + 1;
            const QRect key(pad - pen, pad - pen, static_cast<int>(size.width) + 2 * pen + 1,
                            static_cast<int>(size.height) + 2 * pen + 1);
            int outside = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (!key.contains(x, y) && qGray(image.pixel(x, y)) < 250) ++outside;
            EXPECT_EQ(outside, 0) << size.name << ": \"" << text << "\" (" << code << ")";
            // A caption cut at the key's edge leaves ink right inside the
            // frame: that strip stays clear (the band's top aside).
            const int w = static_cast<int>(size.width), h = static_cast<int>(size.height);
            int touching = 0;
            for (int y = pad; y < pad + h; ++y)
                for (int x = pad; x < pad + w; ++x) {
                    const int dx = std::min(x - pad, pad + w - 1 - x), top = y - pad, bottom = pad + h - 1 - y;
                    if (dx < pen || top < pen || bottom < pen) continue;  // the frame
                    const bool strip = dx == pen || bottom == pen || (!size.band && top == pen);
                    if (strip && qGray(image.pixel(x, y)) < 100) ++touching;
                }
            EXPECT_EQ(touching, 0) << size.name << ": \"" << text << "\" (" << code << ")";
        }
    }
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
