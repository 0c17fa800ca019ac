#include "editors/ui/customer_dialog.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editors/ui/record_editor_dialog.h"

namespace tramond::ui {

namespace {
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Two radio buttons of one choice, in a column.
std::pair<QRadioButton*, QRadioButton*> choice(QWidget* parent, QVBoxLayout* column, const char* first,
                                               const char* second, const char* name1, const char* name2) {
    auto* group = new QButtonGroup(parent);
    auto* a = new QRadioButton(first, parent);
    auto* b = new QRadioButton(second, parent);
    a->setObjectName(name1);
    b->setObjectName(name2);
    group->addButton(a);
    group->addButton(b);
    column->addWidget(a);
    column->addWidget(b);
    return {a, b};
}
}  // namespace

TEditCustManagment::TEditCustManagment(ProgramSession& session, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent),
      prompts_(this),
      controller_(std::make_unique<CustomerEditorController>(session, texts, prompts_)) {
    setObjectName("TEditCustManagment");
    setWindowTitle("Customer Managment");
    auto* top = new QHBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->setMinimumWidth(260);
    top->addWidget(list_, 1);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    number_ = new QLineEdit(this);
    number_->setObjectName("Edit1");
    number_->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,5}"), number_));
    form->addRow("Customer Number", number_);
    discount_ = new QLineEdit(this);
    discount_->setObjectName("Edit2");
    discount_->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,3}"), discount_));
    discount_->installEventFilter(this);
    form->addRow("Fixed Discount: 12345678", discount_);
    right->addLayout(form);

    auto* options = new QGroupBox("Options", this);
    auto* columns = new QHBoxLayout(options);
    auto* left = new QVBoxLayout;
    auto* rightColumn = new QVBoxLayout;
    std::tie(tax1_, tax2_) = choice(options, left, "Tax&1 used", "Tax&2 used", "RadioButton1", "RadioButton2");
    std::tie(credit_, restaurant_) =
        choice(options, rightColumn, "Cr&edit Invoice", "&Restaurant ticket used", "RadioButton3", "RadioButton4");
    columns->addLayout(left);
    columns->addLayout(rightColumn);
    right->addWidget(options);

    grid_ = new QTableWidget(static_cast<int>(customer::kLines), 1, this);
    grid_->setObjectName("StringGrid1");
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setFont(QFont("Monospace"));
    for (int r = 0; r < grid_->rowCount(); ++r) grid_->setItem(r, 0, new QTableWidgetItem);
    grid_->setMinimumHeight(grid_->rowHeight(0) * grid_->rowCount() + 4);
    right->addWidget(grid_);

    auto* buttons = new QHBoxLayout;
    auto* next = new QPushButton("&Next", this);
    next->setObjectName("Button1");
    next->setAutoDefault(false);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("BitBtn1");
    ok->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(next);
    buttons->addWidget(ok);
    right->addLayout(buttons);
    top->addLayout(right);

    connect(number_, &QLineEdit::returnPressed, this, [this] {
        collect();
        if (controller_->enterNumber()) refresh();
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (updating_ || row < 0) return;
        collect();
        controller_->selectLine(row);
        refresh();
    });
    connect(next, &QPushButton::clicked, this, [this] {
        collect();
        controller_->next();
        refresh();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        collect();
        controller_->ok();
        accept();
    });
    placeBesideMainWindow(this, parent);
}

TEditCustManagment::~TEditCustManagment() = default;

bool TEditCustManagment::activate() {
    const bool ok = controller_->activate();
    updating_ = true;
    list_->clear();
    for (const auto& line : controller_->lines()) list_->addItem(qs(line));
    updating_ = false;
    refresh();
    return ok;
}

void TEditCustManagment::collect() {
    auto& c = *controller_;
    c.numberText = number_->text().toStdString();
    c.discountText = discount_->text().toStdString();
    c.tax2 = tax2_->isChecked();
    c.restaurant = restaurant_->isChecked();
    for (int r = 0; r < grid_->rowCount(); ++r)
        c.textLines[static_cast<std::size_t>(r)] = grid_->item(r, 0)->text().toStdString();
}

void TEditCustManagment::refresh() {
    updating_ = true;
    const auto& c = *controller_;
    const auto& lines = c.lines();
    for (int i = 0; i < list_->count() && i < static_cast<int>(lines.size()); ++i)
        list_->item(i)->setText(qs(lines[static_cast<std::size_t>(i)]));
    list_->setCurrentRow(c.currentIndex());
    number_->setText(qs(c.numberText));
    discount_->setText(qs(c.discountText));
    (c.tax2 ? tax2_ : tax1_)->setChecked(true);
    (c.restaurant ? restaurant_ : credit_)->setChecked(true);
    for (int r = 0; r < grid_->rowCount(); ++r)
        grid_->item(r, 0)->setText(qs(c.textLines[static_cast<std::size_t>(r)]));
    updating_ = false;
}

bool TEditCustManagment::eventFilter(QObject* watched, QEvent* event) {
    if (watched == discount_ && event->type() == QEvent::KeyRelease) {
        controller_->discountText = discount_->text().toStdString();
        if (!controller_->discountKeyReleased()) discount_->setText(qs(controller_->discountText));
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tramond::ui
