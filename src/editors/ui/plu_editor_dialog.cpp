#include "editors/ui/plu_editor_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/ui/dialog_conventions.h"
#include "editors/ui/plu_copy_dialog.h"
#include "editors/ui/record_editor_dialog.h"

namespace tramond::ui {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QLineEdit* digitsEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d*"), e));
    return e;
}

// "To KP #   &1 :    " and "Taxable # &1 :    " with 1 replaced by n.
QListWidget* numberedChecks(QWidget* parent, const char* name, const QString& first) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    for (int n = 1; n <= 8; ++n) {
        QString text = first;
        text.replace(QChar('1'), QString::number(n));
        auto* item = new QListWidgetItem(text.remove(QChar('&')).trimmed(), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    list->setMaximumHeight(8 * (list->fontMetrics().height() + 4));
    return list;
}
}  // namespace

PluEditorDialog::PluEditorDialog(ProgramSession& session, const LanguageTexts& texts, QWidget* parent,
                                 HandlerLookup handlers)
    : QDialog(parent),
      texts_(texts),
      handlers_(std::move(handlers)),
      prompts_(this),
      controller_(std::make_unique<PluEditorController>(session, texts, prompts_)) {
    setObjectName("TEditPlu");
    setWindowTitle("PLU File");
    build();
    placeBesideMainWindow(this, parent);
}

PluEditorDialog::~PluEditorDialog() = default;

