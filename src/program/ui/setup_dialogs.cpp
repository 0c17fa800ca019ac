#include "program/ui/setup_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "program/ui/message_box.h"
#include "program/ui/table_fit.h"

namespace tramond::ui {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString qs(const std::string& s) { return QString::fromStdString(s); }

QPushButton* okButton(QDialog* dialog) {
    auto* b = new QPushButton(QObject::tr("OK"), dialog);
    b->setObjectName("BitBtn1");
    b->setDefault(true);
    return b;
}

}  // namespace

// ---------------------------------------------------------------- PLU

TSetupPlu::TSetupPlu(ApplicationBlock& app, InputMessages messages, std::function<void()> pluOptions,
                     std::function<void()> barcodeOptions, QWidget* parent)
    : QDialog(parent), controller_(app), messages_(std::move(messages)) {
    setWindowTitle(withoutAccelerator(qs(std::string_view("&PLU"))));
    auto* form = new QFormLayout;
    for (const auto& f : SetupPlu::fields()) {
        auto* e = new QLineEdit(qs(controller_.text(f.field)), this);
        makeDigitsOnly(e, static_cast<int>(std::to_string(f.limit).size()));
        edits_[static_cast<std::size_t>(f.field)] = e;
        QString label = withoutAccelerator(labelText(messages_, f.label));
        if (f.field == SetupPlu::Field::RandomSize) label += QStringLiteral(" Digits");
        form->addRow(label, e);
        connect(e, &QLineEdit::textEdited, this, [this, e, field = f.field](const QString& t) {
            if (controller_.acceptsText(field, t.toStdString())) return;
            showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
            e->setText(qs(controller_.text(field)));
        });
    }
    for (const auto& s : SetupPlu::switches()) {
        auto* c = new QCheckBox(labelText(messages_, s.label), this);
        checks_[static_cast<std::size_t>(s.sw)] = c;
        form->addRow(c);
        connect(c, &QCheckBox::clicked, this, [this, sw = s.sw] {
            controller_.toggle(sw);
            refreshSwitches();
        });
    }
    refreshSwitches();
    // Captioned as the General menu and the PLU editor caption them, so one
    // Alt letter opens each wherever it stands.
    const auto caption = [this](int n, const char* english) {
        return (messages_.texts ? langText(*messages_.texts, n, english) : QString(english)).trimmed();
    };
    PluOptionsButton = new QPushButton(caption(676, "PL&U Options"), this);
    BarcodeOptionsButton = new QPushButton(caption(657, "B&arcode Options"), this);
    PluOptionsButton->setEnabled(static_cast<bool>(pluOptions));
    BarcodeOptionsButton->setEnabled(static_cast<bool>(barcodeOptions));
    connect(PluOptionsButton, &QPushButton::clicked, this, [this, pluOptions] {
        pluOptions();
        refreshSwitches();
    });
    connect(BarcodeOptionsButton, &QPushButton::clicked, this, [this, barcodeOptions] {
        barcodeOptions();
        refreshSwitches();
    });
    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, &TSetupPlu::BitBtn1Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PluOptionsButton);
    buttons->addWidget(BarcodeOptionsButton);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void TSetupPlu::refreshSwitches() {
    for (const auto& s : SetupPlu::switches())
        checks_[static_cast<std::size_t>(s.sw)]->setChecked(controller_.isOn(s.sw));
}

void TSetupPlu::BitBtn1Click() {
    std::array<std::string, 7> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = edits_[i]->text().toStdString();
    if (const auto bad = controller_.store(texts)) {
        showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
        edit(*bad)->setText(qs(controller_.text(*bad)));
        edit(*bad)->setFocus();
        return;
    }
    confirmed_ = true;
    accept();
}

// ---------------------------------------------------------------- PB track buffer

