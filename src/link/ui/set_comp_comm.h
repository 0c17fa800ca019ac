#pragma once
// TSetCompComm: the link settings dialog, a view over CommSettingsController.

#include <QDialog>

#include "app/ui/menu_registry.h"
#include "link/comm_settings.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tramond {

class TSetCompComm : public QDialog {
    Q_OBJECT
public:
    TSetCompComm(CommSettingsController& controller, QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;  // port
    QComboBox* ComboBox2 = nullptr;  // baud rate
    QCheckBox* CheckBox1 = nullptr;  // hardware handshake
    QPushButton* NetworkButton = nullptr;  // "Network port..."

    void BitBtn1Click();
    // The port OK stores: the name of the listed port, or the text typed.
    QString portText() const;
    // "Network port...": the form starts from the port in the box; OK puts
    // the network port it makes into the box.
    void NetworkButtonClick();

private:
    CommSettingsController& controller_;
};

// "Network port...": kind (RFC 2217 or raw TCP), host and TCP port. OK is
// offered only while the fields make a port name; the line below them shows
// that name or what is wrong.
class TNetworkPort : public QDialog {
    Q_OBJECT
public:
    explicit TNetworkPort(const std::string& currentPort, QWidget* parent = nullptr);

    QComboBox* KindBox = nullptr;
    QLineEdit* HostEdit = nullptr;
    QLineEdit* PortEdit = nullptr;
    QLabel* ResultLabel = nullptr;
    QDialogButtonBox* Buttons = nullptr;

    // The port name the fields make (empty while they make none).
    const std::string& portName() const { return portName_; }

private:
    void fieldsChanged();
    std::string portName_;
};

// Options > Communication Settings (mCommunicationSettingsClick).
void registerLinkDialogs(MenuRegistry& registry);

}  // namespace tramond
