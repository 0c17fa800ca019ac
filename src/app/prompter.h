#pragma once
// What the main window's operations ask of the user: message boxes,
// confirmations and the file dialogs. The Qt adapter shows real dialogs;
// tests answer them.

#include <filesystem>
#include <optional>
#include <string>

namespace tramond {

enum class MessageKind { Information, Warning, Error };

struct FileDialogRequest {
    std::string title;
    std::filesystem::path directory;  // initial directory; empty for the default
    std::string fileName;             // preset file name
    std::string filter;               // "Applications (*.app)|*.app"
    std::string defaultSuffix;        // "app"
    std::string acceptLabel;          // "&Delete"; empty for the usual one
};

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
};

}  // namespace tramond
