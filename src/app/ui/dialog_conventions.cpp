#include "app/ui/dialog_conventions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/accelerators.h"

namespace tramond {
namespace {

// One caption of a dialog: how to read and how to write it back.
struct Caption {
    std::function<QString()> get;
    std::function<void(const QString&)> set;
};

void repair(std::vector<Caption>& captions) {
    std::vector<std::string> texts;
    texts.reserve(captions.size());
    for (const auto& c : captions) texts.push_back(c.get().toStdString());
    const auto fixed = uniqueAccelerators(texts);
    for (std::size_t i = 0; i < captions.size(); ++i)
        if (fixed[i] != texts[i]) captions[i].set(QString::fromStdString(fixed[i]));
}

// Visible to the user, not merely to its parent: a hidden page or a
// hidden box takes no Alt letter.
bool shown(const QWidget* w, const QWidget* top) { return w->isVisibleTo(top); }

}  // namespace

void repairDialogAccelerators(QWidget* dialog) {
    if (!dialog) return;
    std::vector<Caption> captions;
    for (auto* b : dialog->findChildren<QAbstractButton*>()) {
        // Buttons that Qt labels itself in message boxes and spin boxes
        // carry no text of ours.
        if (!shown(b, dialog) || b->text().isEmpty()) continue;
        captions.push_back({[b] { return b->text(); }, [b](const QString& t) { b->setText(t); }});
    }
    for (auto* g : dialog->findChildren<QGroupBox*>()) {
        if (!shown(g, dialog) || g->title().isEmpty()) continue;
        captions.push_back({[g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); }});
    }
    for (auto* l : dialog->findChildren<QLabel*>()) {
        if (!shown(l, dialog) || !l->buddy() || l->text().isEmpty()) continue;
        captions.push_back({[l] { return l->text(); }, [l](const QString& t) { l->setText(t); }});
    }
    repair(captions);
}

void repairMenuAccelerators(QWidget* menuOrBar) {
    if (!menuOrBar) return;
    std::vector<Caption> captions;
    for (QAction* a : menuOrBar->actions()) {
        if (a->isSeparator() || !a->isVisible() || a->text().isEmpty()) continue;
        captions.push_back({[a] { return a->text(); }, [a](const QString& t) { a->setText(t); }});
    }
    repair(captions);
}

DialogConventions::DialogConventions(QWidget* mainWindow) : mainWindow_(mainWindow) {
    QCoreApplication::instance()->installEventFilter(this);
}

DialogConventions::~DialogConventions() { QCoreApplication::instance()->removeEventFilter(this); }

bool DialogConventions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || !dialog->isWindow()) return false;
    // Qt's own boxes place and label themselves.
    if (qobject_cast<QMessageBox*>(dialog) || qobject_cast<QFileDialog*>(dialog) ||
        qobject_cast<QProgressDialog*>(dialog))
        return false;
    repairDialogAccelerators(dialog);
    // Placed once, when first shown; a dialog the user moved stays moved.
    if (mainWindow_ && !dialog->property("tramondPlaced").toBool() && !dialog->property("tramondOwnPlace").toBool()) {
        dialog->setProperty("tramondPlaced", true);
        const QRect frame = mainWindow_->frameGeometry();
        dialog->move(frame.left(), frame.top() + kDialogDropPixels);
    }
    return false;
}

}  // namespace tramond