void PluEditorDialog::build() {
    auto* top = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    const auto mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* heads = new QHBoxLayout;
    header1_ = new QLabel(this);
    header2_ = new QLabel(this);
    auto* recordHead = new QLabel("Record Number", this);
    for (auto* l : {header1_, header2_, recordHead}) l->setFont(mono);
    heads->addWidget(header1_);
    heads->addWidget(header2_);
    heads->addStretch();
    heads->addWidget(recordHead);
    left->addLayout(heads);
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->setFont(mono);
    list_->setUniformItemSizes(true);
    list_->installEventFilter(this);
    // The whole line beside the vertical scroll bar, so that no horizontal
    // one is needed at the default size.
    list_->setMinimumWidth(QFontMetrics(mono).horizontalAdvance(QString(PluList::kLineLength + 1, 'W')) +
                           2 * list_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16);
    left->addWidget(list_, 1);
    top->addLayout(left, 1);

    auto* form = new QFormLayout;
    number_ = digitsEdit(this, "Edit2");
    number_->setMaxLength(5);
    numberLabel_ = new QLabel("Number", this);
    form->addRow(numberLabel_, number_);
    code_ = digitsEdit(this, "Edit3");
    codeLabel_ = new QLabel("Random# :", this);
    form->addRow(codeLabel_, code_);
    name_ = new QLineEdit(this);
    name_->setObjectName("Edit1");
    keepToCodePage(name_);
    form->addRow("Name :", name_);
    department_ = new QComboBox(this);
    department_->setObjectName("ComboBox1");
    department_->installEventFilter(this);
    form->addRow("Add in Department", department_);
    for (const auto& e : pluEdits()) {
        const auto i = static_cast<std::size_t>(e.id);
        auto* edit = digitsEdit(this, std::string(e.name).c_str());
        edits_[i] = edit;
        editLabels_[i] = new QLabel(qs(withoutAccelerator(resolveCaption(texts_, e.caption).label)).trimmed(), this);
        form->addRow(editLabels_[i], edit);
        connect(edit, &QLineEdit::textEdited, this,
                [this, i](const QString& t) { controller_->edits[i] = t.toStdString(); });
        connect(edit, &QLineEdit::returnPressed, this, [this, e, edit] {
            controller_->enterEdit(e.id);
            refresh();
            focusNext(edit);
        });
    }

    auto* checksBox = new QGridLayout;
    const auto layouts = pluChecks();
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        const auto caption = resolveCaption(texts_, layouts[i].caption);
        auto* box = new QCheckBox(qs(caption.label).trimmed(), this);
        box->setObjectName(qs(layouts[i].name));
        box->setEnabled(caption.enabled);
        box->setVisible(caption.visible);
        box->installEventFilter(this);
        connect(box, &QCheckBox::clicked, this, [this, i](bool on) {
            if (i == pluCondimentCheck()) {
                controller_->setCondiment(on);
                refresh();
            } else {
                controller_->checks[i] = on;
            }
        });
        checksBox->addWidget(box, static_cast<int>(i % 10), static_cast<int>(i / 10));
        checks_.push_back(box);
    }
    kitchen_ = numberedChecks(this, "CheckListBox1", "To KP #   &1 :    ");
    taxable_ = numberedChecks(this, "CheckListBox2", "Taxable # &1 :    ");
    connect(kitchen_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!updating_) controller_->kitchenPrinters[static_cast<std::size_t>(kitchen_->row(item))] = item->checkState() == Qt::Checked;
    });
    connect(taxable_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!updating_) controller_->taxable[static_cast<std::size_t>(taxable_->row(item))] = item->checkState() == Qt::Checked;
    });
    auto* lists = new QHBoxLayout;
    lists->addWidget(kitchen_);
    lists->addWidget(taxable_);

    next_ = new QPushButton("&Next", this);
    next_->setObjectName("Button1");
    delete_ = new QPushButton("&Delete", this);
    delete_->setObjectName("Button2");
    resort_ = new QPushButton("&Resort", this);
    resort_->setObjectName("Button3");
    // The system options of PLUs and barcodes, as the General menu opens them.
    const auto optionsButton = [this](const char* name, const Caption& caption, std::string_view handler) {
        const auto resolved = resolveCaption(texts_, caption);
        auto* button = new QPushButton(qs(resolved.label).trimmed(), this);
        button->setObjectName(name);
        button->setVisible(resolved.visible);
        const auto action = handlers_ ? handlers_(handler) : std::function<void()>{};
        button->setEnabled(resolved.enabled && static_cast<bool>(action));
        if (action) connect(button, &QPushButton::clicked, this, [action] { action(); });
        return button;
    };
    pluOptions_ = optionsButton("Button4", {676, "PL&U Options"}, "mPLUOptionsClick");
    barcodeOptions_ = optionsButton("Button5", {657, "B&arcode Options"}, "mBarcodeOptionsClick");
    copyRecord_ = new QPushButton("Copy PLU record", this);
    copyRecord_->setObjectName("Button6");
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("BitBtn1");
    auto* buttons = new QGridLayout;
    int n = 0;
    for (auto* b : {next_, delete_, resort_, pluOptions_, barcodeOptions_, copyRecord_, ok_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b, n / 4, n % 4);
        ++n;
    }

    auto* right = new QVBoxLayout;
    auto* upper = new QHBoxLayout;
    upper->addLayout(form);
    upper->addLayout(checksBox);
    right->addLayout(upper);
    right->addLayout(lists);
    right->addLayout(buttons);
    top->addLayout(right);

    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) { controller_->descriptor = t.toStdString(); });
    connect(name_, &QLineEdit::returnPressed, this, [this] {
        controller_->enterName();
        refresh();
        focusNext(name_);
    });
    connect(number_, &QLineEdit::textEdited, this, [this](const QString& t) { controller_->numberText = t.toStdString(); });
    connect(number_, &QLineEdit::returnPressed, this, [this] {
        const bool ok = controller_->enterNumber();
        refresh();
        if (ok) focusNext(number_);
    });
    connect(code_, &QLineEdit::textEdited, this, [this](const QString& t) { controller_->codeText = t.toStdString(); });
    connect(code_, &QLineEdit::editingFinished, this, &PluEditorDialog::onCodeEditLeft);
    connect(department_, &QComboBox::activated, this, [this](int i) {
        if (!updating_) controller_->department = i;
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (updating_ || row < 0) return;
        controller_->selectLine(row);
        refresh();
    });
    connect(next_, &QPushButton::clicked, this, [this] {
        controller_->next();
        refresh();
        focusNext(next_);
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        controller_->deleteCurrent();
        rebuildList();
        refresh();
    });
    connect(resort_, &QPushButton::clicked, this, [this] {
        controller_->resort();
        rebuildList();
        refresh();
    });
    connect(copyRecord_, &QPushButton::clicked, this, [this] {
        if (!controller_->hasRecord()) return;
        TCopyPluRecord dialog(*controller_, texts_, this);
        if (dialog.exec() == QDialog::Accepted && dialog.result().nameCopied) {
            rebuildList();
            refresh();
        }
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        controller_->ok();
        accept();
    });
}

