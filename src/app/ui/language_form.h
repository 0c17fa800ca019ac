#pragma once
// TLanguageForm: the language chooser shown at start when the program's own
// directory has no language pack.

#include <QButtonGroup>
#include <QDialog>
#include <filesystem>
#include <vector>

namespace tramond {

class TLanguageForm : public QDialog {
    Q_OBJECT
public:
    explicit TLanguageForm(std::filesystem::path programDir, QWidget* parent = nullptr,
                           std::vector<std::filesystem::path> resourceDirs = {});

    // The chosen entry: 0..6 a language, 7 "Recreate original text".
    int choice() const;
    void setChoice(int index);
    // The copy failures of the last OK, in order.
    const std::vector<std::string>& failures() const { return failures_; }
    // OK without showing the failure messages (tests).
    void setQuiet(bool quiet) { quiet_ = quiet; }

public slots:
    void BitBtn1Click();

private:
    std::filesystem::path programDir_;
    std::vector<std::filesystem::path> resourceDirs_;
    QButtonGroup* group_;
    std::vector<std::string> failures_;
    bool quiet_ = false;
};

}  // namespace tramond
