#include "link/ui/set_comp_comm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include "platform/settings_qt.h"

namespace tramond {

TSetCompComm::TSetCompComm(CommSettingsController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setWindowTitle("Options");
    auto* form = new QFormLayout;
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    for (const auto& p : controller_.portChoices()) ComboBox1->addItem(QString::fromStdString(p));
    ComboBox1->setCurrentIndex(controller_.selectedPort());
    if (controller_.selectedPort() < 0) ComboBox1->setEditText(QString());
    ComboBox2 = new QComboBox(this);
    for (const auto& b : controller_.baudChoices()) ComboBox2->addItem(QString::fromStdString(b));
    ComboBox2->setCurrentIndex(controller_.selectedBaud());
    CheckBox1 = new QCheckBox("Hardware handshake", this);
    CheckBox1->setChecked(controller_.handshake());
    form->addRow("Port # :       ", ComboBox1);
    form->addRow("Baud   :       ", ComboBox2);
    form->addRow(CheckBox1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        BitBtn1Click();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void TSetCompComm::BitBtn1Click() {
    controller_.accept(ComboBox1->currentText().trimmed().toStdString(), ComboBox2->currentText().toStdString(),
                       CheckBox1->isChecked());
}

void registerLinkDialogs(MenuRegistry& registry) {
    registry.add("mCommunicationSettingsClick", [](AppContext& ctx) {
        const auto exeDir = QCoreApplication::applicationDirPath().toStdString();
        LinkSettings settings = loadCommsSettings(ctx.settings, exeDir);
        CommSettingsController controller(settings, ctx.settings, systemSerialPorts());
        TSetCompComm dialog(controller, ctx.mainWindow);
        if (ctx.mainWindow) {
            const auto top = ctx.mainWindow->frameGeometry().topLeft();
            dialog.move(top.x(), top.y() + 45);
        }
        dialog.exec();
    });
}

}  // namespace tramond
