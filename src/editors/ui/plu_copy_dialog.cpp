#include "editors/ui/plu_copy_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tramond::ui {

TCopyPluRecord::TCopyPluRecord(PluEditorController& editor, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), editor_(editor), texts_(texts), prompts_(this) {
    setObjectName("TCopyPluRecord");
    setWindowTitle("Copy PLU record");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Copy next parameters", this);
    auto* grid = new QGridLayout(group);
    const auto groups = pluCopyGroups();
    for (std::size_t i = 0; i < groups.size(); ++i) {
        auto* box = new QCheckBox(
            QString::fromUtf8(groups[i].caption.data(), static_cast<int>(groups[i].caption.size())), group);
        box->setObjectName(QString::fromUtf8(groups[i].name.data(), static_cast<int>(groups[i].name.size())));
        grid->addWidget(box, static_cast<int>(i % 6), static_cast<int>(i / 6));
        boxes_[i] = box;
    }
    // Names belong to codes in code mode; copying one would make two PLUs
    // of one name and code look alike on the register.
    boxes_[kPluCopyName]->setEnabled(!editor_.header().codeMode());
    layout->addWidget(group);

    auto* form = new QFormLayout;
    auto digits = [this] { return new QRegularExpressionValidator(QRegularExpression("\\d{0,5}"), this); };
    start_ = new QLineEdit(QString::number(editor_.currentRecord()), this);
    start_->setObjectName("EdtStartPosition");
    start_->setValidator(digits());
    range_ = new QLineEdit("0", this);
    range_->setObjectName("EdtRange");
    range_->setValidator(digits());
    form->addRow("Start from record:", start_);
    form->addRow("Range to apply chosen values", range_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtn1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("BitBtn2");
    // Copies cannot be undone: Enter in the range edit must not start one.
    for (auto* b : buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(b)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
    }
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TCopyPluRecord::onOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TCopyPluRecord::onOk() {
    using Outcome = PluCopyResult::Outcome;
    PluCopyRequest request;
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        request.groups[i] = boxes_[i]->isChecked() && boxes_[i]->isEnabled();
    request.start = start_->text().toStdString();
    request.range = range_->text().toStdString();
    result_ =
        copyPluFields(editor_.session(), editor_.header(), editor_.recordBuffer(), editor_.currentRecord(), request);
    switch (result_.outcome) {
        case Outcome::RangeTooBig:
            prompts_.show(msg::error(texts_, -1, "Given range is too big for current size of PLU file!"));
            range_->setFocus();
            return;
        case Outcome::FileError:
            prompts_.show(msg::errorOpeningFile(texts_));
            return;
        case Outcome::Copied:
            if (result_.nameCopied) editor_.showNameOnRecords(result_.targets);
            break;
        case Outcome::Nothing:
            break;
    }
    accept();
}

}  // namespace tramond::ui
