#pragma once
// TCopyPluRecord: copies ticked field groups of the PLU editor's current PLU
// (as last read or stored) into a run of PLU records, then renames the
// editor's list lines when the name was copied.

#include <QDialog>
#include <array>

#include "editors/plu_copy.h"
#include "editors/plu_editor.h"
#include "editors/ui/editor_prompts.h"

class QCheckBox;
class QLineEdit;

namespace tramond::ui {

class TCopyPluRecord : public QDialog {
    Q_OBJECT
public:
    TCopyPluRecord(PluEditorController& editor, const LanguageTexts& texts, QWidget* parent = nullptr);
    const PluCopyResult& result() const { return result_; }

private:
    void onOk();

    PluEditorController& editor_;
    const LanguageTexts& texts_;
    QtEditorPrompts prompts_;
    std::array<QCheckBox*, kPluCopyGroupCount> boxes_{};
    QLineEdit* start_ = nullptr;
    QLineEdit* range_ = nullptr;
    PluCopyResult result_;
};

}  // namespace tramond::ui
