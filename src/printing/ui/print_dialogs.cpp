#include "printing/ui/print_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextCursor>
#include <QVBoxLayout>

#include "platform/desktop_choosers.h"
#include "printing/rich_text.h"
#include "printing/ui/listing_document.h"
#include "program/ui/message_box.h"
#include "program/ui/setup_ui_common.h"

namespace tramond::ui {

namespace {

constexpr int kNoProgramLoaded = 392;
constexpr int kErrorTitle = 677;

}  // namespace

// --- Print ------------------------------------------------------------------

TPrintFiles::TPrintFiles(const ProgramSession& session, const LanguageTexts& texts, PrinterSettings printer,
                         QWidget* parent)
    : QDialog(parent), session_(session), texts_(texts), printer_(printer) {
    setObjectName("TPrintFiles");
    setWindowTitle(QStringLiteral("Print"));
    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setFont(listingFont());
    // Room for a whole 77-character line.
    RichEdit1->setMinimumWidth(QFontMetrics(RichEdit1->font()).horizontalAdvance(QString(79, 'M')) + 30);
    RichEdit1->setMinimumHeight(400);

    auto* group = new QGroupBox(QStringLiteral("Files"), this);
    group->setObjectName("RadioGroup1");
    // Two columns: the files of every editor and the summary would make one
    // column taller than a small screen.
    auto* groupLayout = new QGridLayout(group);
    Files = new QButtonGroup(this);
    const auto kinds = listingKinds();
    const int rows = static_cast<int>((kinds.size() + 1) / 2);
    int id = 0;
    for (const auto& k : kinds) {
        auto* radio = new QRadioButton(QString::fromStdString(listingChoice(texts_, k)), group);
        radio->setObjectName(QStringLiteral("Files_%1").arg(QString::fromUtf8(k.name.data(), static_cast<int>(k.name.size()))));
        groupLayout->addWidget(radio, id % rows, id / rows);
        Files->addButton(radio, id++);
    }
    connect(Files, &QButtonGroup::idClicked, this,
            [this](int i) { choose(listingKinds()[static_cast<std::size_t>(i)].kind); });

    WriteToFile = new QPushButton(QStringLiteral("Write to File"), this);
    WriteToFile->setObjectName("Button1");
    WriteToPrinter = new QPushButton(QStringLiteral("Write to Printer"), this);
    WriteToPrinter->setObjectName("Button2");
    auto* close = new QPushButton(tr("OK"), this);
    close->setObjectName("BitBtn1");
    for (auto* b : {WriteToFile, WriteToPrinter, close}) b->setAutoDefault(false);
    connect(WriteToFile, &QPushButton::clicked, this, [this] { writeToFile(false); });
    connect(WriteToPrinter, &QPushButton::clicked, this, &TPrintFiles::writeToPrinter);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* side = new QVBoxLayout;
    side->addWidget(group);
    side->addWidget(WriteToFile);
    side->addWidget(WriteToPrinter);
    side->addStretch();
    side->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(RichEdit1, 1);
    layout->addLayout(side);

    askFileName = [this](bool pdf) {
        FileDialogRequest request;
        request.title = "Save As";
        // The first type is the one the dialog starts on.
        request.filter = pdf ? "PDF (*.pdf)|*.pdf|Documents (*.doc)|*.doc|Text (*.txt)|*.txt"
                             : "Documents (*.doc)|*.doc|PDF (*.pdf)|*.pdf|Text (*.txt)|*.txt";
        request.defaultSuffix = pdf ? "pdf" : "doc";
        const auto file = desktopChoosers().saveFile(this, request);
        return file ? QString::fromStdString(file->string()) : QString();
    };
    askPrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    printerInstalled = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
    askQuestion = [this](const QString& title, const QString& text) {
        return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
               QMessageBox::Yes;
    };
    WriteToFile->setEnabled(false);
    WriteToPrinter->setEnabled(false);
}

void TPrintFiles::choose(ListingKind kind) {
    const auto& info = listingKindInfo(kind);
    if (auto* b = Files->button(static_cast<int>(&info - listingKinds().data()))) b->setChecked(true);
    RichEdit1->clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    std::unique_ptr<QProgressDialog> progress;
    ListingRequest request;
    request.printer = printer_;
    request.progress = [&](std::size_t done, std::size_t total) {
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(this);
            progress->setWindowTitle(QString::fromStdString(listing_.fileName));
            progress->setLabelText(QStringLiteral("%1\nLength (records) %2\nProgram process data. Please, wait!")
                                       .arg(QString::fromStdString(session_.file(info.extension).filename().string()))
                                       .arg(total));
            progress->setCancelButton(nullptr);
            progress->setRange(0, static_cast<int>(total));
            progress->setMinimumDuration(0);
        }
        if (done % 64 == 0 || done == total) progress->setValue(static_cast<int>(done));
    };
    listing_ = buildListing(kind, session_, texts_, request);
    progress.reset();

