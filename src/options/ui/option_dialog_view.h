#pragma once
// The generic view of an option dialog: widgets built from the dialog's
// control table, named as the table names them, over an OptionDialog
// controller that holds every decision.

#include <QDialog>
#include <map>
#include <string>
#include <string_view>

#include "app/ui/menu_registry.h"
#include "options/option_dialog.h"

class QPushButton;
class QVBoxLayout;

namespace tramond::ui {

class OptionDialogView : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` places the dialog (45 pixels below its top, left-aligned).
    OptionDialogView(OptionDialog& controller, QWidget* mainWindow = nullptr);

    OptionDialog& controller() { return controller_; }
    // The widget of a control or of its label, by its table name.
    QWidget* widget(std::string_view name) const;
    QPushButton* okButton() const { return ok_; }

    // Shows the controller's state again.
    void refresh();
    // Shows the messages the controller's hooks posted.
    void showPosted();

    // Shows a message box; a message naming a control focuses it.
    void present(const std::optional<Message>& message);
    // Escape and the close box: the controller puts everything back.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The dialog's column: the panel of controls, then the OK button. Views
    // with more to show insert their widgets into it.
    QVBoxLayout* column() const { return column_; }
    virtual void okClicked();

private:
    void build();

    OptionDialog& controller_;
    std::map<std::string, QWidget*, std::less<>> widgets_;
    std::map<QObject*, std::size_t> numberBoxes_;
    QPushButton* ok_ = nullptr;
    QVBoxLayout* column_ = nullptr;
    bool syncing_ = false;
};

// Shows a message box over `dialog`; a message naming a control focuses the
// dialog's child of that name (a line edit with its text selected).
void presentMessage(QWidget* dialog, const Message& message);

// "No Program Loaded !" when no program is loaded.
bool programLoaded(AppContext& context);

// Opens an option dialog on the loaded program ("No Program Loaded !"
// without one), shows it modally and refreshes the main window after OK.
void runOptionDialog(AppContext& context, const OptionDialogTable& table);

}  // namespace tramond::ui
