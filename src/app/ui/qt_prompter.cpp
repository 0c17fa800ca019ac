#include "app/ui/qt_prompter.h"

#include <QFileDialog>
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

QString QtPrompter::qtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        // The description normally names its patterns already.
        out << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + pattern + ")");
    }
    return out.join(";;");
}

std::optional<std::filesystem::path> QtPrompter::fileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent_, QString::fromStdString(request.title),
                       QString::fromStdString(request.directory.string()), qtFilter(request.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the tool asks in its own words
    if (!request.defaultSuffix.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (!request.acceptLabel.empty()) {
        // A relabelled button needs the widget-based dialog on every desktop.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(request.acceptLabel));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().first().toStdString());
}

std::optional<std::filesystem::path> QtPrompter::openFile(const FileDialogRequest& request) {
    return fileDialog(request, false);
}

std::optional<std::filesystem::path> QtPrompter::saveFile(const FileDialogRequest& request) {
    return fileDialog(request, true);
}

}  // namespace tramond
