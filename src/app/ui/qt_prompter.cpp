#include "app/ui/qt_prompter.h"

#include "platform/desktop_choosers_qt.h"

#include <QMessageBox>
#include <QStringList>

namespace tramond {

void QtPrompter::message(MessageKind kind, const std::string& title, const std::string& text) {
    QMessageBox box(kind == MessageKind::Error     ? QMessageBox::Critical
                    : kind == MessageKind::Warning ? QMessageBox::Warning
                                                   : QMessageBox::Information,
                    QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompter::confirm(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString QtPrompter::qtFilter(const std::string& filter) { return QtDesktopChoosers::qtFilter(filter); }

std::optional<std::filesystem::path> QtPrompter::openFile(const FileDialogRequest& request) {
    return desktopChoosers().openFile(parent_, request);
}

std::optional<std::filesystem::path> QtPrompter::saveFile(const FileDialogRequest& request) {
    return desktopChoosers().saveFile(parent_, request);
}

}  // namespace tramond
