#pragma once
// Message boxes of the dialogs. Every box goes through one presenter so that
// tests can watch what the user would have been told instead of blocking on
// a modal box.

#include <QString>
#include <functional>

class QWidget;

namespace tramond::ui {

enum class MessageKind { Information, Warning, Error };

using MessagePresenter =
    std::function<void(QWidget* parent, MessageKind kind, const QString& title, const QString& text)>;

void showMessage(QWidget* parent, MessageKind kind, const QString& title, const QString& text);

// Replaces the presenter (an empty one restores the real boxes) and returns
// the previous one.
MessagePresenter setMessagePresenter(MessagePresenter presenter);

}  // namespace tramond::ui
