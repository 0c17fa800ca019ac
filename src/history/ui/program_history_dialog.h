#pragma once
// File > Program History...: the loaded program's versions, newest first,
// compared with the program on disk or with one another, and put back.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/ui/menu_registry.h"
#include "cli/program_diff.h"
#include "history/program_history.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tramond {

// mProgramHistoryClick.
void registerHistoryDialogs(MenuRegistry& registry);

class TProgramHistory : public QDialog {
    Q_OBJECT
public:
    TProgramHistory(AppContext& context, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    QPushButton* compareWithProgramButton() const { return compareProgram_; }
    QPushButton* compareVersionsButton() const { return compareVersions_; }
    QPushButton* restoreButton() const { return restore_; }
    QPushButton* closeButton() const { return close_; }

    // Seams for the questions and answers (message boxes by default).
    std::function<bool(const QString& question)> confirm;
    std::function<void(const QString& text, bool problem)> inform;
    // Shows the differences (the Compare Programs window by default).
    std::function<void(const std::vector<Difference>&, const QString& a, const QString& b)> showDifferences;

    void reload();

private:
    std::vector<int> selectedVersions() const;  // version numbers, ascending
    void updateButtons();
    void compareWithProgram();
    void compareVersions();
    // Version a against version b (0: the program on disk).
    void compare(int a, int b);
    void restoreSelected();

    AppContext& context_;
    std::filesystem::path program_;
    std::vector<history::Version> versions_;
    QLabel* summary_;
    QTableWidget* table_;
    QPushButton* compareProgram_;
    QPushButton* compareVersions_;
    QPushButton* restore_;
    QPushButton* close_;
};

}  // namespace tramond
