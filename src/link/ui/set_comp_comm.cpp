#include "link/ui/set_comp_comm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include "link/network_port.h"
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
    NetworkButton = new QPushButton("&Network port...", this);
    NetworkButton->setAutoDefault(false);
    connect(NetworkButton, &QPushButton::clicked, this, [this] { NetworkButtonClick(); });
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(ComboBox1, 1);
    portRow->addWidget(NetworkButton);
    form->addRow("Port # :       ", portRow);
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

void TSetCompComm::NetworkButtonClick() {
    TNetworkPort form(portText().toStdString(), this);
    if (form.exec() != QDialog::Accepted || form.portName().empty()) return;
    const QString name = QString::fromStdString(form.portName());
    int index = ComboBox1->findText(name);
    if (index < 0) {
        ComboBox1->addItem(name, name);  // OK stores an item's data
        index = ComboBox1->count() - 1;
    }
    ComboBox1->setCurrentIndex(index);
}

TNetworkPort::TNetworkPort(const std::string& currentPort, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Network Port");
    const NetworkPortFields fields = networkPortFields(currentPort);
    KindBox = new QComboBox(this);
    KindBox->addItem("RFC 2217 (telnet, sets the baud rate there)");
    KindBox->addItem("Raw TCP (baud rate set on the converter)");
    KindBox->setCurrentIndex(fields.scheme == NetworkScheme::Rfc2217 ? 0 : 1);
    HostEdit = new QLineEdit(QString::fromStdString(fields.host), this);
    HostEdit->setPlaceholderText("shop-pc.example or 192.168.1.20");
    PortEdit = new QLineEdit(QString::fromStdString(fields.port), this);
    PortEdit->setValidator(new QIntValidator(1, 65535, PortEdit));
    PortEdit->setPlaceholderText("4001");
    ResultLabel = new QLabel(this);
    ResultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* form = new QFormLayout;
    auto* kindLabel = new QLabel("&Kind:", this);
    kindLabel->setBuddy(KindBox);
    auto* hostLabel = new QLabel("&Host:", this);
    hostLabel->setBuddy(HostEdit);
    auto* portLabel = new QLabel("TCP &port:", this);
    portLabel->setBuddy(PortEdit);
    form->addRow(kindLabel, KindBox);
    form->addRow(hostLabel, HostEdit);
    form->addRow(portLabel, PortEdit);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* note = new QLabel(
        "No password protects such a connection: beyond the shop's own network, "
        "reach the converter through an SSH tunnel.", this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ResultLabel);
    layout->addWidget(note);
    layout->addWidget(Buttons);
    connect(KindBox, &QComboBox::currentIndexChanged, this, [this] { fieldsChanged(); });
    connect(HostEdit, &QLineEdit::textChanged, this, [this] { fieldsChanged(); });
    connect(PortEdit, &QLineEdit::textChanged, this, [this] { fieldsChanged(); });
    fieldsChanged();
}

void TNetworkPort::fieldsChanged() {
    NetworkPortFields fields;
    fields.scheme = KindBox->currentIndex() == 0 ? NetworkScheme::Rfc2217 : NetworkScheme::RawTcp;
    fields.host = HostEdit->text().toStdString();
    fields.port = PortEdit->text().toStdString();
    std::string problem;
    const auto name = networkPortName(fields, &problem);
    portName_ = name.value_or(std::string());
    // An empty field asks for itself; a filled one that is wrong says why.
    if (HostEdit->text().trimmed().isEmpty()) problem = "Type the host of ser2net or the converter.";
    else if (PortEdit->text().trimmed().isEmpty()) problem = "Type its TCP port.";
    ResultLabel->setText(QString::fromStdString(name ? "Port name: " + *name : problem));
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(name.has_value());
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
