#include "editors/ui/record_editor_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/dialog_conventions.h"
#include "editors/ui/print_options_dialog.h"
#include "program/codepage.h"

namespace tramond::ui {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

void placeBesideMainWindow(QWidget* dialog, QWidget* mainWindow) {
    if (!mainWindow) return;
    const auto frame = mainWindow->frameGeometry();
    dialog->move(frame.left(), frame.top() + 45);
}

void keepToCodePage(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const auto utf8 = text.toStdString();
        const auto kept = QString::fromStdString(oemToUtf8(utf8ToOem(utf8)));
        if (kept != text) {
            const int cursor = edit->cursorPosition();
            edit->setText(kept);
            edit->setCursorPosition(std::min(cursor, static_cast<int>(kept.size())));
            emit edit->textEdited(kept);
        }
    });
}

RecordEditorDialog::RecordEditorDialog(const RecordEditorLayout& layout, ProgramSession& session,
                                       const LanguageTexts& texts, QWidget* parent, HandlerLookup handlers)
    : QDialog(parent),
      texts_(texts),
      handlers_(std::move(handlers)),
      prompts_(this),
      controller_(std::make_unique<RecordEditorController>(layout, session, texts, prompts_)) {
    setObjectName(QString::fromUtf8(layout.className.data(), static_cast<int>(layout.className.size())));
    setWindowTitle(qs(withoutAccelerator(resolveCaption(texts, layout.title).label)).trimmed());
    build();
    placeBesideMainWindow(this, parent);
}

RecordEditorDialog::~RecordEditorDialog() = default;

void RecordEditorDialog::build() {
    const auto& layout = controller_->layout();
    auto* top = new QHBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->installEventFilter(this);
    top->addWidget(list_, 1);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    number_ = new QLineEdit(this);
    number_->setObjectName("Edit2");
    number_->setMaxLength(layout.numberDigits);
    number_->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d*"), number_));
    form->addRow(qs("Number"), number_);
    descriptor_ = new QLineEdit(this);
    descriptor_->setObjectName("Edit1");
    keepToCodePage(descriptor_);
    form->addRow(qs("Name :"), descriptor_);

    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const auto& f = layout.fields[i];
        const auto caption = resolveCaption(texts_, f.caption);
        QWidget* w = nullptr;
        switch (f.control) {
            case FieldControl::CheckBox: {
                auto* box = new QCheckBox(qs(caption.label), this);
                connect(box, &QCheckBox::clicked, this, [this, i](bool on) { controller_->field(i).checked = on; });
                box->setEnabled((f.alwaysEnabled || caption.enabled) && controller_->fieldAllowedByCount(i));
                box->setVisible(f.alwaysEnabled || caption.visible);
                form->addRow(box);
                w = box;
                break;
            }
            case FieldControl::ComboBox: {
                auto* box = new QComboBox(this);
                connect(box, &QComboBox::activated, this, [this, i](int index) {
                    if (updating_) return;
                    controller_->field(i).index = index;
                    refreshCaptions();
                });
                form->addRow(qs(withoutAccelerator(caption.label)), box);
                w = box;
                break;
            }
            case FieldControl::NumberEdit:
            case FieldControl::TextEdit: {
                auto* edit = new QLineEdit(this);
                if (f.control == FieldControl::NumberEdit)
                    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d*"), edit));
                else
                    keepToCodePage(edit);
                if (const int digits = controller_->fieldMaxDigits(i); digits > 0) edit->setMaxLength(digits);
                connect(edit, &QLineEdit::textEdited, this,
                        [this, i](const QString& t) { controller_->field(i).text = t.toStdString(); });
                connect(edit, &QLineEdit::returnPressed, this, [this, i, edit] {
                    const bool accepted = controller_->enterInNumberField(i);
                    refresh();
                    if (accepted) focusNext(edit);
                });
                form->addRow(qs(withoutAccelerator(caption.label)), edit);
                w = edit;
                break;
            }
        }
        w->setObjectName(QString::fromUtf8(f.name.data(), static_cast<int>(f.name.size())));
        w->installEventFilter(this);
        fields_.push_back(w);
        captionEnabled_.push_back(f.alwaysEnabled || caption.enabled);
    }
    right->addLayout(form);
    right->addStretch();
    auto* extra = new QHBoxLayout;
    buildButtons(extra);
    right->addLayout(extra);
    auto* buttons = new QHBoxLayout;
    next_ = new QPushButton(qs("&Next"), this);
    next_->setObjectName("Button1");
    next_->setAutoDefault(false);
    ok_ = new QPushButton(qs("OK"), this);
    ok_->setObjectName("BitBtn1");
    ok_->setAutoDefault(false);
    buttons->addWidget(next_);
    buttons->addWidget(ok_);
    right->addLayout(buttons);
    top->addLayout(right);

    connect(descriptor_, &QLineEdit::textEdited, this,
            [this](const QString& t) { controller_->descriptor = t.toStdString(); });
    connect(descriptor_, &QLineEdit::returnPressed, this, [this] {
        controller_->enterDescriptor();
        refresh();
        focusNext(descriptor_);
    });
    connect(number_, &QLineEdit::textEdited, this,
            [this](const QString& t) { controller_->numberText = t.toStdString(); });
    connect(number_, &QLineEdit::returnPressed, this, [this] {
        const bool ok = controller_->enterNumber();
        refresh();
        if (ok) focusNext(number_);
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
    connect(ok_, &QPushButton::clicked, this, &RecordEditorDialog::onOk);
}

bool RecordEditorDialog::activate(std::optional<int> startIndex) {
    const bool ok = controller_->activate(startIndex);
    descriptor_->setMaxLength(std::max(1, controller_->descriptorMaxLength()));
    showWholeContent(descriptor_, descriptor_->maxLength(), false);
    updating_ = true;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (auto* box = qobject_cast<QComboBox*>(fields_[i])) {
            box->clear();
            for (const auto& item : controller_->lookupItems(i)) box->addItem(qs(item));
        }
    }
    list_->clear();
    for (const auto& line : controller_->lines()) list_->addItem(qs(line));
    // Whole lines beside the scroll bar, at any scale of the screen.
    list_->setMinimumWidth(list_->sizeHintForColumn(0) + 2 * list_->frameWidth() +
                           list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
    updating_ = false;
    refresh();
    return ok;
}

void RecordEditorDialog::refresh() {
    updating_ = true;
    const auto& c = *controller_;
    const auto& lines = c.lines();
    for (int i = 0; i < list_->count() && i < static_cast<int>(lines.size()); ++i)
        if (list_->item(i)->text() != qs(lines[static_cast<std::size_t>(i)]))
            list_->item(i)->setText(qs(lines[static_cast<std::size_t>(i)]));
    list_->setCurrentRow(c.currentIndex());
    number_->setText(qs(c.numberText));
    descriptor_->setText(qs(c.descriptor));
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const auto& v = c.field(i);
        if (auto* box = qobject_cast<QCheckBox*>(fields_[i])) {
            box->setChecked(v.checked);
        } else if (auto* combo = qobject_cast<QComboBox*>(fields_[i])) {
            // A value the list cannot show stays in the record as read.
            combo->setCurrentIndex(v.index >= 0 && v.index < combo->count() ? v.index : -1);
        } else if (auto* edit = qobject_cast<QLineEdit*>(fields_[i])) {
            if (edit->maxLength() < static_cast<int>(v.text.size())) edit->setMaxLength(static_cast<int>(v.text.size()));
            edit->setText(qs(v.text));
        }
    }
    refreshCaptions();
    updating_ = false;
}

