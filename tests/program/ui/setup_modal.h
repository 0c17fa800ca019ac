#pragma once
// Drives the next modal dialog from inside its own event loop, as a user
// would, so that menu handlers can be run whole in offscreen tests.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

#include "program/ui/message_box.h"

namespace tramond::testing {

inline void whenModalShown(std::function<void(QDialog*)> act, int attempts = 200) {
    QTimer::singleShot(5, [act, attempts] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            act(d);
            return;
        }
        if (attempts > 0) whenModalShown(act, attempts - 1);
    });
}

// Collects the message boxes instead of showing them.
struct MessageCatcher {
    QStringList texts;
    ui::MessagePresenter previous;
    MessageCatcher() {
        previous = ui::setMessagePresenter(
            [this](QWidget*, ui::MessageKind, const QString&, const QString& text) { texts << text; });
    }
    ~MessageCatcher() { ui::setMessagePresenter(std::move(previous)); }
};

}  // namespace tramond::testing