TSetupPBTrackBuffer::TSetupPBTrackBuffer(ApplicationBlock& app, InputMessages messages, QWidget* parent)
    : QDialog(parent), controller_(app), messages_(std::move(messages)) {
    setWindowTitle(withoutAccelerator(QStringLiteral("&TrackBuffer")));
    using F = SetupPbTrackBuffer::Field;
    const std::array<std::pair<F, const char*>, 4> rows{{
        {F::Blocks, "Blocks:"}, {F::Records, "Records:"}, {F::QuantitySize, "Qty Size:"}, {F::AmountSize, "Amt Size:"}}};
    auto* form = new QFormLayout;
    for (const auto& [field, label] : rows) {
        auto* e = new QLineEdit(qs(controller_.text(field)), this);
        makeDigitsOnly(e, field == F::Blocks ? 4 : 3);
        edits_[static_cast<std::size_t>(field)] = e;
        form->addRow(QString::fromLatin1(label), e);
        connect(e, &QLineEdit::textEdited, this, [this, e, field = field](const QString& t) {
            if (controller_.acceptsText(field, t.toStdString())) return;
            showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
            e->setText(qs(controller_.text(field)));
        });
    }
    RandomPlu = new QCheckBox(QStringLiteral("&RandomPLU:    "), this);
    RandomPlu->setChecked(controller_.randomPlu());
    form->addRow(RandomPlu);
    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, &TSetupPBTrackBuffer::BitBtn1Click);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

void TSetupPBTrackBuffer::BitBtn1Click() {
    using F = SetupPbTrackBuffer::Field;
    const auto r = controller_.store(edit(F::Blocks)->text().toStdString(), edit(F::Records)->text().toStdString(),
                                     edit(F::QuantitySize)->text().toStdString(),
                                     edit(F::AmountSize)->text().toStdString(), RandomPlu->isChecked());
    if (r.wrongInput) {
        showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
        return;
    }
    if (r.blockTooLarge) {
        showMessage(this, MessageKind::Error, messages_.errorTitle,
                    QStringLiteral("Blocksize may not exceed 128 bytes !!"));
        // The fields show what was kept.
        for (auto f : {F::Records, F::QuantitySize, F::AmountSize}) edit(f)->setText(qs(controller_.text(f)));
        return;
    }
    accept();
}

// ---------------------------------------------------------------- PB

