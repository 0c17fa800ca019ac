#include "handheld/ui/upload_tovik_os.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>


namespace tramond {

TUploadTovikOS::TUploadTovikOS(UploadOsController& controller, const std::vector<std::string>& ports,
                               UploadTiming timing, QWidget* parent)
    : QDialog(parent), controller_(controller), timing_(timing) {
    setWindowTitle("Upload Tovik OS");
    auto* portLabel = new QLabel("&Chose communication port:", this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    for (const auto& p : ports) ComboBox1->addItem(QString::fromStdString(p));
    portLabel->setBuddy(ComboBox1);
    LblWrite = new QLabel(this);
    LblWrite->setMinimumWidth(260);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setVisible(false);
    BtnUploadTovikOS = new QPushButton("&Upload Tovik OS", this);
    BtnUploadTovikOS->setDefault(true);
    BtnCancel = new QPushButton("C&ancel", this);
    BtnCancel->setEnabled(false);
    BtnClose = new QPushButton("Cl&ose", this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnUploadTovikOS);
    buttons->addStretch();
    buttons->addWidget(BtnCancel);
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(portLabel);
    layout->addWidget(ComboBox1);
    layout->addWidget(LblWrite);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);

    poll_ = new QTimer(this);
    poll_->setInterval(50);
    connect(poll_, &QTimer::timeout, this, [this] { takeMail(); });

    connect(BtnUploadTovikOS, &QPushButton::clicked, this, [this] { BtnUploadTovikOSClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { cancel_.store(true); });
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

TUploadTovikOS::~TUploadTovikOS() { stopWorker(); }

void TUploadTovikOS::setStatus(const QString& text) {
    LblWrite->setText(text);
    LblWrite->repaint();
}

void TUploadTovikOS::BtnUploadTovikOSClick() {
    if (uploading()) return;
    const auto status = [this](const std::string& text) { setStatus(QString::fromStdString(text)); };
    if (!controller_.prepare(ComboBox1->currentText().trimmed().toStdString(), status)) return;

    cancel_.store(false);
    BtnUploadTovikOS->setEnabled(false);
    ComboBox1->setEnabled(false);
    BtnClose->setEnabled(false);
    BtnCancel->setEnabled(true);
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);

    {
        std::lock_guard lock(mail_.mutex);
        mail_.status.clear();
        mail_.statusNew = false;
        mail_.done = mail_.total = 0;
        mail_.finished = false;
    }
    UploadHooks hooks;
    hooks.cancel = &cancel_;
    hooks.onStatus = [this](const std::string& text) {
        std::lock_guard lock(mail_.mutex);
        mail_.status = text;
        mail_.statusNew = true;
    };
    hooks.onProgress = [this](int done, int total) {
        std::lock_guard lock(mail_.mutex);
        mail_.done = done;
        mail_.total = total;
    };
    const HexImage* image = controller_.image();
    worker_ = std::thread([this, image, hooks = std::move(hooks)]() mutable {
        UploadResult result = uploadOnPort(controller_.port(), image, std::move(hooks), timing_);
        std::lock_guard lock(mail_.mutex);
        mail_.result = std::move(result);
        mail_.finished = true;
    });
    poll_->start();
}

void TUploadTovikOS::takeMail() {
    std::string status;
    bool statusNew = false, finished = false;
    int done = 0, total = 0;
    UploadResult result;
    {
        std::lock_guard lock(mail_.mutex);
        status = mail_.status;
        statusNew = std::exchange(mail_.statusNew, false);
        done = mail_.done;
        total = mail_.total;
        finished = mail_.finished;
        if (finished) result = mail_.result;
    }
    if (statusNew) setStatus(QString::fromStdString(status));
    if (total > 0) {
        ProgressBar1->setMaximum(total);
        ProgressBar1->setValue(done);
    }
    if (finished) onFinished(std::move(result));
}

void TUploadTovikOS::onFinished(UploadResult result) {
    poll_->stop();
    if (worker_.joinable()) worker_.join();
    controller_.finish();
    result_ = std::move(result);
    // "Checksum:XXXX" and, under it, whether that is the sum of what was sent.
    const auto comparison = checksumComparison(result_);
    setStatus(QString::fromStdString(comparison.empty() ? result_.status : result_.status + "\n" + comparison));
    BtnUploadTovikOS->setEnabled(true);
    ComboBox1->setEnabled(true);
    BtnClose->setEnabled(true);
    BtnCancel->setEnabled(false);
    ProgressBar1->setVisible(false);
    emit uploadFinished();
}

void TUploadTovikOS::stopWorker() {
    if (!worker_.joinable()) return;
    cancel_.store(true);
    worker_.join();
    poll_->stop();
    controller_.finish();
}

void TUploadTovikOS::reject() {
    // Closing the window cancels a running upload first.
    stopWorker();
    QDialog::reject();
}

}  // namespace tramond