void RecordEditorDialog::focusNext(QWidget* from) {
    from->nextInFocusChain()->setFocus(Qt::TabFocusReason);
}

bool RecordEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (watched == list_) {
                controller_->enterInList(list_->currentRow());
                refresh();
                focusNext(list_);
                return true;
            }
            if (qobject_cast<QCheckBox*>(watched) || qobject_cast<QComboBox*>(watched)) {
                focusNext(w);
                return true;
            }
        }
    }
    if (event->type() == QEvent::KeyRelease) {
        const auto it = std::find(fields_.begin(), fields_.end(), watched);
        if (it != fields_.end()) {
            const auto i = static_cast<std::size_t>(it - fields_.begin());
            if (controller_->layout().fields[i].check == FieldCheck::DigitsOnKey && !controller_->keyReleasedInField(i))
                refresh();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RecordEditorDialog::buildButtons(QBoxLayout* row) {
    const auto& layout = controller_->layout();
    if (layout.printOptions) {
        const auto caption = resolveCaption(texts_, {-1, "&Print Options"});
        auto* button = new QPushButton(qs(caption.label), this);
        button->setObjectName("PrintOptions");
        button->setAutoDefault(false);
        button->setEnabled(layout.printOptionsAlwaysEnabled || caption.enabled);
        button->setVisible(layout.printOptionsAlwaysEnabled || caption.visible);
        connect(button, &QPushButton::clicked, this, [this] {
            if (controller_->currentIndex() < 0) return;
            controller_->setPrintOptionByte(editPrintOptions(controller_->printOptionByte(), texts_, this));
        });
        row->addWidget(button);
    }
    for (const auto& b : layout.buttons) {
        const auto caption = resolveCaption(texts_, b.caption);
        auto* button = new QPushButton(qs(caption.label), this);
        button->setObjectName(QString::fromUtf8(b.objectName.data(), static_cast<int>(b.objectName.size())));
        button->setAutoDefault(false);
        button->setVisible(caption.visible);
        // A dialog that is not part of this build leaves its button disabled.
        auto action = handlers_ ? handlers_(b.handler) : std::function<void()>{};
        button->setEnabled(caption.enabled && static_cast<bool>(action));
        if (action) connect(button, &QPushButton::clicked, this, [action] { action(); });
        row->addWidget(button);
    }
    row->addStretch();
}

void RecordEditorDialog::refreshCaptions() {
    const auto& layout = controller_->layout();
    if (!layout.recaption) return;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const auto caption = controller_->currentCaption(i);
        auto* box = qobject_cast<QCheckBox*>(fields_[i]);
        if (!caption || !box) continue;
        const bool hidden = controller_->fieldHidden(i);
        const auto resolved = hidden ? ResolvedCaption{"", false, false} : resolveCaption(texts_, *caption);
        box->setText(qs(resolved.label));
        box->setVisible(resolved.visible);
        box->setEnabled(resolved.enabled && controller_->fieldAllowedByCount(i));
    }
}

void RecordEditorDialog::onOk() {
    controller_->ok();
    controller_->close();
    accept();
}

void RecordEditorDialog::closeEvent(QCloseEvent* event) {
    controller_->close();
    QDialog::closeEvent(event);
}

void RecordEditorDialog::reject() {
    controller_->close();
    QDialog::reject();
}

}  // namespace tramond::ui