TSetupPrevBalance::TSetupPrevBalance(ApplicationBlock& app, InputMessages messages, QWidget* parent)
    : QDialog(parent), app_(app), controller_(app), messages_(std::move(messages)) {
    setWindowTitle(withoutAccelerator(QStringLiteral("Prev. &Balances")));
    StringGrid1 = new QTableWidget(SetupPrevBalance::kRows, 2, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setMinimumWidth(360);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setColumnWidth(0, 288);  // caption 80 %, value 20 %
    refresh();
    fitTable(StringGrid1, true);  // all ten rows at once
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { clickRow(row); });
    connect(StringGrid1, &QTableWidget::itemChanged, this, &TSetupPrevBalance::itemChanged);
    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, &TSetupPrevBalance::BitBtn1Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

void TSetupPrevBalance::refresh() {
    // Items are updated in place: refresh also runs from inside an item's
    // own change signal, where replacing the item would delete it.
    filling_ = true;
    const auto& rows = SetupPrevBalance::rows();
    for (int r = 0; r < SetupPrevBalance::kRows; ++r) {
        const QString texts[2] = {withoutFirstAmpersand(labelText(messages_, rows[static_cast<std::size_t>(r)].caption)),
                                  qs(controller_.value(r))};
        for (int c = 0; c < 2; ++c) {
            if (auto* item = StringGrid1->item(r, c)) {
                item->setText(texts[c]);
                continue;
            }
            auto* item = new QTableWidgetItem(texts[c]);
            item->setFlags(c == 0 ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            StringGrid1->setItem(r, c, item);
        }
    }
    filling_ = false;
}

void TSetupPrevBalance::clickRow(int row) {
    if (row < 0 || row >= SetupPrevBalance::kRows) return;
    switch (SetupPrevBalance::rows()[static_cast<std::size_t>(row)].kind) {
        case SetupPrevBalance::RowKind::Number:
        case SetupPrevBalance::RowKind::Digits:
            StringGrid1->setCurrentCell(row, 1);
            StringGrid1->editItem(StringGrid1->item(row, 1));
            break;
        case SetupPrevBalance::RowKind::Toggle:
            controller_.toggle(row);
            refresh();
            break;
        case SetupPrevBalance::RowKind::TrackBuffer: {
            TSetupPBTrackBuffer dialog(app_, messages_, this);
            if (runTrackBuffer) runTrackBuffer(dialog);
            else dialog.exec();
            refresh();
            break;
        }
    }
}

void TSetupPrevBalance::itemChanged(QTableWidgetItem* item) {
    if (filling_ || item->column() != 1) return;
    const int row = item->row();
    if (!controller_.setValue(row, item->text().toStdString()))
        showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
    refresh();
}

void TSetupPrevBalance::BitBtn1Click() {
    controller_.confirm();
    confirmed_ = true;
    accept();
}

// ---------------------------------------------------------------- clerks

TSetupClerk::TSetupClerk(ApplicationBlock& app, const QString& numberLabel, InputMessages messages,
                         QWidget* parent)
    : QDialog(parent), controller_(app), messages_(std::move(messages)) {
    setWindowTitle(withoutAccelerator(QStringLiteral("&Clerks")));
    Edit1 = new QLineEdit(qs(controller_.countText()), this);
    Edit1->setObjectName("Edit1");
    makeDigitsOnly(Edit1, 3);
    CheckBox1 = new QCheckBox(QStringLiteral("&Clerk Time"), this);
    CheckBox1->setChecked(controller_.clerkTime());
    auto* form = new QFormLayout;
    form->addRow(numberLabel, Edit1);
    form->addRow(CheckBox1);
    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, &TSetupClerk::BitBtn1Click);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

void TSetupClerk::BitBtn1Click() {
    if (!controller_.store(Edit1->text().toStdString(), CheckBox1->isChecked())) {
        showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
        Edit1->setText(qs(controller_.countText()));
        return;
    }
    confirmed_ = true;
    accept();
}

// ---------------------------------------------------------------- floating clerks

TSetupFloatingClerks::TSetupFloatingClerks(ApplicationBlock& app, InputMessages messages, QWidget* parent)
    : QDialog(parent), controller_(app), messages_(std::move(messages)) {
    setWindowTitle(qs(SetupFloatingClerks::kTitle));
    auto* form = new QFormLayout;
    for (const auto& f : SetupFloatingClerks::fields()) {
        auto* e = new QLineEdit(qs(controller_.text(f.field)), this);
        makeDigitsOnly(e, 3);
        edits_[static_cast<std::size_t>(f.field)] = e;
        form->addRow(labelText(messages_, f.label), e);
        connect(e, &QLineEdit::editingFinished, this, [this, field = f.field] { fieldLeft(field); });
    }
    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, &TSetupFloatingClerks::BitBtn1Click);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

void TSetupFloatingClerks::fieldLeft(SetupFloatingClerks::Field f) {
    auto* e = edit(f);
    if (controller_.acceptsText(f, e->text().toStdString())) return;
    showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
    e->setText(QStringLiteral("0"));
}

void TSetupFloatingClerks::BitBtn1Click() {
    std::array<std::string, 3> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = edits_[i]->text().toStdString();
    switch (controller_.store(texts)) {
        case SetupFloatingClerks::Outcome::WrongInput:
            showMessage(this, MessageKind::Error, messages_.errorTitle, messages_.wrongInput);
            return;
        case SetupFloatingClerks::Outcome::NeedsTransactionSize: {
            showMessage(this, MessageKind::Error, messages_.errorTitle,
                        qs(SetupFloatingClerks::transactionSizeError()));
            auto* e = edit(SetupFloatingClerks::Field::MaxTransactionSize);
            e->setFocus();
            e->selectAll();
            return;
        }
        case SetupFloatingClerks::Outcome::Stored: break;
    }
    confirmed_ = true;
    accept();
}

// ---------------------------------------------------------------- logo

TSetupGraphLogo::TSetupGraphLogo(ApplicationBlock& app, const QString& title, QWidget* parent)
    : QDialog(parent), controller_(app) {
    setWindowTitle(title);
    ComboBox1 = new QComboBox(this);
    for (auto item : SetupGraphLogo::sizeItems()) ComboBox1->addItem(qs(item));
    ComboBox1->setCurrentIndex(controller_.sizeIndex());
    ComboBox2 = new QComboBox(this);
    for (auto item : SetupGraphLogo::densityItems()) ComboBox2->addItem(qs(item));
    ComboBox2->setCurrentIndex(controller_.densityIndex());
    auto* form = new QFormLayout;
    form->addRow(qs(SetupGraphLogo::kSizeLabel), ComboBox1);
    form->addRow(qs(SetupGraphLogo::kDensityLabel), ComboBox2);
    BitBtn1 = okButton(this);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        controller_.store(ComboBox1->currentIndex(), ComboBox2->currentIndex());
        confirmed_ = true;
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
}

}  // namespace tramond::ui
