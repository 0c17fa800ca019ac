#pragma once
// The Setup dialogs beyond the plain counts: thin views over the controllers
// of program/setup_*.h. Each edits the application block of the session; the
// handlers in setup_register.cpp write the files afterwards.

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

#include "program/setup_clerk.h"
#include "program/setup_graph_logo.h"
#include "program/setup_plu.h"
#include "program/setup_prev_balance.h"
#include "program/ui/setup_ui_common.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace tramond::ui {

class TSetupPlu : public QDialog {
    Q_OBJECT
public:
    // The two option buttons open the PLU and barcode option dialogs.
    TSetupPlu(ApplicationBlock& app, InputMessages messages, std::function<void()> pluOptions,
              std::function<void()> barcodeOptions, QWidget* parent = nullptr);

    bool confirmed() const { return confirmed_; }
    QLineEdit* edit(SetupPlu::Field f) const { return edits_[static_cast<std::size_t>(f)]; }
    QCheckBox* check(SetupPlu::Switch s) const { return checks_[static_cast<std::size_t>(s)]; }
    QPushButton* BitBtn1 = nullptr;
    QPushButton* PluOptionsButton = nullptr;
    QPushButton* BarcodeOptionsButton = nullptr;

private:
    void refreshSwitches();
    void BitBtn1Click();

    SetupPlu controller_;
    InputMessages messages_;
    std::array<QLineEdit*, 7> edits_{};
    std::array<QCheckBox*, 4> checks_{};
    bool confirmed_ = false;
};

class TSetupPBTrackBuffer : public QDialog {
    Q_OBJECT
public:
    TSetupPBTrackBuffer(ApplicationBlock& app, InputMessages messages, QWidget* parent = nullptr);

    QLineEdit* edit(SetupPbTrackBuffer::Field f) const { return edits_[static_cast<std::size_t>(f)]; }
    QCheckBox* RandomPlu = nullptr;
    QPushButton* BitBtn1 = nullptr;

private:
    void BitBtn1Click();

    SetupPbTrackBuffer controller_;
    InputMessages messages_;
    std::array<QLineEdit*, 4> edits_{};
};

class TSetupPrevBalance : public QDialog {
    Q_OBJECT
public:
    TSetupPrevBalance(ApplicationBlock& app, InputMessages messages, QWidget* parent = nullptr);

    bool confirmed() const { return confirmed_; }
    // A click on a row: number rows start editing, switches toggle, the track
    // buffer row opens its dialog.
    void clickRow(int row);
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    // Tests replace the modal track-buffer dialog.
    std::function<void(TSetupPBTrackBuffer&)> runTrackBuffer;

private:
    void refresh();
    void itemChanged(QTableWidgetItem* item);
    void BitBtn1Click();

    ApplicationBlock& app_;
    SetupPrevBalance controller_;
    InputMessages messages_;
    bool confirmed_ = false;
    bool filling_ = false;
};

class TSetupClerk : public QDialog {
    Q_OBJECT
public:
    TSetupClerk(ApplicationBlock& app, const QString& numberLabel, InputMessages messages,
                QWidget* parent = nullptr);

    bool confirmed() const { return confirmed_; }
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

private:
    void BitBtn1Click();

    SetupClerk controller_;
    InputMessages messages_;
    bool confirmed_ = false;
};

class TSetupFloatingClerks : public QDialog {
    Q_OBJECT
public:
    TSetupFloatingClerks(ApplicationBlock& app, InputMessages messages, QWidget* parent = nullptr);

    bool confirmed() const { return confirmed_; }
    QLineEdit* edit(SetupFloatingClerks::Field f) const { return edits_[static_cast<std::size_t>(f)]; }
    // Leaving a field checks it.
    void fieldLeft(SetupFloatingClerks::Field f);
    QPushButton* BitBtn1 = nullptr;

private:
    void BitBtn1Click();

    SetupFloatingClerks controller_;
    InputMessages messages_;
    std::array<QLineEdit*, 3> edits_{};
    bool confirmed_ = false;
};

class TSetupGraphLogo : public QDialog {
    Q_OBJECT
public:
    TSetupGraphLogo(ApplicationBlock& app, const QString& title, QWidget* parent = nullptr);

    bool confirmed() const { return confirmed_; }
    QComboBox* ComboBox1 = nullptr;  // size
    QComboBox* ComboBox2 = nullptr;  // density
    QPushButton* BitBtn1 = nullptr;

private:
    SetupGraphLogo controller_;
    bool confirmed_ = false;
};

}  // namespace tramond::ui
