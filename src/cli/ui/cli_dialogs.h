#pragma once
// The window's side of the dealer's tools: Compare Programs, Export to CSV,
// Import from CSV and Verify Register, over the same core as the verbs.

#include <QDialog>
#include <vector>

#include "app/ui/menu_registry.h"
#include "cli/program_diff.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tramond {

// mCompareProgramsClick, mExportCsvClick, mImportCsvClick, mVerifyRegisterClick.
void registerCliDialogs(MenuRegistry& registry);

// The differences side by side: where, record, item, then each side's value,
// each cut to its column; the selected difference in full below the table.
class TComparePrograms : public QDialog {
    Q_OBJECT
public:
    TComparePrograms(const std::vector<Difference>& differences, const QString& nameA, const QString& nameB,
                     QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    QPushButton* closeButton() const { return close_; }
    QPlainTextEdit* detail() const { return detail_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDetail(int row);

    std::vector<Difference> differences_;
    QString nameA_;
    QString nameB_;
    QTableWidget* table_;
    QLabel* summary_;
    QPlainTextEdit* detail_;
    QPushButton* close_;
    int itemWidth_ = 0;
};

}  // namespace tramond
