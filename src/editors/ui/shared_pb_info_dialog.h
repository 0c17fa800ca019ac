#pragma once
// TSharedPbInfoFile over SharedPbInfoController.

#include <QDialog>
#include <functional>

#include "editors/shared_pb_info.h"
#include "editors/ui/editor_prompts.h"

class QCheckBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace tramond::ui {

class TSharedPbInfoFile : public QDialog {
    Q_OBJECT
public:
    TSharedPbInfoFile(ProgramSession& session, const LanguageTexts& texts, QWidget* parent = nullptr);
    // Where "Add application to the list" gets its file; a file dialog by default.
    void setFileChooser(std::function<QString()> chooser) { chooser_ = std::move(chooser); }
    SharedPbInfoController& controller() { return controller_; }

private:
    void showState();
    void refreshList();

    QtEditorPrompts prompts_;
    SharedPbInfoController controller_;
    QCheckBox* sharing_ = nullptr;
    QRadioButton* active_ = nullptr;
    QRadioButton* passive_ = nullptr;
    QGroupBox* listBox_ = nullptr;
    QListWidget* list_ = nullptr;
    std::function<QString()> chooser_;
};

}  // namespace tramond::ui
