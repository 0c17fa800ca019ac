#include "app/ui/language_form.h"

#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/language_pack.h"

namespace tramond {

TLanguageForm::TLanguageForm(std::filesystem::path programDir, QWidget* parent,
                             std::vector<std::filesystem::path> resourceDirs)
    : QDialog(parent), programDir_(std::move(programDir)), resourceDirs_(std::move(resourceDirs)), group_(new QButtonGroup(this)) {
    setObjectName("TLanguageForm");
    setWindowTitle("Select your language");
    // Wide enough for the title beside the window buttons.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 160);
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox("Choose your language:", this);
    auto* boxLayout = new QVBoxLayout(box);
    int id = 0;
    for (const auto& c : languageChoices()) {
        QString name = QString::fromUtf8(c.name.data(), static_cast<int>(c.name.size()));
        // Said before it is chosen, not only by the copy's failure after OK.
        if (!languageAvailable(c, programDir_, resourceDirs_)) name += kNotInstalledMark;
        auto* radio = new QRadioButton(name, box);
        group_->addButton(radio, id++);
        boxLayout->addWidget(radio);
    }
    auto* recreate = new QRadioButton(kRecreateOriginalText, box);
    group_->addButton(recreate, id);
    boxLayout->addWidget(recreate);
    group_->button(0)->setChecked(true);
    layout->addWidget(box);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BitBtn1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TLanguageForm::BitBtn1Click);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

int TLanguageForm::choice() const { return group_->checkedId(); }

void TLanguageForm::setChoice(int index) {
    if (auto* b = group_->button(index)) b->setChecked(true);
}

void TLanguageForm::BitBtn1Click() {
    failures_.clear();
    const int index = choice();
    const auto choices = languageChoices();
    // "Recreate original text" copies nothing: the start-up writes the pack
    // from the built-in table.
    if (index >= 0 && index < static_cast<int>(choices.size())) {
        failures_ = installLanguage(choices[static_cast<std::size_t>(index)], programDir_, resourceDirs_);
        if (!quiet_)
            for (const auto& f : failures_) QMessageBox::critical(this, "Error", QString::fromStdString(f));
    }
    accept();
}

}  // namespace tramond
