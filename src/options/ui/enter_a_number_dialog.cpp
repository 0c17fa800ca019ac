#include "options/ui/enter_a_number_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "program/ui/message_box.h"

namespace tramond::ui {

TEnterANumber::TEnterANumber(const EnterANumber& controller, InputMessages messages, QWidget* parent)
    : QDialog(parent), controller_(controller), messages_(std::move(messages)) {
    setWindowTitle(QString::fromStdString(controller_.caption()));
    Label1 = new QLabel(QString::fromStdString(controller_.label()), this);
    Edit1 = new QLineEdit(QString::fromStdString(controller_.initialText()), this);
    Edit1->setObjectName("Edit1");
    makeDigitsOnly(Edit1, controller_.maxLength());
    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(Edit1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
    connect(Edit1, &QLineEdit::textEdited, this, &TEnterANumber::Edit1KeyUp);
    connect(BitBtn1, &QPushButton::clicked, this, &TEnterANumber::BitBtn1Click);
}

void TEnterANumber::Edit1KeyUp(const QString& text) {
    if (controller_.acceptsText(text.toStdString())) return;
    showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
    Edit1->setText(QStringLiteral("0"));
}

void TEnterANumber::BitBtn1Click() {
    if (Edit1->text().isEmpty()) Edit1->setText(QStringLiteral("0"));
    if (!controller_.confirm(Edit1->text().toStdString())) {
        showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
        Edit1->setText(QStringLiteral("0"));
        return;
    }
    accept();
}

std::optional<long> TEnterANumber::ask(const EnterANumber& controller, const InputMessages& messages,
                                       QWidget* mainWindow) {
    TEnterANumber dialog(controller, messages, mainWindow);
    placeBelowMainWindow(&dialog, mainWindow);
    dialog.exec();
    if (!dialog.confirmed()) return std::nullopt;
    return dialog.number();
}

}  // namespace tramond::ui
