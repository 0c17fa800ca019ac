#include "mail/ui/send_mail_form.h"

#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/ui/qt_prompter.h"
#include "platform/mail_client_xdg.h"
#include "platform/shell_qt.h"

namespace tramond {

namespace {

constexpr int kSendAppInEmailText = 1074;

QString q(const std::string& s) { return QString::fromStdString(s); }

QPlainTextEdit* memo(QWidget* parent, int lines) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setTabChangesFocus(true);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * lines + 12);
    return edit;
}

QPushButton* button(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    // Enter in a line must never send the mail.
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TSendMail::TSendMail(SendMailController& controller, Prompter& prompter, Shell& shell, const std::string& caption,
                     QWidget* parent)
    : QDialog(parent), controller_(controller), prompter_(prompter), shell_(shell) {
    setWindowTitle(q(caption));
    const MailFormDefaults defaults = controller_.defaults();

    EdtSubject = new QLineEdit(q(defaults.subject), this);
    EdtFromName = new QLineEdit(q(defaults.fromName), this);
    EdtFromEAddress = new QLineEdit(q(defaults.fromAddress), this);
    // The mail client's own profile is the real sender.
    for (auto* e : {EdtFromName, EdtFromEAddress}) {
        e->setReadOnly(true);
        e->setToolTip("The sender is the account of your mail client");
    }
    MemToEAddress = memo(this, 3);
    MemToEAddress->setPlainText(q(defaults.recipients));
    MemToEAddress->setToolTip("One address per line");
    MemMsgBody = memo(this, 8);
    MemMsgBody->setPlainText(q(defaults.body));
    EdtDate = new QLineEdit(QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat), this);
    EdtDate->setReadOnly(true);
    EdtDate->setFocusPolicy(Qt::NoFocus);
    LstBxAttchmnts = new QListWidget(this);
    LstBxAttchmnts->setToolTip(kAttachmentsHint);
    LstBxAttchmnts->setFixedHeight(LstBxAttchmnts->fontMetrics().lineSpacing() * 4 + 8);
    LstBxAttchmnts->installEventFilter(this);
    MemToEAddress->installEventFilter(this);
    MemMsgBody->installEventFilter(this);

    auto* form = new QFormLayout;
    const auto row = [&](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row("&Subject", EdtSubject);
    row("From &name", EdtFromName);
    row("From a&ddress:", EdtFromEAddress);
    row("&To address:", MemToEAddress);
    row("Date", EdtDate);
    row("&Message:", MemMsgBody);
    row("Attac&hments:", LstBxAttchmnts);

    BtnAttach = button("&Attach File", this);
    BtnEmailClient = button("S&end Email", this);
    auto* close = button("Close", this);
    connect(BtnAttach, &QPushButton::clicked, this, [this] { BtnAttachClick(); });
    connect(BtnEmailClient, &QPushButton::clicked, this, [this] {
        if (BtnEmailClientClick()) accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnAttach);
    buttons->addStretch(1);
    buttons->addWidget(BtnEmailClient);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());
}

void TSendMail::refreshAttachments() {
    LstBxAttchmnts->clear();
    for (const auto& file : controller_.attachments()) LstBxAttchmnts->addItem(q(file.string()));
    LstBxAttchmnts->setCurrentRow(LstBxAttchmnts->count() - 1);
}

void TSendMail::BtnAttachClick() {
    const auto chosen = prompter_.openFile(controller_.attachRequest());
    if (!chosen) return;
    setCursor(Qt::WaitCursor);
    const std::string error = controller_.attach(*chosen);
    unsetCursor();
    if (!error.empty()) prompter_.message(MessageKind::Error, "Error", error);
    refreshAttachments();
}

void TSendMail::DeleteAttachment() {
    const int row = LstBxAttchmnts->currentRow();
    if (row < 0) return;
    controller_.removeAttachment(static_cast<std::size_t>(row));
    refreshAttachments();
}

bool TSendMail::BtnEmailClientClick() {
    const auto result = controller_.send(EdtSubject->text().toStdString(), MemMsgBody->toPlainText().toStdString(),
                                         MemToEAddress->toPlainText().toStdString());
    switch (result.status) {
        case SendResult::Status::Handed:
            prompter_.message(MessageKind::Information, "Information", result.message);
            return true;
        case SendResult::Status::NoClient:
            if (!result.folder.empty()) {
                if (prompter_.confirm("Error", result.message) && !shell_.openDocument(result.folder.string()))
                    prompter_.message(MessageKind::Error, "Error", "Could not create process");
                return false;
            }
            break;
        case SendResult::Status::Refused:
        case SendResult::Status::Failed:
            break;
    }
    prompter_.message(MessageKind::Error, "Error", result.message);
    return false;
}

bool TSendMail::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LstBxAttchmnts && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Insert) {
            BtnAttachClick();
            return true;
        }
        if (key == Qt::Key_Delete) {
            DeleteAttachment();
            return true;
        }
    }
    // Entering the body or the recipients puts the caret after their text.
    if (event->type() == QEvent::FocusIn && (watched == MemToEAddress || watched == MemMsgBody)) {
        auto* edit = static_cast<QPlainTextEdit*>(watched);
        edit->moveCursor(QTextCursor::End);
    }
    return QDialog::eventFilter(watched, event);
}

void registerMailDialogs(MenuRegistry& registry) {
    registry.add("mSendMailClick", [](AppContext& ctx) {
        XdgEmailClient client;
        SendMailController controller(ctx.settings, client);
        QtPrompter prompter;
        QtShell shell;
        TSendMail form(controller, prompter, shell, ctx.texts.plain(kSendAppInEmailText), ctx.mainWindow);
        prompter.setParent(&form);
        if (ctx.mainWindow) {
            const auto top = ctx.mainWindow->frameGeometry().topLeft();
            form.move(top.x(), top.y() + 45);
        }
        form.exec();
    });
}

}  // namespace tramond
