#include "platform/shell_qt.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
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

bool QtShell::hasBrowser() const {
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    if (!QStandardPaths::findExecutable("x-www-browser").isEmpty()) return true;
    const QString mime = QStandardPaths::findExecutable("xdg-mime");
    if (mime.isEmpty()) return false;
    QProcess query;
    query.start(mime, {"query", "default", "text/html"});
    if (!query.waitForFinished(2000)) {
        query.kill();
        // A desktop too slow to answer still gets the page sent its way.
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace tramond
