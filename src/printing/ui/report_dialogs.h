#pragma once
// "System Reports" (TSetupReports) and "User Report # n" (TUserReport):
// thin views over SystemReportsEditor and UserReportEditor.

#include <QDialog>
#include <array>
#include <functional>

#include "app/ui/menu_registry.h"
#include "printing/report_setup.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tramond::ui {

class TSetupReports : public QDialog {
    Q_OBJECT
public:
    // Edits the session's block as the user goes; `changed` runs after every
    // change (the main window's Setup caption).
    TSetupReports(ApplicationBlock& app, const LanguageTexts& texts, std::function<void()> changed,
                  QWidget* parent = nullptr);

    SystemReportsEditor& editor() { return editor_; }
    QComboBox* ComboBox1 = nullptr;  // report types
    QComboBox* ComboBox2 = nullptr;  // report files
    QGroupBox* GroupBox1 = nullptr;  // "System Reports" + total
    QGroupBox* PeriodBox = nullptr;
    std::array<QCheckBox*, kPeriodCount> periods{};
    std::array<QLineEdit*, kTotalSizeCount> sizes{};
    QPushButton* BitBtn1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void leave(int box);

    SystemReportsEditor editor_;
    const LanguageTexts& texts_;
    std::function<void()> changed_;
    std::array<QLabel*, kTotalSizeCount> sizeLabels_{};
    bool syncing_ = false;
};

class TUserReport : public QDialog {
    Q_OBJECT
public:
    TUserReport(ProgramSession& session, const LanguageTexts& texts, int n, std::function<void()> reportOptions,
                QWidget* parent = nullptr);

    UserReportEditor& editor() { return editor_; }
    void clickRow(int row);
    QLineEdit* Edit1 = nullptr;      // title
    QComboBox* ComboBox1 = nullptr;  // type
    QComboBox* ComboBox2 = nullptr;  // period
    QTableWidget* StringGrid1 = nullptr;
    std::array<QCheckBox*, 8> options{};
    std::array<QCheckBox*, 6> printOptions{};
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* ReportOptionsButton = nullptr;
    // Blocks marked by the last OK.
    std::vector<std::uint16_t> marked;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshGrid();
    void BitBtn1Click();

    UserReportEditor editor_;
    const LanguageTexts& texts_;
};

// Menu handlers: the loaded-program check, the dialog, the save on close.
void runSetupReports(AppContext& context);
void runUserReport(AppContext& context, int n);

}  // namespace tramond::ui
