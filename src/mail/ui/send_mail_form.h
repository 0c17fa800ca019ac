#pragma once
// TSendMail: the mail form, a view over SendMailController.

#include <QDialog>

#include "app/prompter.h"
#include "app/ui/menu_registry.h"
#include "mail/send_mail.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tramond {

class TSendMail : public QDialog {
    Q_OBJECT
public:
    TSendMail(SendMailController& controller, Prompter& prompter, Shell& shell, const std::string& caption,
              QWidget* parent = nullptr);

    QLineEdit* EdtSubject = nullptr;
    QLineEdit* EdtFromName = nullptr;
    QLineEdit* EdtFromEAddress = nullptr;
    QPlainTextEdit* MemToEAddress = nullptr;
    QPlainTextEdit* MemMsgBody = nullptr;
    QLineEdit* EdtDate = nullptr;
    QListWidget* LstBxAttchmnts = nullptr;
    QPushButton* BtnAttach = nullptr;
    QPushButton* BtnEmailClient = nullptr;

    void BtnAttachClick();
    void DeleteAttachment();
    // True when the message was handed to the mail client.
    bool BtnEmailClientClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshAttachments();

    SendMailController& controller_;
    Prompter& prompter_;
    Shell& shell_;
};

// Tools > Send app in email (mSendMailClick).
void registerMailDialogs(MenuRegistry& registry);

}  // namespace tramond
