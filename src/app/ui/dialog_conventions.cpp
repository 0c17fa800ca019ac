#include "app/ui/dialog_conventions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QProgressDialog>
#include <QTimer>
#include <QVBoxLayout>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "app/accelerators.h"

namespace tramond {
namespace {

// One caption of a dialog: how to read and how to write it back.
struct Caption {
    std::function<QString()> get;
    std::function<void(const QString&)> set;
};

void repair(std::vector<Caption>& captions, const AcceleratorRules& rules) {
    std::vector<std::string> texts;
    texts.reserve(captions.size());
    for (const auto& c : captions) texts.push_back(c.get().toStdString());
    const auto fixed = uniqueAccelerators(texts, rules);
    for (std::size_t i = 0; i < captions.size(); ++i)
        if (fixed[i] != texts[i]) captions[i].set(QString::fromStdString(fixed[i]));
}

// Visible to the user, not merely to its parent: a hidden page or a
// hidden box takes no Alt letter.
bool shown(const QWidget* w, const QWidget* top) { return w->isVisibleTo(top); }

}  // namespace

int wholeContentWidth(const QLineEdit* edit, int chars, bool digits) {
    // A wide capital stands for a name's letters; the frame and the text
    // margins of the style come on top.
    const QString sample(chars, digits ? QChar('0') : QChar('N'));
    const QMargins m = edit->textMargins();
    return edit->fontMetrics().horizontalAdvance(sample) + m.left() + m.right() + 2 * 2 + 2 * 4;
}

void showWholeContent(QLineEdit* edit, int chars, bool digits) {
    edit->setMinimumWidth(std::max(edit->minimumWidth(), wholeContentWidth(edit, chars, digits)));
}

bool drawsMnemonics(const QAbstractButton* b) {
    // Qt's own buttons draw "&x" as an underlined x; a button that paints
    // its own text (the keys of a keyboard picture) would show the "&".
    return b->metaObject()->className()[0] == 'Q';
}

void repairDialogAccelerators(QWidget* dialog) {
    if (!dialog) return;
    std::vector<Caption> commands;
    std::vector<Caption> captions;
    for (auto* b : dialog->findChildren<QAbstractButton*>()) {
        // Buttons that Qt labels itself in message boxes and spin boxes
        // carry no text of ours.
        if (!shown(b, dialog) || b->text().isEmpty() || !drawsMnemonics(b)) continue;
        // The commands ("Next", "Delete", "Print Options") come first: the
        // same command keeps its letter in every dialog, and a field's
        // caption gives way where the two clash.
        (qobject_cast<QPushButton*>(b) ? commands : captions)
            .push_back({[b] { return b->text(); }, [b](const QString& t) { b->setText(t); }});
    }
    for (auto* g : dialog->findChildren<QGroupBox*>()) {
        if (!shown(g, dialog) || g->title().isEmpty()) continue;
        captions.push_back({[g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); }});
    }
    for (auto* l : dialog->findChildren<QLabel*>()) {
        if (!shown(l, dialog) || !l->buddy() || l->text().isEmpty()) continue;
        captions.push_back({[l] { return l->text(); }, [l](const QString& t) { l->setText(t); }});
    }
    commands.insert(commands.end(), captions.begin(), captions.end());
    AcceleratorRules rules;
    rules.markUnmarked = false;
    repair(commands, rules);
}

void repairMenuAccelerators(QWidget* menuOrBar) {
    if (!menuOrBar) return;
    std::vector<Caption> captions;
    AcceleratorRules rules;
    for (QAction* a : menuOrBar->actions()) {
        if (a->isSeparator() || !a->isVisible() || a->text().isEmpty()) continue;
        captions.push_back({[a] { return a->text(); }, [a](const QString& t) { a->setText(t); }});
        rules.ownCaption.push_back(a->property(kOwnCaptionProperty).toBool());
    }
    repair(captions, rules);
}

DialogConventions::DialogConventions(QWidget* mainWindow) : mainWindow_(mainWindow) {
    QCoreApplication::instance()->installEventFilter(this);
}

DialogConventions::~DialogConventions() { QCoreApplication::instance()->removeEventFilter(this); }

int titleWidth(const QWidget* dialog) {
    // Window managers draw titles in a bold face, beside an icon and three
    // buttons.
    QFont bold = dialog->font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(dialog->windowTitle()) + kTitleBarButtons;
}

void fitTitle(QWidget* dialog) {
    const int need = titleWidth(dialog);
    if (dialog->width() >= need) return;
    auto* layout = dialog->layout();
    if (auto* column = qobject_cast<QVBoxLayout*>(layout); column && layout->sizeConstraint() == QLayout::SetFixedSize) {
        // A dialog of fixed size keeps it; the strut only widens it.
        const auto m = column->contentsMargins();
        column->addStrut(need - m.left() - m.right());
        column->activate();
    } else {
        dialog->setMinimumWidth(std::max(dialog->minimumWidth(), need));
    }
    if (dialog->width() < need) dialog->resize(need, dialog->height());
}

void fitMessageBoxTitle(QMessageBox* box) {
    // The box sizes itself when shown, from its layout's minimum: a strut
    // across the grid widens it before that.
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (!grid || box->property("tramondTitleFitted").toBool()) return;
    box->setProperty("tramondTitleFitted", true);
    const auto m = grid->contentsMargins();
    grid->addItem(new QSpacerItem(titleWidth(box) - m.left() - m.right(), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QPoint DialogConventions::placeFor() const {
    const QRect frame = mainWindow_->frameGeometry();
    return {frame.left(), frame.top() + kDialogDropPixels};
}

void DialogConventions::placeWhenFramed(QDialog* dialog) {
    // The window manager frames a dialog only after it is shown, and the
    // framing need not move the client area, so no event tells when the
    // frame is known: it is looked for until it is, then put in place once.
    QPointer<QDialog> guard(dialog);
    auto* poll = new QTimer(dialog);
    auto waited = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, dialog, [this, guard, poll, waited] {
        *waited += kFramingPollMilliseconds;
        if (!guard || !mainWindow_ || *waited > kFramingMilliseconds) {
            poll->deleteLater();
            return;
        }
        const QRect frame = guard->frameGeometry();
        if (frame == guard->geometry()) return;  // not framed yet
        if (frame.topLeft() != placeFor()) guard->move(placeFor());
        poll->deleteLater();
    });
    poll->start(kFramingPollMilliseconds);
}

bool DialogConventions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || !dialog->isWindow()) return false;
    // Qt's own boxes place and label themselves; a message box still gets
    // room for its title ("Information" over "USER BREAK!" was cut).
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        fitMessageBoxTitle(box);
        return false;
    }
    if (qobject_cast<QFileDialog*>(dialog) || qobject_cast<QProgressDialog*>(dialog)) return false;
    repairDialogAccelerators(dialog);
    fitTitle(dialog);
    // Placed once, when first shown; a dialog the user moved stays moved.
    if (mainWindow_ && !dialog->property("tramondOwnPlace").toBool() && !dialog->property("tramondPlaced").toBool()) {
        dialog->setProperty("tramondPlaced", true);
        dialog->move(placeFor());
        placeWhenFramed(dialog);
    }
    return false;
}

}  // namespace tramond
