#pragma once
// TUploadTovikOS: the handheld operating-system upload. The upload runs on a
// worker thread; status, progress and the end come back queued to this
// dialog, and Cancel stops the upload at its next byte or wait.

#include <QDialog>
#include <atomic>
#include <thread>
#include <vector>

#include "handheld/os_upload.h"
#include "handheld/upload_os_controller.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

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

    UploadOsController& controller_;
    UploadTiming timing_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    UploadResult result_;
};

}  // namespace tramond
