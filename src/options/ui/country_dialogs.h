#pragma once
// The country info, time zone and network size dialogs: thin views over the
// controllers of options/country.h, time_zones.h and network.h.

#include <QDialog>

#include "app/language_texts.h"
#include "options/country.h"
#include "options/network.h"
#include "options/time_zones.h"
#include "program/ui/setup_ui_common.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace tramond::ui {

class TCountryInfo : public QDialog {
    Q_OBJECT
public:
    TCountryInfo(ProgramSession& session, const LanguageTexts& texts, QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;  // amount
    QLineEdit* Edit1 = nullptr;      // prefix
    QComboBox* ComboBox2 = nullptr;  // time
    QComboBox* ComboBox3 = nullptr;  // date
    QPushButton* BitBtn1 = nullptr;
    // Set when OK could not write the file.
    bool writeFailed() const { return writeFailed_; }
    // Escape and the close box: the block as it was when the dialog opened.
    void reject() override {
        controller_.cancel();
        QDialog::reject();
    }

private:
    CountryInfo controller_;
    bool writeFailed_ = false;
};

class TTimeZones : public QDialog {
    Q_OBJECT
public:
    TTimeZones(ProgramSession& session, const LanguageTexts& texts, QWidget* parent = nullptr);

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    bool writeFailed() const { return writeFailed_; }
    void reject() override {
        controller_.cancel();
        QDialog::reject();
    }

private:
    void StringGrid1SetEditText(QTableWidgetItem* item);
    void fill();

    TimeZones controller_;
    InputMessages messages_;
    bool filling_ = false;
    bool writeFailed_ = false;
};

class TNetworkSize : public QDialog {
    Q_OBJECT
public:
    TNetworkSize(ProgramSession& session, const LanguageTexts& texts, QWidget* parent = nullptr);

    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    const NetworkSize::Result& result() const { return result_; }
    bool writeFailed() const { return writeFailed_; }

private:
    NetworkSize controller_;
    InputMessages messages_;
    QString machineLabel_;
    NetworkSize::Result result_;
    bool writeFailed_ = false;
};

}  // namespace tramond::ui
