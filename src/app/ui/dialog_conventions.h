#pragma once
// What every dialog of the tool does without each one saying so: Alt letters
// that do not clash, and the place below the main window's top edge. The
// main window installs one DialogConventions on the application; the
// accelerator repair is also used for its own menus.

#include <QObject>
#include <QPointer>

class QMenu;
class QMenuBar;
class QWidget;

namespace tramond {

// Gives the visible captions of a dialog (buttons, check boxes, group
// boxes, labels with a buddy) letters of their own.
void repairDialogAccelerators(QWidget* dialog);
// The same for the items of one menu or of the menu bar.
void repairMenuAccelerators(QWidget* menuOrBar);

// Dialogs open left-aligned with the main window, 45 pixels below its top.
inline constexpr int kDialogDropPixels = 45;

class DialogConventions : public QObject {
public:
    explicit DialogConventions(QWidget* mainWindow);
    ~DialogConventions() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> mainWindow_;
};

}  // namespace tramond
