#include "program/ui/message_box.h"

#include <QMessageBox>

namespace tramond::ui {

namespace {

MessagePresenter& presenter() {
    static MessagePresenter p;
    return p;
}

}  // namespace

void showMessage(QWidget* parent, MessageKind kind, const QString& title, const QString& text) {
    if (auto& p = presenter()) {
        p(parent, kind, title, text);
        return;
    }
    switch (kind) {
        case MessageKind::Information: QMessageBox::information(parent, title, text); break;
        case MessageKind::Warning: QMessageBox::warning(parent, title, text); break;
        case MessageKind::Error: QMessageBox::critical(parent, title, text); break;
    }
}

MessagePresenter setMessagePresenter(MessagePresenter p) {
    auto previous = std::move(presenter());
    presenter() = std::move(p);
    return previous;
}

}  // namespace tramond::ui