void PluEditorDialog::adaptToHeader() {
    const auto& h = controller_->header();
    const auto show = [this](PluEdit e, bool on) {
        edits_[static_cast<std::size_t>(e)]->setVisible(on);
        editLabels_[static_cast<std::size_t>(e)]->setVisible(on);
    };
    show(PluEdit::Price1, h.priceLevels >= 1);
    show(PluEdit::Price2, h.priceLevels >= 2);
    show(PluEdit::Price3, h.priceLevels >= 3);
    show(PluEdit::Price4, h.priceLevels >= 4);
    show(PluEdit::CostPrice, h.costPrice);
    show(PluEdit::LinkedPlu, h.showsLinkedPlu());
    show(PluEdit::LinkedQuantity, h.showsLinkedPlu());
    show(PluEdit::Tare, h.showsTare());
    show(PluEdit::CondimentLink, h.showsCondimentLink());
    for (const auto& e : pluEdits())
        edits_[static_cast<std::size_t>(e.id)]->setMaxLength(std::max(1, controller_->editMaxLength(e.id)));
    number_->setVisible(!h.codeMode());
    numberLabel_->setVisible(!h.codeMode());
    code_->setVisible(h.codeMode());
    codeLabel_->setVisible(h.codeMode());
    code_->setMaxLength(std::max(1, 2 * h.codeBytes));
    name_->setMaxLength(std::max(1, h.descriptorLength));
    showWholeContent(code_, code_->maxLength(), true);
    showWholeContent(name_, name_->maxLength(), false);
    delete_->setEnabled(h.codeMode());
}

bool PluEditorDialog::activate(std::optional<int> startLine) {
    const bool ok = controller_->activate(startLine);
    adaptToHeader();
    updating_ = true;
    department_->clear();
    for (const auto& d : controller_->departments()) department_->addItem(qs(d));
    updating_ = false;
    rebuildList();
    refresh();
    return ok;
}

void PluEditorDialog::rebuildList() {
    updating_ = true;
    list_->clear();
    const auto& list = controller_->list();
    QStringList lines;
    lines.reserve(static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) lines << qs(list.line(i));
    list_->addItems(lines);
    const auto heads = controller_->headers();
    header1_->setText(qs(heads.first));
    header2_->setText(qs(heads.second));
    header2_->setVisible(!heads.second.empty());
    updating_ = false;
}

void PluEditorDialog::refresh() {
    updating_ = true;
    auto& c = *controller_;
    if (c.hasRecord()) {
        const auto line = static_cast<std::size_t>(c.currentLine());
        const auto text = qs(c.list().line(line));
        if (list_->item(c.currentLine()) && list_->item(c.currentLine())->text() != text)
            list_->item(c.currentLine())->setText(text);
    }
    list_->setCurrentRow(c.currentLine());
    number_->setText(qs(c.numberText));
    code_->setText(qs(c.codeText));
    name_->setText(qs(c.descriptor));
    department_->setCurrentIndex(c.department < department_->count() ? c.department : -1);
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        const auto& t = c.edits[i];
        if (edits_[i]->maxLength() < static_cast<int>(t.size())) edits_[i]->setMaxLength(static_cast<int>(t.size()));
        edits_[i]->setText(qs(t));
    }
    for (std::size_t i = 0; i < checks_.size(); ++i) checks_[i]->setChecked(c.checks[i]);
    for (int n = 0; n < 8; ++n) {
        kitchen_->item(n)->setCheckState(c.kitchenPrinters[static_cast<std::size_t>(n)] ? Qt::Checked : Qt::Unchecked);
        taxable_->item(n)->setCheckState(c.taxable[static_cast<std::size_t>(n)] ? Qt::Checked : Qt::Unchecked);
    }
    const bool links = c.linkFieldsEnabled();
    for (auto e : {PluEdit::LinkedPlu, PluEdit::LinkedQuantity, PluEdit::CondimentLink, PluEdit::Tare})
        edits_[static_cast<std::size_t>(e)]->setEnabled(links);
    updating_ = false;
}

void PluEditorDialog::onCodeEditLeft() {
    // A question box takes the focus away from the edit and would end the
    // editing a second time.
    if (inCodeEdit_ || updating_ || !controller_->header().codeMode()) return;
    inCodeEdit_ = true;
    const auto before = controller_->list().usedCount();
    const auto outcome = controller_->leaveCodeEdit();
    if (controller_->list().usedCount() != before) rebuildList();
    refresh();
    if (outcome == PluEditorController::CodeOutcome::Restored)
        name_->setFocus(Qt::OtherFocusReason);
    else if (code_->hasFocus())  // Enter; Tab has moved the focus already
        focusNext(code_);
    inCodeEdit_ = false;
}

void PluEditorDialog::focusNext(QWidget* from) { from->nextInFocusChain()->setFocus(Qt::TabFocusReason); }

bool PluEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == list_) {
                if (!controller_->header().codeMode()) {
                    controller_->enterInList();
                    refresh();
                }
                focusNext(list_);
                return true;
            }
            if (qobject_cast<QCheckBox*>(watched) || watched == department_) {
                focusNext(static_cast<QWidget*>(watched));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tramond::ui
