#pragma once
// TEnterANumber: the small number-entry dialog, a view over EnterANumber.
// Used for the location and register numbers and by other dialogs that ask
// for one number.

#include <QDialog>

#include <optional>

#include "options/enter_a_number.h"
#include "program/ui/setup_ui_common.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tramond::ui {

class TEnterANumber : public QDialog {
    Q_OBJECT
public:
    TEnterANumber(const EnterANumber& controller, InputMessages messages = {}, QWidget* parent = nullptr);

    bool confirmed() const { return controller_.confirmed(); }
    long number() const { return controller_.number(); }

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

    // Shows the dialog modally; the number when the user confirmed.
    static std::optional<long> ask(const EnterANumber& controller, const InputMessages& messages,
                                   QWidget* mainWindow);

private:
    void Edit1KeyUp(const QString& text);
    void BitBtn1Click();

    EnterANumber controller_;
    InputMessages messages_;
};

}  // namespace tramond::ui
