#pragma once
// What a dialog asks the desktop for: a font, a colour, a file to open or to
// save, a picture. Every dialog reaches the desktop's choosers through this
// one interface, so that a test answers them (Cancel included) and the paths
// after each answer are tested like any other.

#include <QColor>
#include <QFont>
#include <QString>
#include <filesystem>
#include <optional>

#include "app/file_dialog_request.h"

class QWidget;

namespace tramond {

// A font as a key line or a kind's attributes store it: the family by its
// stored name (which need not be installed here; QFont keeps the name it was
// given), the size in points, bold, italic, underline, strike-out, and the
// text colour.
struct FontChoice {
    QFont font;
    QColor colour = Qt::black;
    // Longest family name the caller can store; families with longer names
    // are not offered. 0: no limit.
    int familyLimit = 0;
};

class DesktopChoosers {
public:
    virtual ~DesktopChoosers() = default;
    // Each returns nothing when the user cancels.
    virtual std::optional<FontChoice> chooseFont(QWidget* parent, const QString& title, const FontChoice& start) = 0;
    virtual std::optional<QColor> chooseColour(QWidget* parent, const QString& title, const QColor& start) = 0;
    virtual std::optional<std::filesystem::path> openFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> saveFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // An open dialog that shows the chosen picture beside the list.
    virtual std::optional<std::filesystem::path> openPicture(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The choosers in force: the desktop's own unless a test put others in place.
DesktopChoosers& desktopChoosers();

// Puts `choosers` in force for its own lifetime (tests).
class ScopedDesktopChoosers {
public:
    explicit ScopedDesktopChoosers(DesktopChoosers& choosers);
    ~ScopedDesktopChoosers();
    ScopedDesktopChoosers(const ScopedDesktopChoosers&) = delete;
    ScopedDesktopChoosers& operator=(const ScopedDesktopChoosers&) = delete;

private:
    DesktopChoosers* previous_;
};

}  // namespace tramond
