#include "options/ui/register_ports_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

#include "link/link_settings.h"
#include "options/ui/option_dialog_view.h"

namespace tramond::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

constexpr int kBlinkMs = 500;

std::string langText(const LanguageTexts& texts, int n, const char* fallback) {
    const auto& t = texts.text(n);
    return t.empty() ? std::string(fallback) : t;
}

}  // namespace

RegisterPortsView::RegisterPortsView(RegisterPortsDialog& controller, QWidget* mainWindow,
                                     std::function<void()> machineChanged)
    : QDialog(mainWindow), controller_(controller), machineChanged_(std::move(machineChanged)) {
    setObjectName("TSetRegisterPort");
    const auto& texts = controller.texts();
    setWindowTitle(qs(withoutAccelerators(langText(texts, 289, "&Serial Ports    "))).trimmed());
    auto* column = new QVBoxLayout(this);

    auto* machineRow = new QHBoxLayout;
    auto* machineLabel = new QLabel(qs(langText(texts, 821, "Settings for machine : ")), this);
    machines_ = new QComboBox(this);
    machines_->setObjectName("CmbBRegNum");
    machineRow->addWidget(machineLabel);
    machineRow->addWidget(machines_);
    machineRow->addStretch();
    column->addLayout(machineRow);
    machineLabel->setEnabled(controller.machineChoice());
    machines_->setEnabled(controller.machineChoice());
    connect(machines_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (syncing_) return;
        controller_.chooseMachine(index);
        refresh();
        showPosted();
        if (machineChanged_) machineChanged_();
    });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(qs(langText(texts, 333, "BaudRate ")), this), 0, 1);
    grid->addWidget(new QLabel(qs(langText(texts, 334, "WordSize ")), this), 0, 2);
    static constexpr int kPortTexts[] = {329, 330, 331, 848, 849, 850, 851};
    const auto bauds = baudItems(texts);
    const auto words = wordFormatItems(texts);
    for (int p = 1; p <= kRegisterPorts; ++p) {
        const auto i = static_cast<std::size_t>(p - 1);
        const std::string fallback = "Port # &" + std::to_string(p);
        auto* label = new QLabel(qs(langText(texts, kPortTexts[i], fallback.c_str())), this);
        baud_[i] = new QComboBox(this);
        baud_[i]->setObjectName(QString("CmbBBaud%1").arg(p));
        word_[i] = new QComboBox(this);
        word_[i]->setObjectName(QString("CmbBWord%1").arg(p));
        for (const auto& b : bauds) baud_[i]->addItem(qs(b));
        for (const auto& w : words) word_[i]->addItem(qs(w));
        label->setBuddy(baud_[i]);
        status_[i] = new QLabel(this);
        status_[i]->setObjectName(QString("LblStatus%1").arg(p));
        status_[i]->setMinimumWidth(280);
        grid->addWidget(label, p, 0);
        grid->addWidget(baud_[i], p, 1);
        grid->addWidget(word_[i], p, 2);
        grid->addWidget(status_[i], p, 3);
        connect(baud_[i], qOverload<int>(&QComboBox::activated), this, [this, p](int index) {
            if (syncing_) return;
            controller_.setBaud(p, index);
            refreshStatus();
        });
        connect(word_[i], qOverload<int>(&QComboBox::activated), this, [this, p](int index) {
            if (syncing_) return;
            controller_.setWordFormat(p, index);
            refreshStatus();
        });
    }
    column->addLayout(grid);

    conflict_ = new QLabel("Port Conflict !", this);
    conflict_->setObjectName("LblConflict");
    conflict_->setStyleSheet("color: red; font-weight: bold;");
    // The label keeps its place while it blinks.
    auto policy = conflict_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    conflict_->setSizePolicy(policy);
    column->addWidget(conflict_);
    blink_ = new QTimer(this);
    blink_->setInterval(kBlinkMs);
    connect(blink_, &QTimer::timeout, this, [this] { conflict_->setVisible(!conflict_->isVisible()); });

    auto* devices = new QGridLayout;
    auto* computerLabel = new QLabel(qs(langText(texts, 376, "C&omputer Port#      :    ")), this);
    computer_ = new QComboBox(this);
    computer_->setObjectName("CmbBCompPort");
    computerLabel->setBuddy(computer_);
    auto* dectLabel = new QLabel(qs(langText(texts, 967, "Port reserved for DECT module")), this);
    dectModule_ = new QComboBox(this);
    dectModule_->setObjectName("CmbBDectPort");
    dectModule_->addItems({"NON", "7"});
    devices->addWidget(computerLabel, 0, 0);
    devices->addWidget(computer_, 0, 1);
    devices->addWidget(dectLabel, 1, 0);
    devices->addWidget(dectModule_, 1, 1);
    column->addLayout(devices);
    connect(computer_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (syncing_) return;
        controller_.setComputerPort(index);
        refreshStatus();
    });
    connect(dectModule_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (syncing_) return;
        controller_.setDectModule(index == 1);
        refresh();
        showPosted();
    });

    dectGroup_ = new QGroupBox(qs(langText(texts, 965, "DECT Channels")), this);
    auto* dect = new QGridLayout(dectGroup_);
    dect->addWidget(new QLabel(qs(langText(texts, 966, "ID Number")), dectGroup_), 0, 1);
    const auto typeItems = RegisterPortsDialog::dectTypeItems(texts);
    for (int k = 1; k <= kDectChannels; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        auto* label = new QLabel(qs(langText(texts, 976, "DECT channel") + " # " + std::to_string(k)), dectGroup_);
        ids_[i] = new QLineEdit(dectGroup_);
        ids_[i]->setObjectName(QString("EdtDPort%1Id").arg(k));
        ids_[i]->setMaxLength(static_cast<int>(kDectIdDigits));
        ids_[i]->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), ids_[i]));
        types_[i] = new QComboBox(dectGroup_);
        types_[i]->setObjectName(QString("CmbBDPort%1Type").arg(k));
        for (const auto& t : typeItems) types_[i]->addItem(qs(t));
        dect->addWidget(label, k, 0);
        dect->addWidget(ids_[i], k, 1);
        dect->addWidget(types_[i], k, 2);
        connect(ids_[i], &QLineEdit::textEdited, this, [this, k](const QString& text) {
            if (!controller_.setDectId(k, text.toStdString())) refresh();
        });
        connect(types_[i], qOverload<int>(&QComboBox::activated), this, [this, k](int index) {
            if (syncing_) return;
            controller_.setDectType(k, index);
            refreshComputerPorts();
            showPosted();
        });
    }
    column->addWidget(dectGroup_);

    ok_ = new QPushButton(tr("OK"), this);
    ok_->setObjectName("BitBtn1");
    ok_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &RegisterPortsView::okClicked);
    column->addWidget(ok_, 0, Qt::AlignHCenter);

    refresh();
    if (mainWindow) {
        const QRect frame = mainWindow->frameGeometry();
        const auto pos = placeDialog(frame.left(), frame.top());
        move(pos.left, pos.top);
    }
}

