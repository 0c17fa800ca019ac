#pragma once
// The serial ports dialog (`TSetRegisterPort`) over its controller: a row per
// port with baud rate, word format and status (red on a conflict, with the
// blinking "Port Conflict !"), the computer port, the DECT module and the
// DECT channels of the machine shown.

#include <QDialog>
#include <array>

#include "app/ui/menu_registry.h"
#include "options/register_ports.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tramond::ui {

class RegisterPortsView : public QDialog {
    Q_OBJECT
public:
    RegisterPortsView(RegisterPortsDialog& controller, QWidget* mainWindow = nullptr,
                      std::function<void()> machineChanged = {});

    QComboBox* baudList(int port) const { return baud_.at(static_cast<std::size_t>(port - 1)); }
    QComboBox* wordList(int port) const { return word_.at(static_cast<std::size_t>(port - 1)); }
    QLabel* statusLabel(int port) const { return status_.at(static_cast<std::size_t>(port - 1)); }
    QLabel* conflictLabel() const { return conflict_; }
    QTimer* blinkTimer() const { return blink_; }
    QPushButton* okButton() const { return ok_; }

    void refresh();
    void showPosted();
    // Escape and the close box: the controller puts everything back.
    void reject() override;

private:
    void refreshStatus();
    void refreshComputerPorts();
    void okClicked();

    RegisterPortsDialog& controller_;
    std::function<void()> machineChanged_;
    std::array<QComboBox*, kRegisterPorts> baud_{};
    std::array<QComboBox*, kRegisterPorts> word_{};
    std::array<QLabel*, kRegisterPorts> status_{};
    std::array<QLineEdit*, kDectChannels> ids_{};
    std::array<QComboBox*, kDectChannels> types_{};
    QComboBox* machines_ = nullptr;
    QComboBox* computer_ = nullptr;
    QComboBox* dectModule_ = nullptr;
    QGroupBox* dectGroup_ = nullptr;
    QLabel* conflict_ = nullptr;
    QTimer* blink_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool syncing_ = false;
};

void runRegisterPortsDialog(AppContext& context);

}  // namespace tramond::ui
