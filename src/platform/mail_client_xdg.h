#pragma once
// The desktop's mail client through xdg-email: the message is composed in
// the user's own mail program, which sends it.

#include <QStringList>

#include "mail/mail_client.h"

namespace tramond {

class XdgEmailClient : public MailClient {
public:
    // Some mail programs keep xdg-email waiting until their window closes
    // when they were not running yet: after handOverWaitMs the message
    // counts as handed over and xdg-email is left to finish on its own.
    explicit XdgEmailClient(int handOverWaitMs = 10000) : handOverWaitMs_(handOverWaitMs) {}

    // Waits for xdg-email, keeping the window painted but ignoring clicks
    // meanwhile.
    MailHandOver send(const MailMessage& message) override;

    // The argument list, never a shell line: "--utf8 --subject S --body B
    // --attach F ... ADDRESS ...". xdg-email refuses an empty subject or
    // body, so those are left out.
    static QStringList arguments(const MailMessage& message);

private:
    int handOverWaitMs_;
};

}  // namespace tramond
