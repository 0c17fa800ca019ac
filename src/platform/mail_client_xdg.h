#pragma once
// The desktop's mail client through xdg-email: the message is composed in
// the user's own mail program, which sends it.

#include <QStringList>

#include "mail/mail_client.h"

namespace tramond {

class XdgEmailClient : public MailClient {
public:
    // Waits for xdg-email (not for the mail client it starts), keeping the
    // window painted but ignoring clicks meanwhile.
    MailHandOver send(const MailMessage& message) override;

    // The argument list, never a shell line: "--utf8 --subject S --body B
    // --attach F ... ADDRESS ...". xdg-email refuses an empty subject or
    // body, so those are left out.
    static QStringList arguments(const MailMessage& message);
};

}  // namespace tramond
