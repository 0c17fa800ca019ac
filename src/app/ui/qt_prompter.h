#pragma once
// The prompter as real dialogs: message boxes with the tool's titles, and
// the file dialogs through the desktop choosers.

#include <QWidget>

#include "app/prompter.h"

namespace tramond {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(MessageKind kind, const std::string& title, const std::string& text) override;
    bool confirm(const std::string& title, const std::string& text) override;
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;

    // "Applications (*.app)|*.app|All Files (*.*)|*.*" as Qt writes it.
    static QString qtFilter(const std::string& filter);

private:
    QWidget* parent_;
};

}  // namespace tramond
