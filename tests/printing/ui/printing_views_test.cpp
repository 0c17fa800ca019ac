#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <sstream>

#include "app/verbs.h"
#include "printing/listing.h"
#include "printing/ui/print_dialogs.h"
#include "printing/ui/printing_dialogs.h"
#include "printing/ui/printing_verbs.h"
#include "printing/ui/report_dialogs.h"
#include "program/file_io.h"
#include "program/program_ops.h"
#include "printing/ui/listing_document.h"
#include "program/sizing.h"
#include "program/ui/setup_modal.h"

namespace tramond {
namespace {

namespace ab = appblock;
using testing::MenuHandlerFixture;
using testing::MessageCatcher;

// The text pdftotext reads from a PDF, line layout kept.
QString pdfText(const std::filesystem::path& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QString::fromStdString(pdf.string()), "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PrintVerb : public MenuHandlerFixture {
protected:
    void SetUp() override {
        MenuHandlerFixture::SetUp();
        session.app.setKindCount(ab::kPlu, 30);
        session.app.set(ab::kPluRandomCodeSize, 0);
        session.app.setKindCount(ab::kGroup, 5);
        loadProgram({RecordKind::Plu, RecordKind::Group});
        savePrinterSettings(settings, {0, 60, false, true, true});
        setPrintingVerbSettingsForTesting(&settings);
        registerPrintingVerbs(verbs);
    }
    void TearDown() override {
        setPrintingVerbSettingsForTesting(nullptr);
        MenuHandlerFixture::TearDown();
    }
    int print(std::vector<std::string> args) {
        out.str({});
        err.str({});
        VerbContext c{std::move(args), out, err};
        return verbs.find("print")->run(c);
    }
    VerbRegistry verbs;
    std::ostringstream out, err;
};

TEST_F(PrintVerb, WritesEachFormatByItsSuffixAndThePdfReadsBack) {
    const auto app = session.programPath.string();
    const auto pdf = dir / "plu.pdf";
    ASSERT_EQ(print({app, "plu", "-o", pdf.string(), "--json"}), kVerbOk) << err.str();
    EXPECT_NE(out.str().find("\"lines\":"), std::string::npos);

    ProgramSession copy = session;
    const auto listing = buildListing(ListingKind::Plu, copy, LanguageTexts::builtIn(), {{0, 60, false, true, true}, "", {}});
    const QString text = pdfText(pdf);
    ASSERT_FALSE(text.isEmpty()) << "pdftotext read nothing";
    EXPECT_TRUE(text.contains(QStringLiteral("Program ") + QString::fromStdString(app.substr(0, 40))));
    const QString flat = text.simplified();
    for (std::size_t i = 1; i < listing.lines.size(); ++i)
        EXPECT_TRUE(flat.contains(QString::fromStdString(listing.lines[i]).simplified().section(' ', 0, 1)))
            << listing.lines[i];
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("30\\s+PLU\\s+30\\s+1\\s+L1\\s+0,30"))));

    ASSERT_EQ(print({app, "group", "-o", (dir / "g.doc").string()}), kVerbOk);
    const auto doc = readFile(dir / "g.doc");
    EXPECT_EQ(std::string(doc.begin(), doc.begin() + 6), "{\\rtf1");
    ASSERT_EQ(print({app, "group", "-o", (dir / "g.txt").string()}), kVerbOk);
    const auto txt = readFile(dir / "g.txt");
    const auto groups = buildListing(ListingKind::Group, copy, LanguageTexts::builtIn(), {{0, 60, false, true, true}, "", {}});
    EXPECT_EQ(std::string(txt.begin(), txt.end()), listingText(groups.lines));
}

