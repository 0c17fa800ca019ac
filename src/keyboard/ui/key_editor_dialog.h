#pragma once
// TEditKey: the look of one key on a working copy of its record: number of
// lines, the three texts, fonts and colours, a bitmap, the individual-editing
// flag. OK hands the working copy to the caller, who writes it back.

#include <QDialog>

#include "app/language_texts.h"
#include "app/prompter.h"
#include "keyboard/key_record.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tramond {

class TEditKey : public QDialog {
    Q_OBJECT
public:
    TEditKey(KeyRecord record, const LanguageTexts& texts, Prompter& prompter, QWidget* parent = nullptr);

    const KeyRecord& record() const { return record_; }

    QCheckBox* CheckBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* LoadBitmap = nullptr;
    QPushButton* EditFont = nullptr;
    QPushButton* EditColor = nullptr;
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // Cancel

    void setLineCount(int lines);
    void chooseLine(int line);
    // A chosen bitmap path (the picture dialog's answer), nullopt for Cancel.
    void useBitmap(const std::optional<std::string>& path);

private:
    void storeText(int line);
    void updatePreview();

    KeyRecord record_;
    Prompter& prompter_;
    int line_ = 0;
    QWidget* preview_ = nullptr;
};

}  // namespace tramond
