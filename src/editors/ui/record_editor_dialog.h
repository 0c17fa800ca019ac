#pragma once
// The one dialog of every record editor described by a RecordEditorLayout: the
// record list, number and descriptor edits, one control per field, "Next"
// and "OK". All behaviour is in RecordEditorController; the dialog copies
// what the user does into it and shows what it holds.

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "editors/record_editor.h"
#include "editors/ui/editor_prompts.h"

class QBoxLayout;
class QListWidget;
class QLineEdit;
class QPushButton;

namespace tramond::ui {

// Finds the action of another dialog by its menu handler name ("mClerkOptionsClick");
// an empty function when no such dialog is registered.
using HandlerLookup = std::function<std::function<void()>(std::string_view handler)>;

class RecordEditorDialog : public QDialog {
    Q_OBJECT
public:
    RecordEditorDialog(const RecordEditorLayout& layout, ProgramSession& session, const LanguageTexts& texts,
                       QWidget* parent = nullptr, HandlerLookup handlers = {});
    ~RecordEditorDialog() override;

    // Activation: opens the file and shows the start record.
    bool activate(std::optional<int> startIndex = std::nullopt);
    RecordEditorController& controller() { return *controller_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void build();
    void refresh();
    void onOk();
    void focusNext(QWidget* from);
    void refreshCaptions();
    void buildButtons(QBoxLayout* row);

    const LanguageTexts& texts_;
    HandlerLookup handlers_;
    QtEditorPrompts prompts_;
    std::unique_ptr<RecordEditorController> controller_;
    QListWidget* list_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* descriptor_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::vector<QWidget*> fields_;
    std::vector<bool> captionEnabled_;  // the language pack's switch per field
    bool updating_ = false;
};

// Places a dialog at the main window's left edge, 45 pixels below its top.
void placeBesideMainWindow(QWidget* dialog, QWidget* mainWindow);
// Keeps typed text within the OEM code page: characters it lacks become "?"
// as they are typed, as the register will store them.
void keepToCodePage(QLineEdit* edit);

}  // namespace tramond::ui
