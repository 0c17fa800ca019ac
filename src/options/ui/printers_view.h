#pragma once
// The printers dialog (`TSetPrinters`): the common print options of the
// generic option view, with the machine chooser, the printer lines and the
// buttons that open the nested printer dialogs.

#include <functional>
#include <vector>

#include "options/ui/option_dialog_view.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QRadioButton;

namespace tramond::ui {

class PrintersView : public OptionDialogView {
    Q_OBJECT
public:
    // `machineChanged` runs after another machine became current (the main
    // window's status text follows it).
    PrintersView(OptionDialog& controller, QWidget* mainWindow = nullptr,
                 std::function<void()> machineChanged = {});

    // Opens a nested dialog on the same block, modally; tests may replace
    // how it is shown.
    std::function<void(OptionDialog& nested)> showNested;

    QRadioButton* line(int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    QPushButton* receiptButton() const { return receipt_; }
    QPushButton* journalButton() const { return journal_; }
    QComboBox* machineList() const { return machines_; }

    void openNested(const OptionDialogTable& table);
    void refreshPrinters();

private:
    void chooseMachine(int index);

    std::function<void()> machineChanged_;
    QComboBox* machines_ = nullptr;
    QWidget* machinePanel_ = nullptr;
    QButtonGroup* group_ = nullptr;
    std::vector<QRadioButton*> lines_;
    QPushButton* receipt_ = nullptr;
    QPushButton* journal_ = nullptr;
};

void runPrintersDialog(AppContext& context);

}  // namespace tramond::ui
