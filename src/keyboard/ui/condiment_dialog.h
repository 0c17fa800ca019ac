#pragma once
// TEditCondiment: the condiment tables over CondimentEditor: all tables, the
// table shown, and the condiment PLUs or, for a macro table, the key
// functions to add.

#include <QDialog>

#include <memory>

#include "app/ui/menu_registry.h"
#include "app/ui/qt_prompter.h"
#include "keyboard/condiment_editor.h"
#include "keyboard/key_function_chooser.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace tramond {

class TEditCondiment : public QDialog {
    Q_OBJECT
public:
    TEditCondiment(AppContext& context, QWidget* parent = nullptr);

    CondimentEditor& editor() { return *editor_; }

    QTableWidget* StringGrid1 = nullptr;  // tables
    QTableWidget* StringGrid2 = nullptr;  // the table shown
    QTableWidget* StringGrid3 = nullptr;  // condiment PLUs
    QLabel* PluLabel = nullptr;
    QLineEdit* Edit1 = nullptr;           // condiment table link
    QPushButton* SpeedButton1 = nullptr;  // "<---"
    QPushButton* Button1 = nullptr;       // Delete
    QPushButton* BDeleteAll = nullptr;
    QCheckBox* CBOptionL1 = nullptr;
    QCheckBox* CBOptionL2 = nullptr;
    QCheckBox* CBOptionL3 = nullptr;
    QCheckBox* CBOptionL5 = nullptr;
    QGroupBox* GroupBox1 = nullptr;  // "Chose function: "
    QListWidget* ListBox1 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QPushButton* Button2 = nullptr;  // OK

    void StringGrid1SelectCell(int row);
    void SpeedButton1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void showTable();
    void takeControls();
    void showMode();

    AppContext& context_;
    QtPrompter prompter_;
    std::unique_ptr<ProgramKeyNames> names_;
    std::unique_ptr<CondimentEditor> editor_;
    std::unique_ptr<KeyFunctionChooser> chooser_;
    bool closing_ = false;
};

}  // namespace tramond