TEST_F(PrintVerb, RefusesWhatItCannotListAndWritesNothingThen) {
    const auto app = session.programPath.string();
    const auto out1 = dir / "x.pdf";
    EXPECT_EQ(print({app, "customers", "-o", out1.string()}), kVerbUsage);
    EXPECT_EQ(print({app, "plu", "-o", (dir / "x.odt").string()}), kVerbUsage);
    EXPECT_EQ(print({app, "plu"}), kVerbUsage);
    EXPECT_EQ(print({(dir / "none.app").string(), "plu", "-o", out1.string()}), kVerbUsage);
    EXPECT_EQ(print({app, "department", "-o", out1.string()}), kVerbFailed);  // no ".dpt" file
    EXPECT_NE(err.str().find("Error opening File !!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out1));
}

// The PDF of a listing read back page by page (pdftotext puts a form feed
// between pages), each page as its lines with blanks runs made one.
std::vector<QStringList> pdfPages(const std::filesystem::path& pdf) {
    std::vector<QStringList> pages;
    for (const auto& page : pdfText(pdf).split(QLatin1Char('\f'))) {
        QStringList lines;
        for (const auto& l : page.split(QLatin1Char('\n')))
            if (!l.trimmed().isEmpty()) lines << l.simplified();
        if (!lines.isEmpty()) pages.push_back(lines);
    }
    return pages;
}

// 150 PLUs with four prices and a cost price make several pages: each has
// the column header and "Page n of m" at its foot, the first line only the
// first page, and every PLU's four price lines stay on one page.
TEST_F(PrintVerb, PdfPagesCarryTheHeaderAndPageNumbersAndNeverSplitAPlu) {
    session.app.setKindCount(ab::kPlu, 150);
    session.app.set(ab::kPluPriceLevels, 4);
    session.app.set(ab::kPluPriceSize, 3);
    session.app.set(ab::kPluCostPrice, 1);
    loadProgram({RecordKind::Plu});
    savePrinterSettings(settings, {0, 60, true, true, true});
    const auto pdf = dir / "plu.pdf";
    ASSERT_EQ(print({session.programPath.string(), "plu", "-o", pdf.string()}), kVerbOk) << err.str();
    const auto pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 3u);
    const QString header = QStringLiteral("Number Descriptor Dept. Lv Price Cost Price");
    int plus = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto& lines = pages[p];
        SCOPED_TRACE("page " + std::to_string(p + 1));
        EXPECT_EQ(lines.count(header), 1);
        EXPECT_EQ(lines.back(), QStringLiteral("shop.plu Page %1 of %2").arg(p + 1).arg(pages.size()));
        EXPECT_EQ(lines.front().contains(QStringLiteral("Program ")), p == 0);
        // After the header: whole PLUs, a number line and its three further levels.
        const auto body = lines.mid(lines.indexOf(header) + 1, lines.size() - lines.indexOf(header) - 2);
        ASSERT_EQ(body.size() % 4, 0) << body.join(QLatin1Char('|')).toStdString();
        for (int i = 0; i < body.size(); i += 4) {
            EXPECT_TRUE(body[i].contains(QStringLiteral(" L1 "))) << body[i].toStdString();
            for (int l = 2; l <= 4; ++l)
                EXPECT_TRUE(body[i + l - 1].startsWith(QStringLiteral("L%1 ").arg(l))) << body[i + l - 1].toStdString();
            ++plus;
        }
    }
    EXPECT_EQ(plus, 150);
}

// Every kind with an editor, through the verb to a PDF: each record of the
// file is there, under its kind's header.
TEST_F(PrintVerb, EveryKindListsEachOfItsRecordsInThePdf) {
    ProgramSession full;
    ASSERT_TRUE(createProgram(full, dir / "full.app").ok());
    for (const auto& info : listingKinds()) {
        SCOPED_TRACE(std::string(info.name));
        const auto pdf = dir / (std::string(info.name) + ".pdf");
        const int code = print({full.programPath.string(), std::string(info.name), "-o", pdf.string()});
        const auto listing = buildListing(info.kind, full, LanguageTexts::builtIn(), {{0, 60, false, true, true}, "", {}});
        if (!listing.ok()) {  // a file the new program has not got (customers)
            EXPECT_EQ(code, kVerbFailed);
            continue;
        }
        ASSERT_EQ(code, kVerbOk) << err.str();
        QStringList text;
        for (const auto& page : pdfPages(pdf)) text << page;
        std::size_t found = 0, shown = 0;
        for (const auto start : listing.recordStarts) {
            const auto line = QString::fromStdString(listing.lines[start]).simplified();
            if (line.isEmpty()) continue;  // the summary's blank lines
            ++shown;
            found += text.contains(line);
        }
        EXPECT_EQ(found, shown);
        EXPECT_GE(shown, listing.records() * 3 / 4);
        EXPECT_EQ(ui::listingPdfPages(listing),
                  static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](const QString& l) {
                      return l.contains(QRegularExpression(QStringLiteral("Page \\d+ of \\d+$")));
                  })));
    }
}

