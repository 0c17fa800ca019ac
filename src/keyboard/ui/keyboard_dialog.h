#pragma once
// TKeyboard: the keyboard editor's window over KeyboardEditor, its board
// widget, and the dialogs a key click opens (TAddKeyFunction, the special
// keys and the character chooser of the system keyboard).

#include <QDialog>
#include <QWidget>

#include <memory>

#include "app/ui/menu_registry.h"
#include "app/ui/qt_prompter.h"
#include "keyboard/key_function_chooser.h"
#include "keyboard/keyboard_editor.h"
#include "keyboard/keyboard_geometry.h"
#include "keyboard/ui/key_painter.h"

class QComboBox;
class QLabel;
class QListWidget;
class QLineEdit;
class QPushButton;
class QCheckBox;
class QMenu;

namespace tramond {

// Registers mRegisterKeyboardClick, mSystemKeyboardClick and mEditCondFileClick.
void registerKeyboardDialogs(MenuRegistry& registry);

// With PLUs addressed by code, PLU keys are named through the PLU list.
void usePluListOrder(ProgramKeyNames& names, const ProgramSession& session);
// The PLU editor's list in code order, for lists of PLU keys.
std::unique_ptr<PluLines> codeOrderPluLines(const ProgramSession& session);

class KeyboardBoard : public QWidget {
    Q_OBJECT
public:
    KeyboardBoard(KeyboardEditor& editor, ScreenGeometry geometry, QWidget* parent = nullptr);
    void setSelected(int position);
    const ScreenGeometry& geometry() const { return geometry_; }
    KeyPainter& painter() { return keys_; }
    // The board at its natural size (the key pitch of the screen), and the
    // factor it is drawn at to fill its present size.
    QSize sizeHint() const override;
    double zoom() const;

signals:
    void keyPressed(int position, Qt::MouseButton button, QPoint globalPos);
    void bitmapProblem(QString message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    KeyboardEditor& editor_;
    ScreenGeometry geometry_;
    KeyPainter keys_;
    QSize natural_;
    int selected_ = -1;
};

class TKeyboard : public QDialog {
    Q_OBJECT
public:
    TKeyboard(AppContext& context, KeyboardMode mode, std::filesystem::path attributeFile,
              QWidget* parent = nullptr);
    ~TKeyboard() override;

    KeyboardEditor& editor() { return *editor_; }
    bool opened() const { return opened_; }

    KeyboardBoard* Board = nullptr;
    QLabel* Label1 = nullptr;       // "Choose Function"
    QComboBox* ComboBox1 = nullptr; // key kinds
    QLabel* StaticText1 = nullptr;  // attribute preview
    QPushButton* Button1 = nullptr; // Set Attributes
    QPushButton* Button2 = nullptr; // Assign Attributes
    QPushButton* Button3 = nullptr; // Update Keyboard
    QPushButton* Print1 = nullptr;
    QLabel* Label2 = nullptr;       // "Choose Keyboard"
    QComboBox* ComboBox2 = nullptr; // keyboard files of a network
    QCheckBox* CBPluPerDeptAttrb = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QMenu* PopupMenu1 = nullptr;

    // What a click does (tests call these as the mouse would).
    void keyLeftClick(int position);
    void keyRightClick(int position, QPoint globalPos);
    // Pop-up items.
    void InfoClick();
    void KeyEditor1Click();
    // The key editor on one key; what OK gives is written to the layout file.
    void editKey(int position);
    void Manager1Click();
    void RemoveKey1Click();

private:
    void showPreview();
    void fitToScreen();
    void Button1Click();
    void ComboBox2Change(int index);
    void refresh();

    AppContext& context_;
    QtPrompter prompter_;
    std::unique_ptr<ProgramKeyNames> names_;
    std::unique_ptr<KeyboardEditor> editor_;
    bool opened_ = false;
    int selected_ = -1;
};

// TAddKeyFunction: the group list and its entries, for a register key.
class TAddKeyFunction : public QDialog {
    Q_OBJECT
public:
    TAddKeyFunction(KeyFunctionChooser& chooser, KeyFunctionMemory& memory, const LanguageTexts& texts,
                    Prompter& prompter, QWidget* parent = nullptr);
    // The code chosen (after a level when asked), or nullopt.
    std::optional<std::uint16_t> code() const { return code_; }
    // The change code of a modifier the modifier-as-PLU group linked.
    std::optional<std::uint32_t> modifierChange() const { return modifierChange_; }

    QListWidget* ListBox1 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QPushButton* BitBtn2 = nullptr;  // Cancel

    void chooseGroup(int group);
    void ListBox2Click(int entry);

private:
    KeyFunctionChooser& chooser_;
    KeyFunctionMemory& memory_;
    const LanguageTexts& texts_;
    Prompter& prompter_;
    std::optional<std::uint16_t> code_;
    std::optional<std::uint32_t> modifierChange_;
};

// One list to pick from: the special system keys, or the characters.
class TChooseFromList : public QDialog {
    Q_OBJECT
public:
    TChooseFromList(const QString& title, const QString& label, const QStringList& items, bool typeToPick,
                    QWidget* parent = nullptr);
    int chosen() const { return chosen_; }

    QListWidget* ListBox1 = nullptr;
    QLineEdit* Edit2 = nullptr;

private:
    int chosen_ = -1;
};

}  // namespace tramond
