#include "keyboard/ui/condiment_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "options/ui/enter_a_number_dialog.h"
#include "program/ui/setup_ui_common.h"

namespace tramond {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QTableWidget* grid(QWidget* parent, const QStringList& headers) {
    auto* g = new QTableWidget(0, 2, parent);
    g->setHorizontalHeaderLabels(headers);
    g->verticalHeader()->setVisible(false);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->horizontalHeader()->setStretchLastSection(true);
    g->setColumnWidth(0, 115);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    g->setMinimumSize(280, 360);
    return g;
}

void setRow(QTableWidget* g, int row, const std::string& a, const std::string& b) {
    g->setItem(row, 0, new QTableWidgetItem(qs(a)));
    g->setItem(row, 1, new QTableWidgetItem(qs(b)));
}

}  // namespace

TEditCondiment::TEditCondiment(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context), prompter_(this) {
    setWindowTitle(QStringLiteral("Condiment File"));
    names_ = std::make_unique<ProgramKeyNames>(context.session.programPath, context.session.app);
    editor_ = std::make_unique<CondimentEditor>(context.session, context.texts, *names_, prompter_);
    chooser_ = std::make_unique<KeyFunctionChooser>(context.session.app, context.texts, *names_);

    StringGrid1 = grid(this, {QStringLiteral("Number"), QStringLiteral("Name")});
    StringGrid2 = grid(this, {QStringLiteral("Record Number"), QString()});
    StringGrid2->horizontalHeader()->setVisible(false);  // its first row is the header, with the editable name
    StringGrid2->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    StringGrid3 = grid(this, {QStringLiteral("Record Number"), QStringLiteral("PLU Name")});
    Edit1 = new QLineEdit(this);
    ui::makeDigitsOnly(Edit1, 3);
    SpeedButton1 = new QPushButton(QStringLiteral("<---"), this);
    Button1 = new QPushButton(QStringLiteral("&Delete"), this);
    BDeleteAll = new QPushButton(QStringLiteral("Delete &all"), this);
    CBOptionL1 = new QCheckBox(QStringLiteral("&Multiple Choices from the list Y/N"), this);
    CBOptionL2 = new QCheckBox(QStringLiteral("M&ultiply Y/N"), this);
    CBOptionL3 = new QCheckBox(QStringLiteral("&Exit from the list allowed"), this);
    CBOptionL5 = new QCheckBox(QStringLiteral("Condiment Table used as &macro"), this);
    GroupBox1 = new QGroupBox(QStringLiteral("Chose function: "), this);
    ListBox1 = new QListWidget(GroupBox1);
    ListBox2 = new QListWidget(GroupBox1);
    for (const auto& g : chooser_->groups()) ListBox1->addItem(qs(g));
    auto* gl = new QVBoxLayout(GroupBox1);
    gl->addWidget(ListBox1, 1);
    gl->addWidget(ListBox2, 2);
    GroupBox1->setMinimumSize(280, 360);
    Button2 = new QPushButton(QStringLiteral("OK"), this);
    for (auto* b : {SpeedButton1, Button1, BDeleteAll, Button2}) b->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Name of Condiment Table"), this));
    left->addWidget(StringGrid1);
    auto* middle = new QVBoxLayout;
    middle->addWidget(new QLabel(QStringLiteral("Content of Choosen Table"), this));
    middle->addWidget(StringGrid2);
    auto* linkRow = new QHBoxLayout;
    auto* linkLabel = new QLabel(QStringLiteral("Condiment Table &Link"), this);
    linkLabel->setBuddy(Edit1);
    linkRow->addWidget(linkLabel);
    linkRow->addWidget(Edit1);
    middle->addLayout(linkRow);
    auto* deletes = new QHBoxLayout;
    deletes->addWidget(Button1);
    deletes->addWidget(BDeleteAll);
    middle->addLayout(deletes);
    for (auto* c : {CBOptionL1, CBOptionL2, CBOptionL3, CBOptionL5}) middle->addWidget(c);
    auto* arrow = new QVBoxLayout;
    arrow->addStretch();
    arrow->addWidget(SpeedButton1);
    arrow->addStretch();
    auto* right = new QVBoxLayout;
    PluLabel = new QLabel(QStringLiteral("List of Condiment PLU's"), this);
    right->addWidget(PluLabel);
    right->addWidget(StringGrid3);
    right->addWidget(GroupBox1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(arrow);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(Button2, 0, Qt::AlignRight);

    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { StringGrid1SelectCell(row); });
    connect(SpeedButton1, &QPushButton::clicked, this, &TEditCondiment::SpeedButton1Click);
    connect(Button1, &QPushButton::clicked, this, [this] {
        takeControls();
        editor_->deleteRow(StringGrid2->currentRow() - 1);
        showTable();
    });
    connect(BDeleteAll, &QPushButton::clicked, this, [this] {
        takeControls();
        editor_->deleteAll();
        showTable();
    });
    connect(CBOptionL5, &QCheckBox::clicked, this, [this](bool on) {
        takeControls();
        editor_->setMacro(on);
        showTable();
    });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int g) {
        ListBox2->clear();
        const auto e = chooser_->entries(g);
        if (e.message) prompter_.message(MessageKind::Warning, e.message->title, e.message->text);
        for (const auto& l : e.lines) ListBox2->addItem(qs(l));
    });
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);

    editor_->activate();
    StringGrid1->setRowCount(static_cast<int>(editor_->tables().size()));
    for (std::size_t i = 0; i < editor_->tables().size(); ++i)
        setRow(StringGrid1, static_cast<int>(i), std::to_string(editor_->tables()[i].number), editor_->tables()[i].name);
    StringGrid3->setRowCount(static_cast<int>(editor_->condimentPlus().size()));
    for (std::size_t i = 0; i < editor_->condimentPlus().size(); ++i)
        setRow(StringGrid3, static_cast<int>(i), std::to_string(editor_->condimentPlus()[i].number),
               editor_->condimentPlus()[i].name);
    if (StringGrid1->rowCount() > 0) StringGrid1->selectRow(0);
    showTable();
}