// KIND from the one table, in any case and by any alias; printing leaves the
// settings file as it found it.
TEST_F(PrintVerb, TakesEveryNameOfAKindAndWritesNoSettings) {
    MemorySettingsStore empty;
    setPrintingVerbSettingsForTesting(&empty);
    const auto app = session.programPath.string();
    const std::pair<const char*, const char*> names[] = {
        {"group", "group"}, {"GROUP", "group"}, {"Group File", "group"}, {".grp", "group"},
        {"grp", "group"},   {"summary", "summary"}, {"Summary", "summary"}};
    for (const auto& [kind, word] : names) {
        const auto file = dir / "g.txt";
        out.str("");
        ASSERT_EQ(print({app, kind, "-o", file.string(), "--json"}), kVerbOk) << kind << ": " << err.str();
        EXPECT_NE(out.str().find(std::string("\"kind\":\"") + word + "\""), std::string::npos) << kind << ": " << out.str();
    }
    EXPECT_FALSE(empty.contains(kPrinterKey, "PageSize"));
    EXPECT_FALSE(empty.contains(kPrinterKey, "PrintHeader"));
    EXPECT_EQ(print({app, "tenders please", "-o", (dir / "t.txt").string()}), kVerbUsage);
    EXPECT_NE(err.str().find("plu (.plu), group (.grp), department (.dpt), clerk (.clk), modifier (.mod), pb-info (.pbr), "
                             "tender (.tnd)"),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("customer (.cst) and summary"), std::string::npos) << err.str();
}

class PrintingViews : public MenuHandlerFixture {};

TEST_F(PrintingViews, PageLengthAbove99IsRefusedAndOkSavesTheSettings) {
    MessageCatcher messages;
    ui::TSetCompPrinter d(settings);
    d.Edit1->clear();
    QTest::keyClicks(d.Edit1, "100");
    EXPECT_EQ(messages.texts, QStringList{"Invalid Entry  "});
    EXPECT_EQ(d.Edit1->text(), "");
    d.checks[0]->setChecked(false);
    d.ComboBox1->setCurrentIndex(1);
    d.BitBtn1->click();
    EXPECT_EQ(loadPrinterSettings(settings), (PrinterSettings{1, 0, false, true, true}));
}

TEST_F(PrintingViews, PrintDialogListsTheChosenFileAndSavesIt) {
    session.app.setKindCount(ab::kGroup, 3);
    loadProgram({RecordKind::Group});
    MessageCatcher messages;
    ui::TPrintFiles d(session, LanguageTexts::builtIn(), {0, 60, false, true, false});
    d.choose(ListingKind::Group);
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(d.RichEdit1->toPlainText().startsWith("Number Descriptor\n     1 "));
    EXPECT_EQ(d.RichEdit1->textCursor().position(), 0);
    const auto pdf = dir / "groups.pdf";
    EXPECT_TRUE(d.saveTo(QString::fromStdString(pdf.string())).isEmpty());
    EXPECT_TRUE(pdfText(pdf).contains("Number Descriptor"));

    // Printing: the listed file's name is the job title.
    d.printerInstalled = [] { return true; };
    const auto printed = dir / "printed.pdf";
    d.askPrinter = [&](QPrinter& printer) {
        EXPECT_EQ(printer.docName(), "shop.grp");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(printed.string()));
        return true;
    };
    d.WriteToPrinter->click();
    EXPECT_TRUE(pdfText(printed).contains("     1 GRP"));

    d.choose(ListingKind::Department);  // no ".dpt"
    EXPECT_EQ(messages.texts, QStringList{"Error opening File !!"});
}

