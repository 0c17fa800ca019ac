#pragma once
// What the register operations need from whoever runs them: message boxes
// and questions, the target dialog, the save dialog of Load from Register,
// the progress window and a way to let the user interface breathe. The
// main window answers with dialogs; the command line with stderr, the
// terminal and --yes; the tests with scripted answers.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "app/prompter.h"
#include "link/progress.h"

namespace tramond {

enum class Answers { OkCancel, YesNo };

struct Question {
    std::string text;
    std::string title;          // "Warning", "Confirm"
    MessageKind kind = MessageKind::Warning;
    Answers answers = Answers::OkCancel;
};

// TCommForm's result.
struct TargetChoice {
    bool proceed = false;
    std::uint8_t terminalNumber = 0;  // 0 direct, 1..24 one network register
    std::uint8_t lastTerminal = 0;    // network loops run terminalNumber..lastTerminal
};

class RegisterOpsHost {
public:
    virtual ~RegisterOpsHost() = default;

    virtual void message(MessageKind kind, const std::string& title, const std::string& text) = 0;
    // True for OK or Yes.
    virtual bool ask(const Question& question) = 0;
    // The target dialog; allowNetwork false greys "All Network Registers"
    // and the network size (Load from Register). The network size may be
    // edited in the dialog, hence the session is the dialog's to change.
    virtual TargetChoice chooseTarget(bool allowNetwork) = 0;
    // The save dialog of Load from Register; nothing when cancelled.
    virtual std::optional<std::filesystem::path> chooseLoadTarget(const std::string& title) = 0;

    // The progress window: shown, changed, closed.
    virtual void showProgress() {}
    virtual void progressChanged(const ProgressState&) {}
    virtual void closeProgress() {}
    // Called between blocks; the place for the Cancel button to be heard.
    virtual void pump() {}
    virtual void wait(std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }
    // The loaded program, its path or the machine number changed: caption,
    // menus and status bar need refreshing.
    virtual void programChanged() {}
};

}  // namespace tramond
