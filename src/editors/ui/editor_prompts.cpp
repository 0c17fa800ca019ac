#include "editors/ui/editor_prompts.h"

#include <QMessageBox>

namespace tramond::ui {

namespace {
QtEditorPrompts::Hook& hook() {
    static QtEditorPrompts::Hook h;
    return h;
}
}  // namespace

QtEditorPrompts::Hook QtEditorPrompts::setHook(Hook h) {
    auto previous = std::move(hook());
    hook() = std::move(h);
    return previous;
}

void QtEditorPrompts::show(const EditorMessage& m) {
    if (hook()) {
        hook()(m, false);
        return;
    }
    const auto title = QString::fromStdString(m.title);
    const auto text = QString::fromStdString(m.text);
    switch (m.kind) {
        case MessageKind::Error:
            QMessageBox::critical(parent_, title, text);
            break;
        case MessageKind::Warning:
            QMessageBox::warning(parent_, title, text);
            break;
        case MessageKind::Information:
            QMessageBox::information(parent_, title, text);
            break;
    }
}

bool QtEditorPrompts::confirm(const EditorMessage& q) {
    if (hook()) return hook()(q, true);
    return QMessageBox::question(parent_, QString::fromStdString(q.title), QString::fromStdString(q.text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tramond::ui
