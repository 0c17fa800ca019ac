#pragma once
// TEditPlu: the PLU editor's screen over PluEditorController, adapted to
// the PLU kind header (price levels, cost price, linked PLU, tare,
// condiment link, number or code mode).

#include <QDialog>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "editors/plu_editor.h"
#include "editors/ui/editor_prompts.h"
#include "editors/ui/record_editor_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tramond::ui {

class PluEditorDialog : public QDialog {
    Q_OBJECT
public:
    // handlers: how "PLU Options" and "Barcode Options" reach their dialogs;
    // without them the two buttons stay disabled.
    PluEditorDialog(ProgramSession& session, const LanguageTexts& texts, QWidget* parent = nullptr,
                    HandlerLookup handlers = {});
    ~PluEditorDialog() override;

    bool activate(std::optional<int> startLine = std::nullopt);
    PluEditorController& controller() { return *controller_; }
    QPushButton* pluOptionsButton() const { return pluOptions_; }
    QPushButton* barcodeOptionsButton() const { return barcodeOptions_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* codeEdit() const { return code_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void adaptToHeader();
    void rebuildList();
    void refresh();
    void focusNext(QWidget* from);
    void onCodeEditLeft();

    const LanguageTexts& texts_;
    HandlerLookup handlers_;
    QtEditorPrompts prompts_;
    std::unique_ptr<PluEditorController> controller_;
    QListWidget* list_ = nullptr;
    QLabel* header1_ = nullptr;
    QLabel* header2_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* code_ = nullptr;
    QLabel* numberLabel_ = nullptr;  // shown and hidden with their boxes
    QLabel* codeLabel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* department_ = nullptr;
    std::array<QLineEdit*, kPluEditCount> edits_{};
    std::array<QLabel*, kPluEditCount> editLabels_{};
    std::vector<QCheckBox*> checks_;
    QListWidget* kitchen_ = nullptr;
    QListWidget* taxable_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* resort_ = nullptr;
    QPushButton* pluOptions_ = nullptr;
    QPushButton* barcodeOptions_ = nullptr;
    QPushButton* copyRecord_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool updating_ = false;
    bool inCodeEdit_ = false;
};

}  // namespace tramond::ui
