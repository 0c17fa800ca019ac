#pragma once
// TEnter2Numbers: the count dialog of the Setup menu, a view over the
// Enter2Numbers controller.

#include <QDialog>

#include "program/setup_counts.h"
#include "program/ui/setup_ui_common.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tramond::ui {

class TEnter2Numbers : public QDialog {
    Q_OBJECT
public:
    TEnter2Numbers(const Enter2Numbers& controller, const QString& title, const QString& numberLabel,
                   const QString& captionSizeLabel, InputMessages messages = {},
                   QWidget* parent = nullptr);

    bool confirmed() const { return controller_.confirmed(); }
    std::uint32_t number() const { return controller_.number(); }

    QLineEdit* Edit1 = nullptr;   // the number
    QLineEdit* Edit2 = nullptr;   // caption size: always hidden and disabled
    QPushButton* BitBtn1 = nullptr;

private:
    void Edit1KeyUp(const QString& text);
    void BitBtn1Click();

    Enter2Numbers controller_;
    InputMessages messages_;
};

}  // namespace tramond::ui
