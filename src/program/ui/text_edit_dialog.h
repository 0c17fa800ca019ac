#pragma once
// `TTextEdit`: the generic line editor of the program texts. A two-column grid
// (line number, text) over a LineGrid controller, the "Out of Line" warning
// and an OK button.

#include <QDialog>

#include "program/text_editing.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tramond::ui {

class TextEditDialog : public QDialog {
    Q_OBJECT
public:
    TextEditDialog(LineGrid& grid, const QString& title, const QString& outOfLineText,
                   QWidget* parent = nullptr);
    ~TextEditDialog() override;

    QTableWidget* table() const { return table_; }
    QLabel* outOfLineLabel() const { return outOfLine_; }
    QPushButton* okButton() const { return ok_; }

    // The delegate reports the editor of the cell being edited.
    void editorOpened(int row, QLineEdit* editor);
    void editorClosed(QLineEdit* editor);
    void cellTextEdited(int row, const QString& text);
    void cellKeyReleased(int row, QLineEdit* editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void okClicked();
    void syncFromGrid();
    void syncRow(int row);
    void sizeColumns();
    void fitToLines();

    LineGrid& grid_;
    QTableWidget* table_;
    QLabel* outOfLine_;
    QPushButton* ok_;
    QLineEdit* editor_ = nullptr;
    int editorRow_ = -1;
};

}  // namespace tramond::ui
