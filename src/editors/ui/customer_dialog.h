#pragma once
// TEditCustManagment: the customer file's editor over CustomerEditorController.

#include <QDialog>
#include <memory>

#include "editors/customer_editor.h"
#include "editors/ui/editor_prompts.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace tramond::ui {

class TEditCustManagment : public QDialog {
    Q_OBJECT
public:
    TEditCustManagment(ProgramSession& session, const LanguageTexts& texts, QWidget* parent = nullptr);
    ~TEditCustManagment() override;
    bool activate();
    CustomerEditorController& controller() { return *controller_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void collect();
    void refresh();

    QtEditorPrompts prompts_;
    std::unique_ptr<CustomerEditorController> controller_;
    QListWidget* list_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* discount_ = nullptr;
    QRadioButton* tax1_ = nullptr;
    QRadioButton* tax2_ = nullptr;
    QRadioButton* credit_ = nullptr;
    QRadioButton* restaurant_ = nullptr;
    QTableWidget* grid_ = nullptr;
    bool updating_ = false;
};

}  // namespace tramond::ui
