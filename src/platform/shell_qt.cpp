#include "platform/shell_qt.h"

#include <QDesktopServices>
#include <QUrl>

namespace tramond {

bool QtShell::openDocument(const std::string& address) {
    const QString text = QString::fromStdString(address);
    QUrl url(text);
    if (url.scheme().size() <= 1) {  // none, or a drive letter
        const int hash = text.indexOf('#');
        url = QUrl::fromLocalFile(hash < 0 ? text : text.left(hash));
        if (hash >= 0) url.setFragment(text.mid(hash + 1));
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace tramond
