#include "editors/ui/shared_pb_info_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editors/ui/record_editor_dialog.h"
#include "platform/desktop_choosers.h"

namespace tramond::ui {

TSharedPbInfoFile::TSharedPbInfoFile(ProgramSession& session, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), prompts_(this), controller_(session, texts, prompts_) {
    setObjectName("TSharedPbInfoFile");
    setWindowTitle("Shared PbInfo File");
    auto* layout = new QVBoxLayout(this);
    sharing_ = new QCheckBox("Pb &File Sharing", this);
    sharing_->setObjectName("CheckBox1");
    layout->addWidget(sharing_);
    auto* radios = new QButtonGroup(this);
    active_ = new QRadioButton("&Active Pb Info file", this);
    active_->setObjectName("RadioButton1");
    passive_ = new QRadioButton("&Passive Pb Info file", this);
    passive_->setObjectName("RadioButton2");
    radios->addButton(active_);
    radios->addButton(passive_);
    layout->addWidget(active_);
    layout->addWidget(passive_);

    listBox_ = new QGroupBox("Application with shared Pb Info file", this);
    auto* listLayout = new QVBoxLayout(listBox_);
    list_ = new QListWidget(listBox_);
    list_->setObjectName("ListBox1");
    list_->setMinimumWidth(420);
    listLayout->addWidget(list_);
    auto* listButtons = new QHBoxLayout;
    auto* add = new QPushButton("A&dd application to the list", listBox_);
    add->setObjectName("Button1");
    auto* remove = new QPushButton("&Remove application from the list", listBox_);
    remove->setObjectName("Button2");
    for (auto* b : {add, remove}) {
        b->setAutoDefault(false);
        listButtons->addWidget(b);
    }
    listLayout->addLayout(listButtons);
    layout->addWidget(listBox_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtn1");
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // shrinks with the list hidden

    chooser_ = [this] {
        FileDialogRequest request;
        request.filter = "Applications (*.app)|*.app";
        const auto file = desktopChoosers().openFile(this, request);
        return file ? QString::fromStdString(file->string()) : QString();
    };
    connect(sharing_, &QCheckBox::toggled, this, [this](bool on) {
        controller_.sharing = on;
        if (!on) controller_.active = false;
        showState();
    });
    connect(active_, &QRadioButton::toggled, this, [this](bool on) {
        controller_.active = on;
        showState();
    });
    connect(add, &QPushButton::clicked, this, [this] {
        const auto file = chooser_();
        if (file.isEmpty()) return;
        if (controller_.addApplication(file.toStdString())) refreshList();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        controller_.remove(list_->currentRow());
        refreshList();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (controller_.ok()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    controller_.open();
    refreshList();
    showState();
    placeBesideMainWindow(this, parent);
}

void TSharedPbInfoFile::showState() {
    const auto& c = controller_;
    const QSignalBlocker a(active_), p(passive_), s(sharing_);
    sharing_->setChecked(c.sharing);
    active_->setEnabled(c.sharing);
    passive_->setEnabled(c.sharing);
    if (c.sharing) {
        (c.active ? active_ : passive_)->setChecked(true);
    } else {
        // Neither radio button is chosen while sharing is off.
        auto* group = active_->group();
        group->setExclusive(false);
        active_->setChecked(false);
        passive_->setChecked(false);
        group->setExclusive(true);
    }
    listBox_->setVisible(c.sharing && c.active);
}

void TSharedPbInfoFile::refreshList() {
    list_->clear();
    for (const auto& p : controller_.programs) list_->addItem(QString::fromStdString(p));
}

}  // namespace tramond::ui
