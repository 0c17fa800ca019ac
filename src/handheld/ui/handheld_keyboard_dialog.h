#pragma once
// TTovikKeyboard: a picture of the handheld whose fourteen programmable keys
// take register functions, over HandheldKeyboard.

#include <QDialog>
#include <QFrame>
#include <QToolButton>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "app/ui/menu_registry.h"
#include "app/ui/qt_prompter.h"
#include "handheld/handheld_keyboard.h"

class QGroupBox;
class QListWidget;
class QPushButton;

namespace tramond {

// Registers mTovikKeyboardClick.
void registerHandheldKeyboardDialog(MenuRegistry& registry);

// A key of the picture: its caption wraps onto two lines as on the device.
class HandheldKeyButton : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The handheld's body and display behind its keys.
class HandheldPicture : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
    static constexpr int kDisplayHeight = 70;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TTovikKeyboard : public QDialog {
    Q_OBJECT
public:
    // prompter: where messages go (tests answer them); the message boxes
    // when none is given.
    TTovikKeyboard(AppContext& context, QWidget* parent = nullptr, Prompter* prompter = nullptr);
    ~TTovikKeyboard() override;

    bool opened() const { return opened_; }
    HandheldKeyboard& keyboard() { return *keyboard_; }

    // The PL#/AL# level question; tests replace it. nullopt: cancelled.
    std::function<std::optional<long>(int maximum)> askLevel;

    HandheldPicture* Panel1 = nullptr;
    std::array<HandheldKeyButton*, kHandheldKeys> SpdBtn{};  // SpdBtn1 .. SpdBtn14
    QGroupBox* GroupBox1 = nullptr;   // "Chose function: "
    QListWidget* ListBox1 = nullptr;  // groups
    QListWidget* ListBox2 = nullptr;  // functions
    QPushButton* BitBtn2 = nullptr;   // Cancel
    QPushButton* BitBtn3 = nullptr;   // Clear Key
    QPushButton* BitBtn1 = nullptr;   // OK

    // What the controls do (tests call these as a click would).
    void SpdBtnClick(int key);
    void ListBox1Click(int group);
    void ListBox2Click(int entry);
    void ClearKeyClick();
    void CancelClick();
    void BitBtn1Click();

private:
    void endSelection();
    void setPictureEnabled(bool enabled, int selectedKey);
    void showCaption(int key);

    AppContext& context_;
    QtPrompter qtPrompter_;
    Prompter& prompter_;
    std::unique_ptr<ProgramKeyNames> names_;
    std::unique_ptr<PluLines> pluLines_;
    std::unique_ptr<HandheldKeyboard> keyboard_;
    bool opened_ = false;
};

}  // namespace tramond
