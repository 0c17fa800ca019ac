#pragma once
// What the keyboard editor needs from the rest of the tool: the tool's
// directory where "bkeyboard.set" lives, and messages on a stream for the
// command line.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>

#include "app/prompter.h"

namespace tramond {

// TRAMOND_HOME, or the executable's directory, or the user's data directory.
std::filesystem::path toolDirectory();
std::filesystem::path keyAttributeFile();

// Messages as "Title: text" lines; questions are answered no.
class StreamPrompter : public Prompter {
public:
    explicit StreamPrompter(std::ostream& out) : out_(out) {}
    void message(MessageKind, const std::string& title, const std::string& text) override {
        out_ << title << ": " << text << '\n';
    }
    bool confirm(const std::string&, const std::string&) override { return false; }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest&) override { return std::nullopt; }

private:
    std::ostream& out_;
};

}  // namespace tramond
