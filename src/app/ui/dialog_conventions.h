#pragma once
// What every dialog of the tool does without each one saying so: Alt letters
// that do not clash, and the place below the main window's top edge. The
// main window installs one DialogConventions on the application; the
// accelerator repair is also used for its own menus.

#include <QObject>
#include <QPoint>
#include <QPointer>

class QAbstractButton;
class QDialog;
class QLineEdit;
class QMenu;
class QMenuBar;
class QWidget;

class QMessageBox;

namespace tramond {

// Whether a button's text is drawn by Qt, which shows "&x" as an underlined
// x. Buttons that paint their own text (keys) take no Alt letter.
bool drawsMnemonics(const QAbstractButton* button);

// The width at which a box shows its longest content whole: `chars` digits,
// or `chars` letters of a name. Edit boxes are at least that wide.
int wholeContentWidth(const QLineEdit* edit, int chars, bool digits);
void showWholeContent(QLineEdit* edit, int chars, bool digits);

// A dialog is at least wide enough for its title beside the window
// manager's buttons.
inline constexpr int kTitleBarButtons = 110;
int titleWidth(const QWidget* dialog);
void fitTitle(QWidget* dialog);
void fitMessageBoxTitle(QMessageBox* box);

// Gives the visible captions of a dialog (buttons, check boxes, group
// boxes, labels with a buddy) letters of their own.
void repairDialogAccelerators(QWidget* dialog);
// The same for the items of one menu or of the menu bar. An action whose
// caption is the tool's own rather than the language pack's carries the
// property kOwnCaptionProperty; its letter gives way to the pack's.
void repairMenuAccelerators(QWidget* menuOrBar);
inline constexpr const char* kOwnCaptionProperty = "tramondOwnCaption";

// Dialogs open left-aligned with the main window, their frame 45 pixels
// below the top of its frame.
inline constexpr int kDialogDropPixels = 45;
// How long after showing a dialog its frame is looked for, and how often.
inline constexpr int kFramingMilliseconds = 1500;
inline constexpr int kFramingPollMilliseconds = 25;

class DialogConventions : public QObject {
public:
    explicit DialogConventions(QWidget* mainWindow);
    ~DialogConventions() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint placeFor() const;
    void placeWhenFramed(QDialog* dialog);
    QPointer<QWidget> mainWindow_;
};

}  // namespace tramond
