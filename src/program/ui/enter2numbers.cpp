#include "program/ui/enter2numbers.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "program/ui/message_box.h"
#include "program/ui/setup_ui_common.h"

namespace tramond::ui {

TEnter2Numbers::TEnter2Numbers(const Enter2Numbers& controller, const QString& title, const QString& numberLabel,
                               const QString& captionSizeLabel, InputMessages messages, QWidget* parent)
    : QDialog(parent), controller_(controller), messages_(std::move(messages)) {
    setWindowTitle(title);
    auto* form = new QFormLayout;
    Edit1 = new QLineEdit(QString::fromStdString(controller_.initialText()), this);
    Edit1->setObjectName("Edit1");
    makeDigitsOnly(Edit1);
    form->addRow(new QLabel(numberLabel, this), Edit1);
    auto* captionLabel = new QLabel(captionSizeLabel, this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    form->addRow(captionLabel, Edit2);
    // The caption size belongs to the register's own setup; here it stays out of reach.
    captionLabel->hide();
    Edit2->setEnabled(false);
    Edit2->hide();
    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
    connect(Edit1, &QLineEdit::textEdited, this, &TEnter2Numbers::Edit1KeyUp);
    connect(BitBtn1, &QPushButton::clicked, this, &TEnter2Numbers::BitBtn1Click);
}

void TEnter2Numbers::Edit1KeyUp(const QString& text) {
    if (controller_.acceptsText(text.toStdString())) return;
    showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
    Edit1->clear();
}

void TEnter2Numbers::BitBtn1Click() {
    if (!controller_.confirm(Edit1->text().toStdString())) {
        showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
        Edit1->clear();
        return;
    }
    accept();
}

}  // namespace tramond::ui
