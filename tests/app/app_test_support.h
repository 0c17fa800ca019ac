#pragma once
// Shared by the application tests: a scratch directory and a prompter that
// records what the user was told and answers the dialogs.

#include <deque>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/prompter.h"

namespace tramond {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tramond-app-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct RecordedMessage {
    MessageKind kind;
    std::string title;
    std::string text;
};

class FakePrompter : public Prompter {
public:
    void message(MessageKind kind, const std::string& title, const std::string& text) override {
        messages.push_back({kind, title, text});
    }
    bool confirm(const std::string& title, const std::string& text) override {
        confirmations.push_back({MessageKind::Information, title, text});
        return confirmAnswer;
    }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& r) override {
        requests.push_back(r);
        return next();
    }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& r) override {
        requests.push_back(r);
        return next();
    }

    std::vector<RecordedMessage> messages;
    std::vector<RecordedMessage> confirmations;
    std::vector<FileDialogRequest> requests;
    std::deque<std::optional<std::filesystem::path>> answers;  // nullopt: Cancel
    bool confirmAnswer = true;

private:
    std::optional<std::filesystem::path> next() {
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace tramond
