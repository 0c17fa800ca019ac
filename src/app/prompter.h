#pragma once
// What the main window's operations ask of the user: message boxes,
// confirmations and the file dialogs. The Qt adapter shows real dialogs;
// tests answer them.

#include <filesystem>
#include <optional>
#include <string>

#include "app/file_dialog_request.h"

namespace tramond {

enum class MessageKind { Information, Warning, Error };


class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void message(MessageKind kind, const std::string& title, const std::string& text) = 0;
    // OK / Cancel; true for OK.
    virtual bool confirm(const std::string& title, const std::string& text) = 0;
    virtual std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) = 0;
};

// Opens a document or web address with the desktop's handler.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool openDocument(const std::string& address) = 0;
    // Whether this computer has a program to show web pages and HTML files
    // (the help, the home page). The desktop may start its opener and
    // report success even when that finds nothing to show the page with.
    virtual bool hasBrowser() const { return true; }
};

}  // namespace tramond
