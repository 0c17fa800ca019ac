#pragma once
// TTovikOptions: the handheld options, a view over TovikOptionsController.

#include <QDialog>
#include <array>
#include <functional>

#include "app/prompter.h"
#include "handheld/tovik_options.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tramond {

class TTovikOptions : public QDialog {
    Q_OBJECT
public:
    TTovikOptions(TovikOptionsController& controller, Prompter& prompter, QWidget* parent = nullptr);

    QLineEdit* EdtTimer = nullptr;
    QLineEdit* EdtStandBy = nullptr;
    QLineEdit* EdtLight = nullptr;
    QLineEdit* EdtDoubleClick = nullptr;
    std::array<QCheckBox*, 8> CBOption{};
    QComboBox* CmbBRegNum = nullptr;
    QLabel* LblRegNum = nullptr;
    QComboBox* CmbBTovik = nullptr;
    QComboBox* CmbBClerk = nullptr;
    QComboBox* CmbBType = nullptr;
    QComboBox* CmbBPort = nullptr;
    QComboBox* CmbBTrmnlNum = nullptr;
    std::array<QCheckBox*, 3> CBGeneral{};

    void BitBtn1Click();
    // Escape, Cancel and the close box: the controller puts everything back.
    void reject() override;
    // Told after the current machine changed (the main window's status text
    // follows it). May be empty.
    std::function<void()> machineChanged;

private:
    void pull();
    void push();
    void showRecord();
    void leaveValue(QLineEdit* box, bool timer);

    TovikOptionsController& controller_;
    Prompter& prompter_;
    bool leaving_ = false;
};

}  // namespace tramond
