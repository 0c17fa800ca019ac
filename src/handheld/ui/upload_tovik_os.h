#pragma once
// TUploadTovikOS: the handheld operating-system upload. The upload runs on a
// worker thread that leaves its status, progress and end in a mailbox; the
// dialog looks there on a timer, so the two threads share nothing else, and
// Cancel stops the upload at its next byte or wait.

#include <QDialog>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "handheld/os_upload.h"
#include "handheld/upload_os_controller.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tramond {

class TUploadTovikOS : public QDialog {
    Q_OBJECT
public:
    TUploadTovikOS(UploadOsController& controller, const std::vector<std::string>& ports,
                   UploadTiming timing = {}, QWidget* parent = nullptr);
    ~TUploadTovikOS() override;

    QComboBox* ComboBox1 = nullptr;  // the PC's serial ports
    QLabel* LblWrite = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BtnUploadTovikOS = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BtnClose = nullptr;

    void BtnUploadTovikOSClick();
    bool uploading() const { return worker_.joinable(); }
    const UploadResult& lastResult() const { return result_; }

signals:
    void uploadFinished();

protected:
    void reject() override;

private:
    void setStatus(const QString& text);
    void onFinished(UploadResult result);
    void stopWorker();
    void takeMail();

    struct Mailbox {
        std::mutex mutex;
        std::string status;
        bool statusNew = false;
        int done = 0;
        int total = 0;
        bool finished = false;
        UploadResult result;
    };

    UploadOsController& controller_;
    UploadTiming timing_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    Mailbox mail_;
    QTimer* poll_ = nullptr;
    UploadResult result_;
};

}  // namespace tramond
