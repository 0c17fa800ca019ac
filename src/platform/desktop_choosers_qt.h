#pragma once
// The desktop's choosers as Qt dialogs. The font dialog is the tool's own:
// a key's font is often a Windows family this computer does not have, and
// it must start from that family, its size and its style (and give them
// back untouched when the user changes nothing) rather than from whatever
// installed family resembles it.

#include <QDialog>

#include "platform/desktop_choosers.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tramond {

class QtDesktopChoosers : public DesktopChoosers {
public:
    std::optional<FontChoice> chooseFont(QWidget* parent, const QString& title, const FontChoice& start) override;
    std::optional<QColor> chooseColour(QWidget* parent, const QString& title, const QColor& start) override;
    std::optional<std::filesystem::path> openFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> openPicture(QWidget* parent, const FileDialogRequest& request) override;

    // "Applications (*.app)|*.app|All Files (*.*)|*.*" as Qt writes it.
    static QString qtFilter(const std::string& filter);
};

class TFontDialog : public QDialog {
    Q_OBJECT
public:
    TFontDialog(const FontChoice& start, const QString& title, QWidget* parent = nullptr);

    // What OK gives: the start values for every field the user left alone.
    FontChoice choice() const;
    // The list line of a family that is not installed: its stored name and
    // the family the screen draws it with.
    static QString missingFamilyLine(const QString& family);

    QLineEdit* familyEdit = nullptr;
    QListWidget* families = nullptr;
    QListWidget* styles = nullptr;   // Regular, Italic, Bold, Bold Italic
    QSpinBox* size = nullptr;
    QCheckBox* underline = nullptr;
    QCheckBox* strikeOut = nullptr;
    QPushButton* colour = nullptr;
    QLabel* sample = nullptr;

private:
    QString chosenFamily() const;
    void showSample();
    void showColour();

    FontChoice start_;
    QColor colour_;
};

}  // namespace tramond
