#pragma once
// Message boxes for the editor controllers. A hook replaces the boxes so
// that dialog tests can answer instead of blocking on a modal box.

#include <QWidget>
#include <functional>

#include "editors/editor_messages.h"

namespace tramond::ui {

class QtEditorPrompts : public EditorPrompts {
public:
    explicit QtEditorPrompts(QWidget* parent) : parent_(parent) {}
    void show(const EditorMessage& message) override;
    bool confirm(const EditorMessage& question) override;

    // The hook gets every message (question = false) and question (true);
    // its result answers questions. An empty hook restores the boxes.
    using Hook = std::function<bool(const EditorMessage&, bool question)>;
    static Hook setHook(Hook hook);

private:
    QWidget* parent_;
};

}  // namespace tramond::ui
