#include "handheld/ui/tovik_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tramond {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

void fill(QComboBox* box, const std::vector<std::string>& items, int index) {
    const QSignalBlocker block(box);
    box->clear();
    for (const auto& i : items) box->addItem(q(i));
    box->setCurrentIndex(index);
}

QLineEdit* numberBox(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), e));
    e->setMaximumWidth(60);
    return e;
}

}  // namespace

TTovikOptions::TTovikOptions(TovikOptionsController& controller, Prompter& prompter, QWidget* parent)
    : QDialog(parent), controller_(controller), prompter_(prompter) {
    setWindowTitle("Tovik Options");

    auto* values = new QGroupBox(this);
    auto* valueForm = new QFormLayout(values);
    EdtTimer = numberBox(this);
    EdtStandBy = numberBox(this);
    EdtLight = numberBox(this);
    EdtDoubleClick = numberBox(this);
    valueForm->addRow("Timer", EdtTimer);
    valueForm->addRow("Stand By Time", EdtStandBy);
    valueForm->addRow("Light Sensitivity", EdtLight);
    valueForm->addRow("Double Click Speed [100ms]", EdtDoubleClick);

    auto* options = new QGroupBox(this);
    auto* optionGrid = new QGridLayout(options);
    const char* captions[8] = {"Consolidate Tovik buffer", "Stay down Window", "Real time paging", "Option 4",
                               "Option 5", "Option 6", "Option 7", "Option 8"};
    for (int i = 0; i < 8; ++i) {
        CBOption[static_cast<std::size_t>(i)] = new QCheckBox(captions[i], this);
        optionGrid->addWidget(CBOption[static_cast<std::size_t>(i)], i % 4, i / 4);
    }

    auto* handhelds = new QGroupBox(this);
    auto* handheldForm = new QFormLayout(handhelds);
    CmbBRegNum = new QComboBox(this);
    LblRegNum = new QLabel("Settings for machine : ", this);
    handheldForm->addRow(LblRegNum, CmbBRegNum);
    CmbBTovik = new QComboBox(this);
    handheldForm->addRow("Chose Tovik", CmbBTovik);
    CmbBClerk = new QComboBox(this);
    handheldForm->addRow("Link Clerk with Tovik", CmbBClerk);

    auto* receipt = new QGroupBox("Receipt", this);
    auto* receiptForm = new QFormLayout(receipt);
    CmbBType = new QComboBox(this);
    CmbBPort = new QComboBox(this);
    CmbBTrmnlNum = new QComboBox(this);
    receiptForm->addRow("Type  :         ", CmbBType);
    receiptForm->addRow("Port Number :   ", CmbBPort);
    receiptForm->addRow("Terminal Number", CmbBTrmnlNum);
    handheldForm->addRow(receipt);

    auto* general = new QGroupBox("General Options", this);
    auto* generalLayout = new QVBoxLayout(general);
    CBGeneral[0] = new QCheckBox("Tovik transaction on Marlet display", this);
    CBGeneral[1] = new QCheckBox("Prevent opening tbl's on Marlet", this);
    CBGeneral[2] = new QCheckBox("Ignore RON", this);
    generalLayout->addWidget(CBGeneral[0]);
    generalLayout->addWidget(CBGeneral[1]);
    auto* continued = new QLabel("and Tovik at the same time", this);
    continued->setIndent(22);
    generalLayout->addWidget(continued);
    generalLayout->addWidget(CBGeneral[2]);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* left = new QVBoxLayout;
    left->addWidget(values);
    left->addWidget(options);
    left->addWidget(general);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(handhelds, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    // Opening.
    if (auto error = controller_.open()) prompter_.message(MessageKind::Error, "Error", *error);
    fill(CmbBRegNum, controller_.registerItems(), controller_.registerIndex());
    CmbBRegNum->setEnabled(controller_.registerListEnabled());
    LblRegNum->setEnabled(controller_.registerListEnabled());
    fill(CmbBClerk, controller_.clerkItems(), -1);
    fill(CmbBType, tovik::printerTypes(), 0);
    push();

    connect(EdtTimer, &QLineEdit::editingFinished, this, [this] { leaveValue(EdtTimer, true); });
    for (QLineEdit* e : {EdtStandBy, EdtLight, EdtDoubleClick})
        connect(e, &QLineEdit::editingFinished, this, [this, e] { leaveValue(e, false); });
    connect(CmbBTovik, &QComboBox::currentIndexChanged, this, [this](int i) {
        pull();
        controller_.changeHandheld(i);
        showRecord();
    });
    connect(CmbBTrmnlNum, &QComboBox::currentIndexChanged, this, [this](int t) {
        pull();
        controller_.changeTerminal(t);
        fill(CmbBPort, controller_.portItems(), controller_.controls.port);
        if (CmbBPort->isVisible()) CmbBPort->showPopup();
    });
    connect(CmbBRegNum, &QComboBox::currentIndexChanged, this, [this](int i) {
        pull();
        if (auto error = controller_.changeRegister(i + 1)) prompter_.message(MessageKind::Error, "Error", *error);
        LblRegNum->setText(q("Settings for machine : " + std::to_string(i + 1)));
        push();
        if (machineChanged) machineChanged();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { BitBtn1Click(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TTovikOptions::push() {
    const auto& c = controller_.controls;
    EdtTimer->setText(q(c.timer));
    EdtStandBy->setText(q(c.standBy));
    EdtLight->setText(q(c.light));
    EdtDoubleClick->setText(q(c.doubleClick));
    for (std::size_t i = 0; i < 8; ++i) CBOption[i]->setChecked(c.options[i]);
    for (std::size_t i = 0; i < 3; ++i) CBGeneral[i]->setChecked(c.general[i]);
    fill(CmbBTovik, controller_.handheldItems(), controller_.shownHandheld());
    showRecord();
}

void TTovikOptions::showRecord() {
    const auto& c = controller_.controls;
    fill(CmbBTrmnlNum, controller_.terminalItems(), c.terminal);
    fill(CmbBPort, controller_.portItems(), c.port);
    {
        const QSignalBlocker a(CmbBClerk), b(CmbBType);
        CmbBClerk->setCurrentIndex(c.clerk);
        CmbBType->setCurrentIndex(c.type);
    }
    const bool on = controller_.handheldControlsEnabled();
    for (QWidget* w : std::initializer_list<QWidget*>{CmbBClerk, CmbBType, CmbBPort, CmbBTrmnlNum}) w->setEnabled(on);
}

void TTovikOptions::pull() {
    auto& c = controller_.controls;
    c.timer = EdtTimer->text().toStdString();
    c.standBy = EdtStandBy->text().toStdString();
    c.light = EdtLight->text().toStdString();
    c.doubleClick = EdtDoubleClick->text().toStdString();
    for (std::size_t i = 0; i < 8; ++i) c.options[i] = CBOption[i]->isChecked();
    for (std::size_t i = 0; i < 3; ++i) c.general[i] = CBGeneral[i]->isChecked();
    c.clerk = CmbBClerk->currentIndex();
    c.type = CmbBType->currentIndex();
    c.port = CmbBPort->currentIndex();
    c.terminal = std::max(CmbBTrmnlNum->currentIndex(), 0);
}

void TTovikOptions::leaveValue(QLineEdit* box, bool timer) {
    if (leaving_) return;
    pull();
    const auto message = timer ? controller_.leaveTimer() : controller_.leaveValue(box->text().toStdString());
    if (!message) return;
    leaving_ = true;
    prompter_.message(timer ? MessageKind::Error : MessageKind::Warning, timer ? "Error" : "Warning", *message);
    box->setFocus();
    box->selectAll();
    leaving_ = false;
}

void TTovikOptions::BitBtn1Click() {
    pull();
    const auto result = controller_.ok();
    if (result.error) {
        prompter_.message(MessageKind::Error, "Error", *result.error);
        return;
    }
    accept();
}

void TTovikOptions::reject() {
    controller_.cancel();
    if (machineChanged) machineChanged();
    QDialog::reject();
}

}  // namespace tramond