// Without a printer the dialog says so and offers the PDF instead.
TEST_F(PrintingViews, WithoutAPrinterThePrintButtonOffersThePdf) {
    session.app.setKindCount(ab::kGroup, 3);
    loadProgram({RecordKind::Group});
    ui::TPrintFiles d(session, LanguageTexts::builtIn(), {0, 60, false, true, false});
    d.choose(ListingKind::Group);
    d.printerInstalled = [] { return false; };
    d.askPrinter = [](QPrinter&) {
        ADD_FAILURE() << "no print dialog without a printer";
        return false;
    };
    QStringList asked;
    bool answer = false;
    d.askQuestion = [&](const QString&, const QString& text) {
        asked << text;
        return answer;
    };
    std::vector<bool> offered;
    const auto pdf = dir / "instead.pdf";
    d.askFileName = [&](bool asPdf) {
        offered.push_back(asPdf);
        return QString::fromStdString(pdf.string());
    };
    d.WriteToPrinter->click();  // "No"
    EXPECT_FALSE(std::filesystem::exists(pdf));
    answer = true;
    d.WriteToPrinter->click();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("No printer is installed")));
    EXPECT_EQ(offered, std::vector<bool>{true});
    EXPECT_TRUE(pdfText(pdf).contains("Number Descriptor"));
}

TEST_F(PrintingViews, UserReportCancelKeepsTheBlockAndOkMarksItsBlock) {
    loadProgram();
    const ApplicationBlock before = session.app;
    {
        ui::TUserReport d(session, LanguageTexts::builtIn(), 8, {});
        d.clickRow(3);
        EXPECT_EQ(d.StringGrid1->item(3, 1)->text(), "1");
        d.reject();
    }
    EXPECT_EQ(session.app, before);

    ui::TUserReport d(session, LanguageTexts::builtIn(), 8, {});
    d.clickRow(3);
    d.options[3]->setChecked(false);  // Z-count
    d.BitBtn1->click();
    EXPECT_EQ(d.marked, std::vector<std::uint16_t>{23});
    EXPECT_TRUE(session.app.u16(ab::kUserReports + 46 * 7) & 0x08);
    EXPECT_EQ(session.app.u8(ab::kUserReports + 46 * 7 + 30), 4);
}

TEST_F(PrintingViews, UserReportOptionsFollowTheirLanguageTextsAndKeepTheirBitsWhenDisabled) {
    loadProgram();
    auto texts = LanguageTexts::builtIn();
    texts.setText(520, " Add(Print) &Z-Count :    ");  // leading blank: disabled
    texts.setText(596, "");                            // empty: hidden
    session.app.setU16(ab::kUserReports, 0x0018);      // Z-count not added, percentage on
    ui::TUserReport d(session, texts, 1, {});
    EXPECT_FALSE(d.options[3]->isEnabled());
    EXPECT_TRUE(d.options[4]->isHidden());
    EXPECT_TRUE(d.options[5]->isEnabled());
    d.options[3]->setChecked(true);
    d.options[4]->setChecked(false);
    d.options[5]->setChecked(true);
    d.BitBtn1->click();
    EXPECT_EQ(session.app.u16(ab::kUserReports), 0x0058);
}

TEST_F(PrintingViews, SystemReportsRefuseBadSizesAndSaveWhenClosed) {
    loadProgram();
    for (int t = 0; t < ab::kTotalizerSetCount; ++t) session.app.setTotalizerSet(ab::kGroup, t, {});
    recomputeSizes(session.app);
    writeFileAtomic(session.programPath, session.app.bytes());
    registerPrintingDialogs(registry);
    MessageCatcher messages;
    testing::whenModalShown([](QDialog* dialog) {
        auto* d = static_cast<ui::TSetupReports*>(dialog);
        d->sizes[0]->clear();
        QTest::keyClicks(d->sizes[0], "17");
        EXPECT_EQ(d->sizes[0]->text(), "");
        d->ComboBox2->setCurrentIndex(1);
        d->editor().selectFile(1);
        d->periods[1]->setChecked(true);
        d->BitBtn1->click();
    });
    run("SystemReports1Click");
    EXPECT_EQ(messages.texts, QStringList{"Wrong Input!"});
    EXPECT_TRUE(session.app.totalizerSet(ab::kGroup, 0).periodFlags & 0x02);
    EXPECT_EQ(session.updateList().lines(), std::vector<std::string>{"000004000"});
    EXPECT_GT(refreshes, 0);
}

}  // namespace
}  // namespace tramond
