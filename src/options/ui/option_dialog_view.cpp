#include "options/ui/option_dialog_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "program/ui/message_box.h"

namespace tramond::ui {

namespace {

constexpr int kNoProgramLoaded = 392;
constexpr int kCheckBoxColumns = 2;

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

OptionDialogView::OptionDialogView(OptionDialog& controller, QWidget* mainWindow)
    : QDialog(mainWindow), controller_(controller) {
    setObjectName(QString::fromUtf8(controller.table().name.data(),
                                    static_cast<int>(controller.table().name.size())));
    setWindowTitle(qs(controller.caption()));
    build();
    refresh();
    if (mainWindow) {
        const QRect frame = mainWindow->frameGeometry();
        const auto pos = placeDialog(frame.left(), frame.top());
        move(pos.left, pos.top);
    }
}

QWidget* OptionDialogView::widget(std::string_view name) const {
    auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

void OptionDialogView::build() {
    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);

    int checkRow = 0;
    int checkColumn = 0;
    std::vector<std::size_t> others;
    for (std::size_t i = 0; i < controller_.size(); ++i) {
        const auto& c = controller_.row(i);
        const std::string name(c.name);
        if (c.kind != ControlKind::CheckBox) {
            others.push_back(i);
            continue;
        }
        auto* box = new QCheckBox(panel);
        box->setObjectName(qs(name));
        connect(box, &QCheckBox::toggled, this, [this, name](bool on) {
            if (syncing_) return;
            controller_.setChecked(name, on);
            refresh();
            showPosted();
        });
        widgets_[name] = box;
        grid->addWidget(box, checkRow, checkColumn * 2, 1, 2);
        if (++checkColumn == kCheckBoxColumns) {
            checkColumn = 0;
            ++checkRow;
        }
    }
    int row = checkRow + (checkColumn ? 1 : 0);
    int column = 0;
    for (auto i : others) {
        const auto& c = controller_.row(i);
        const std::string name(c.name);
        QLabel* label = nullptr;
        if (!c.labelName.empty() || c.kind == ControlKind::Label) {
            label = new QLabel(panel);
            const std::string labelName(c.labelName.empty() ? c.name : c.labelName);
            label->setObjectName(qs(labelName));
            widgets_[labelName] = label;
        }
        QWidget* w = nullptr;
        if (c.kind == ControlKind::List) {
            auto* combo = new QComboBox(panel);
            connect(combo, qOverload<int>(&QComboBox::activated), this, [this, name](int item) {
                if (syncing_) return;
                controller_.select(name, item);
                refresh();
                showPosted();
            });
            w = combo;
        } else if (c.kind == ControlKind::NumberBox) {
            auto* edit = new QLineEdit(panel);
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
            if (c.maxLength > 0) edit->setMaxLength(c.maxLength);
            connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
                if (syncing_) return;
                if (!controller_.setText(name, text.toStdString())) refresh();
                showPosted();
            });
            edit->installEventFilter(this);
            numberBoxes_[edit] = i;
            w = edit;
        }
        if (w) {
            w->setObjectName(qs(name));
            widgets_[name] = w;
        }
        const int col = column * 2;
        if (label && w) {
            grid->addWidget(label, row, col);
            grid->addWidget(w, row, col + 1);
        } else if (label) {
            grid->addWidget(label, row, col, 1, 2);
        }
        if (++column == kCheckBoxColumns) {
            column = 0;
            ++row;
        }
    }

    ok_ = new QPushButton(tr("OK"), this);
    ok_->setObjectName("BitBtn1");
    ok_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &OptionDialogView::okClicked);

    column_ = new QVBoxLayout(this);
    column_->addWidget(panel);
    column_->addWidget(ok_, 0, Qt::AlignHCenter);
}

void OptionDialogView::refresh() {
    syncing_ = true;
    for (std::size_t i = 0; i < controller_.size(); ++i) {
        const auto& c = controller_.row(i);
        const auto& s = controller_.state(i);
        QWidget* label = c.labelName.empty() ? nullptr : widget(c.labelName);
        QWidget* w = widget(c.name);
        if (label) {
            label->setToolTip(qs(s.hint));
            static_cast<QLabel*>(label)->setText(qs(s.caption));
            label->setVisible(s.visible);
            label->setEnabled(s.enabled);
        }
        if (!w) continue;
        w->setVisible(s.visible);
        w->setEnabled(s.enabled);
        w->setToolTip(qs(s.hint));
        switch (c.kind) {
            case ControlKind::CheckBox: {
                auto* box = static_cast<QCheckBox*>(w);
                box->setText(qs(s.caption));
                box->setChecked(s.value != 0);
                break;
            }
            case ControlKind::List: {
                auto* combo = static_cast<QComboBox*>(w);
                QStringList items;
                for (const auto& item : s.items) items << qs(item);
                QStringList current;
                for (int k = 0; k < combo->count(); ++k) current << combo->itemText(k);
                if (current != items) {
                    combo->clear();
                    combo->addItems(items);
                }
                combo->setCurrentIndex(s.value);
                break;
            }
            case ControlKind::NumberBox: {
                auto* edit = static_cast<QLineEdit*>(w);
                if (edit->text() != qs(s.text)) edit->setText(qs(s.text));
                break;
            }
            case ControlKind::Label: static_cast<QLabel*>(w)->setText(qs(s.caption)); break;
        }
    }
    syncing_ = false;
}

bool OptionDialogView::eventFilter(QObject* watched, QEvent* event) {
    // Switching to another window is not leaving the box.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        auto it = numberBoxes_.find(watched);
        if (it != numberBoxes_.end()) {
            auto message = controller_.leave(controller_.row(it->second).name);
            refresh();
            present(message);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OptionDialogView::present(const std::optional<Message>& message) {
    if (message) presentMessage(this, *message);
}

void OptionDialogView::showPosted() {
    for (auto& m : controller_.takeMessages()) present(m);
}

void OptionDialogView::reject() {
    controller_.cancel();
    QDialog::reject();
}

void OptionDialogView::okClicked() {
    auto result = controller_.ok();
    refresh();
    present(result.message);
    showPosted();
    if (result.close) accept();
}

void presentMessage(QWidget* dialog, const Message& message) {
    MessageKind kind = MessageKind::Error;
    if (message.kind == Message::Kind::Information) kind = MessageKind::Information;
    if (message.kind == Message::Kind::Warning) kind = MessageKind::Warning;
    showMessage(dialog, kind, qs(message.title), qs(message.text));
    if (message.focus.empty()) return;
    if (auto* w = dialog->findChild<QWidget*>(qs(message.focus))) {
        w->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
    }
}

bool programLoaded(AppContext& context) {
    if (context.session.loaded) return true;
    const auto& t = context.texts.text(kNoProgramLoaded);
    showMessage(context.mainWindow, MessageKind::Warning, "Warning",
                qs(t.empty() ? std::string("No Program Loaded !") : t));
    return false;
}

void runOptionDialog(AppContext& context, const OptionDialogTable& table) {
    if (!programLoaded(context)) return;
    OptionDialog controller(table, context.session, context.texts);
    controller.sessionChanged = context.refresh;
    OptionDialogView view(controller, context.mainWindow);
    view.showPosted();
    view.exec();
    if (context.refresh) context.refresh();
}

}  // namespace tramond::ui
