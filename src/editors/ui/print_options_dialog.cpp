#include "editors/ui/print_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/print_options.h"

namespace tramond::ui {

TSetPrintOptions::TSetPrintOptions(std::uint8_t byte, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), byte_(byte) {
    setObjectName("TSetPrintOptions");
    setWindowTitle(
        QString::fromStdString(withoutAccelerator(resolveCaption(texts, kPrintOptionsTitle).label)).trimmed());
    auto* layout = new QVBoxLayout(this);
    const auto shown = printOptionBoxes(byte);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const auto caption = resolveCaption(texts, kPrintOptionCaptions[i]);
        auto* box = new QCheckBox(QString::fromStdString(caption.label), this);
        box->setObjectName(QString("CheckBox%1").arg(i + 1));
        box->setChecked(shown[i]);
        box->setVisible(caption.visible);
        box->setEnabled(caption.enabled);
        layout->addWidget(box);
        boxes_[i] = box;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtn1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("BitBtn2");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TSetPrintOptions::onOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TSetPrintOptions::onOk() {
    PrintOptionBoxes on{};
    for (std::size_t i = 0; i < boxes_.size(); ++i) on[i] = boxes_[i]->isChecked();
    byte_ = printOptionByte(on);
    accept();
}

std::uint8_t editPrintOptions(std::uint8_t byte, const LanguageTexts& texts, QWidget* parent) {
    TSetPrintOptions dialog(byte, texts, parent);
    dialog.exec();
    return dialog.byte();
}

}  // namespace tramond::ui
