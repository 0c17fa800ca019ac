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
    const auto labels = controller_.portLabels();
    for (std::size_t i = 0; i < labels.size(); ++i)
        ComboBox1->addItem(QString::fromStdString(labels[i]), QString::fromStdString(controller_.portChoices()[i]));
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
    controller_.accept(portText().toStdString(), ComboBox2->currentText().toStdString(), CheckBox1->isChecked());
}

QString TSetCompComm::portText() const {
    // A listed port by its name, not by the words added to it in the list.
    const int i = ComboBox1->currentIndex();
    const QString text = ComboBox1->currentText().trimmed();
    if (i >= 0 && text == ComboBox1->itemText(i).trimmed()) return ComboBox1->itemData(i).toString();
    return text;
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
