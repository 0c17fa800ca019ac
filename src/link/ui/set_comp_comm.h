#pragma once
// TSetCompComm: the link settings dialog, a view over CommSettingsController.

#include <QDialog>

#include "app/ui/menu_registry.h"
#include "link/comm_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace tramond {

class TSetCompComm : public QDialog {
    Q_OBJECT
public:
    TSetCompComm(CommSettingsController& controller, QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;  // port
    QComboBox* ComboBox2 = nullptr;  // baud rate
    QCheckBox* CheckBox1 = nullptr;  // hardware handshake

    void BitBtn1Click();
    // The port OK stores: the name of the listed port, or the text typed.
    QString portText() const;

private:
    CommSettingsController& controller_;
};

// Options > Communication Settings (mCommunicationSettingsClick).
void registerLinkDialogs(MenuRegistry& registry);

}  // namespace tramond