void TEditCondiment::showTable() {
    StringGrid2->setRowCount(static_cast<int>(editor_->rows.size()) + 1);
    auto* head = new QTableWidgetItem(QStringLiteral("Record Number"));
    head->setFlags(Qt::ItemIsEnabled);
    head->setBackground(palette().button());
    QFont bold = head->font();
    bold.setBold(true);
    head->setFont(bold);
    StringGrid2->setItem(0, 0, head);
    auto* name = new QTableWidgetItem(qs(editor_->name));
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    StringGrid2->setItem(0, 1, name);
    for (std::size_t i = 0; i < editor_->rows.size(); ++i) {
        setRow(StringGrid2, static_cast<int>(i) + 1, editor_->rows[i].value, editor_->rows[i].name);
        for (int c = 0; c < 2; ++c) StringGrid2->item(static_cast<int>(i) + 1, c)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    Edit1->setText(qs(editor_->link));
    QCheckBox* boxes[] = {CBOptionL1, CBOptionL2, CBOptionL3, CBOptionL5};
    for (std::size_t i = 0; i < 4; ++i) boxes[i]->setChecked(editor_->options[i]);
    showMode();
}

void TEditCondiment::showMode() {
    StringGrid3->setVisible(!editor_->macro());
    PluLabel->setVisible(!editor_->macro());
    GroupBox1->setVisible(editor_->macro());
}

// The controls into the editor before it stores or changes rows.
void TEditCondiment::takeControls() {
    if (auto* name = StringGrid2->item(0, 1)) editor_->name = name->text().toStdString();
    editor_->link = Edit1->text().toStdString();
    QCheckBox* boxes[] = {CBOptionL1, CBOptionL2, CBOptionL3, CBOptionL5};
    for (std::size_t i = 0; i < 4; ++i) editor_->options[i] = boxes[i]->isChecked();
}

void TEditCondiment::StringGrid1SelectCell(int row) {
    takeControls();
    if (!editor_->chooseTable(row + 1)) {
        StringGrid1->selectRow(editor_->current() - 1);
        return;
    }
    for (std::size_t i = 0; i < editor_->tables().size(); ++i)
        StringGrid1->item(static_cast<int>(i), 1)->setText(qs(editor_->tables()[i].name));
    showTable();
}

void TEditCondiment::SpeedButton1Click() {
    takeControls();
    if (!editor_->macro()) {
        editor_->addPlu(StringGrid3->currentRow());
    } else {
        const int group = ListBox1->currentRow(), entry = ListBox2->currentRow();
        auto choice = chooser_->choose(group, entry);
        if (choice.levelMaximum > 0) {
            EnterANumber ask(withoutAccelerators(context_.texts.text(169)),
                             withoutAccelerators(context_.texts.text(435)), "", choice.levelMaximum);
            const auto level = ui::TEnterANumber::ask(ask, ui::inputMessages(context_.texts), this);
            if (level) choice.code = chooser_->codeWithLevel(entry, static_cast<int>(*level));
        }
        if (choice.code) editor_->addFunction(*choice.code);
    }
    showTable();
}

void TEditCondiment::done(int result) {
    takeControls();
    if (!editor_->store()) return;  // the message said why; the dialog stays
    QDialog::done(result);
}

void TEditCondiment::closeEvent(QCloseEvent* event) {
    takeControls();
    if (!editor_->store()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace tramond