void RegisterPortsView::refresh() {
    syncing_ = true;
    machines_->clear();
    for (const auto& m : controller_.machineItems()) machines_->addItem(qs(m));
    machines_->setCurrentIndex(controller_.machineIndex());
    for (int p = 1; p <= kRegisterPorts; ++p) {
        baudList(p)->setCurrentIndex(controller_.baud(p));
        wordList(p)->setCurrentIndex(controller_.wordFormat(p));
    }
    dectModule_->setCurrentIndex(controller_.dectModule() ? 1 : 0);
    dectGroup_->setEnabled(controller_.dectModule());
    for (int k = 1; k <= kDectChannels; ++k) {
        const auto& e = controller_.dectChannels()[static_cast<std::size_t>(k - 1)];
        ids_[static_cast<std::size_t>(k - 1)]->setText(qs(e.id));
        types_[static_cast<std::size_t>(k - 1)]->setCurrentIndex(e.type < 4 ? e.type : -1);
    }
    syncing_ = false;
    refreshComputerPorts();
    refreshStatus();
}

void RegisterPortsView::refreshComputerPorts() {
    syncing_ = true;
    computer_->clear();
    for (const auto& item : controller_.computerPortItems()) computer_->addItem(qs(item));
    computer_->setCurrentIndex(controller_.computerPortIndex());
    syncing_ = false;
}

void RegisterPortsView::refreshStatus() {
    blink_->stop();
    const auto& report = controller_.status();
    for (int p = 1; p <= kRegisterPorts; ++p) {
        const auto& s = report.ports[static_cast<std::size_t>(p - 1)];
        auto* label = statusLabel(p);
        label->setText(qs(s.text));
        label->setStyleSheet(s.conflict ? "color: red;" : "");
    }
    conflict_->setVisible(report.anyConflict());
    if (report.anyConflict()) blink_->start();
}

void RegisterPortsView::showPosted() {
    for (const auto& m : controller_.takeMessages()) presentMessage(this, m);
}

void RegisterPortsView::okClicked() {
    const auto r = controller_.ok();
    if (r.message) presentMessage(this, *r.message);
    showPosted();
    if (r.close) accept();
}

void runRegisterPortsDialog(AppContext& context) {
    if (!programLoaded(context)) return;
    const auto link = loadCommsSettings(context.settings, QCoreApplication::applicationDirPath().toStdString());
    RegisterPortsDialog controller(context.session, context.texts, link.baudRate);
    RegisterPortsView view(controller, context.mainWindow, context.refresh);
    view.showPosted();
    view.exec();
    if (context.refresh) context.refresh();
}

void RegisterPortsView::reject() {
    controller_.cancel();
    if (machineChanged_) machineChanged_();
    QDialog::reject();
}

}  // namespace tramond::ui
