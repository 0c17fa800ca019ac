#pragma once
// "Print" (TPrintFiles): a listing of one record file, saved as a document
// or printed; "Parallel Printer Settings" (TSetCompPrinter).

#include <QDialog>
#include <array>
#include <functional>

#include "app/ui/menu_registry.h"
#include "printing/listing.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QPrinter;

namespace tramond::ui {

class TPrintFiles : public QDialog {
    Q_OBJECT
public:
    TPrintFiles(const ProgramSession& session, const LanguageTexts& texts, PrinterSettings printer,
                QWidget* parent = nullptr);

    // Choosing a file in the "Files" group.
    void choose(ListingKind kind);
    const Listing& listing() const { return listing_; }
    QPlainTextEdit* RichEdit1 = nullptr;
    QButtonGroup* Files = nullptr;
    QPushButton* WriteToFile = nullptr;
    QPushButton* WriteToPrinter = nullptr;

    // Tests answer the save dialog (PDF offered first when asked), the
    // print dialog and the question, and say whether a printer is installed.
    std::function<QString(bool pdf)> askFileName;
    std::function<bool(QPrinter&)> askPrinter;
    std::function<bool()> printerInstalled;
    std::function<bool(const QString& title, const QString& text)> askQuestion;

    // Saves the listing shown (".pdf", ".txt" by suffix, otherwise rich
    // text); returns an error text, empty on success.
    QString saveTo(const QString& file);

private:
    void writeToFile(bool pdf);
    void writeToPrinter();

    const ProgramSession& session_;
    const LanguageTexts& texts_;
    PrinterSettings printer_;
    Listing listing_;
};

class TSetCompPrinter : public QDialog {
    Q_OBJECT
public:
    TSetCompPrinter(SettingsStore& settings, QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;  // port
    QLineEdit* Edit1 = nullptr;      // page length
    std::array<QCheckBox*, 3> checks{};  // time & date, program name, header line
    QPushButton* BitBtn1 = nullptr;

private:
    void BitBtn1Click();

    SettingsStore& settings_;
};

void runPrintFiles(AppContext& context);
void runSetCompPrinter(AppContext& context);

}  // namespace tramond::ui