    RichEdit1->setPlainText(QString::fromStdString(listingText(listing_.lines)).remove(QLatin1Char('\r')));
    RichEdit1->moveCursor(QTextCursor::Start);
    QApplication::restoreOverrideCursor();
    WriteToFile->setEnabled(!listing_.lines.empty());
    WriteToPrinter->setEnabled(!listing_.lines.empty());
    if (!listing_.ok())
        showMessage(this, MessageKind::Error, langText(texts_, kErrorTitle, "Error"), QString::fromStdString(listing_.error));
}

QString TPrintFiles::saveTo(const QString& file) {
    const std::filesystem::path path = file.toStdString();
    const auto format = listingFormatFor(path).value_or(ListingFormat::RichText);
    return QString::fromStdString(writeListingFile(path, format, listing_));
}

void TPrintFiles::writeToFile(bool pdf) {
    const QString file = askFileName ? askFileName(pdf) : QString();
    if (file.isEmpty()) return;
    if (const auto problem = saveTo(file); !problem.isEmpty())
        showMessage(this, MessageKind::Error, langText(texts_, kErrorTitle, "Error"), problem);
}

void TPrintFiles::writeToPrinter() {
    if (!printerInstalled || !printerInstalled()) {
        // The print dialog would offer nothing but a file; say so and offer
        // the PDF, which any other machine can print.
        if (askQuestion && askQuestion(QStringLiteral("Print"),
                                       QStringLiteral("No printer is installed. Save the listing as a PDF file "
                                                      "instead?")))
            writeToFile(true);
        return;
    }
    QPrinter printer;
    printer.setDocName(QString::fromStdString(listing_.fileName));
    if (!askPrinter || !askPrinter(printer)) return;
    if (!paintListing(printer, listing_))
        showMessage(this, MessageKind::Error, langText(texts_, kErrorTitle, "Error"),
                    QStringLiteral("The printer could not be used."));
}

void runPrintFiles(AppContext& context) {
    if (!context.session.loaded) {
        showMessage(context.mainWindow, MessageKind::Warning, QStringLiteral("Warning"),
                    langText(context.texts, kNoProgramLoaded, "No Program Loaded !"));
        return;
    }
    TPrintFiles dialog(context.session, context.texts, loadPrinterSettings(context.settings), context.mainWindow);
    const QScreen* screen = dialog.screen();
    if (screen && screen->geometry().width() <= 640) {
        dialog.setGeometry(0, 10, 640, 460);
    } else {
        placeBelowMainWindow(&dialog, context.mainWindow);
    }
    dialog.exec();
}

// --- Parallel Printer Settings ----------------------------------------------

TSetCompPrinter::TSetCompPrinter(SettingsStore& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
    setObjectName("TSetCompPrinter");
    setWindowTitle(QStringLiteral("Parallel Printer Settings"));
    const auto s = loadPrinterSettings(settings);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({QStringLiteral("LPT 1"), QStringLiteral("LPT 2")});
    ComboBox1->setCurrentIndex(s.port == 1 ? 1 : 0);
    Edit1 = new QLineEdit(QString::number(s.pageSize), this);
    Edit1->setObjectName("Edit1");
    makeDigitsOnly(Edit1);  // a third digit is refused with the message, not swallowed
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (pageLengthAccepted(text.toStdString())) return;
        Edit1->clear();
        showMessage(this, MessageKind::Information, QString::fromLatin1(kInvalidEntryTitle),
                    QString::fromLatin1(kInvalidEntry));
    });
    const std::array<const char*, 3> captions{"Print Time && Date", "Print Program Name", "Print Header Line"};
    const std::array<bool, 3> values{s.printTimeDate, s.printName, s.printHeader};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        checks[i] = new QCheckBox(QString::fromLatin1(captions[i]), this);
        checks[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        checks[i]->setChecked(values[i]);
    }
    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("BitBtn2");
    connect(BitBtn1, &QPushButton::clicked, this, &TSetCompPrinter::BitBtn1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Printer Port     "), this), 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Page Length      "), this), 1, 0);
    grid->addWidget(Edit1, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    for (auto* c : checks) layout->addWidget(c);
    layout->addLayout(buttons);
}

void TSetCompPrinter::BitBtn1Click() {
    PrinterSettings s;
    s.port = ComboBox1->currentIndex() == 1 ? 1 : 0;
    s.pageSize = pageLengthValue(Edit1->text().toStdString());
    s.printTimeDate = checks[0]->isChecked();
    s.printName = checks[1]->isChecked();
    s.printHeader = checks[2]->isChecked();
    savePrinterSettings(settings_, s);
    accept();
}

void runSetCompPrinter(AppContext& context) {
    TSetCompPrinter dialog(context.settings, context.mainWindow);
    placeBelowMainWindow(&dialog, context.mainWindow);
    dialog.exec();
}

}  // namespace tramond::ui
