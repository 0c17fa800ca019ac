#pragma once
// The desktop's choosers answered by the test: each call takes the next
// scripted answer (nothing = Cancel) and records what it was asked, so a
// test sees the start values a dialog offered and drives the Cancel paths.

#include <deque>
#include <vector>

#include "platform/desktop_choosers.h"

namespace tramond::testing {

class FakeChoosers : public DesktopChoosers {
public:
    std::deque<std::optional<FontChoice>> fonts;
    std::deque<std::optional<QColor>> colours;
    std::deque<std::optional<std::filesystem::path>> files;  // open, save and picture alike

    // With no scripted answer left: OK on what the dialog started from (the
    // user changed nothing) rather than Cancel.
    bool okUnchanged = false;

    std::vector<FontChoice> fontStarts;
    std::vector<QColor> colourStarts;
    std::vector<FileDialogRequest> fileRequests;

    std::optional<FontChoice> chooseFont(QWidget*, const QString&, const FontChoice& start) override {
        fontStarts.push_back(start);
        if (fonts.empty() && okUnchanged) return start;
        return next(fonts);
    }
    std::optional<QColor> chooseColour(QWidget*, const QString&, const QColor& start) override {
        colourStarts.push_back(start);
        if (colours.empty() && okUnchanged) return start;
        return next(colours);
    }
    std::optional<std::filesystem::path> openFile(QWidget*, const FileDialogRequest& r) override { return file(r); }
    std::optional<std::filesystem::path> saveFile(QWidget*, const FileDialogRequest& r) override { return file(r); }
    std::optional<std::filesystem::path> openPicture(QWidget*, const FileDialogRequest& r) override { return file(r); }

private:
    template <typename T>
    static std::optional<T> next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::filesystem::path> file(const FileDialogRequest& r) {
        fileRequests.push_back(r);
        return next(files);
    }
};

// The fake in force for one test.
struct UsingFakeChoosers {
    FakeChoosers fake;
    ScopedDesktopChoosers scope{fake};
};

}  // namespace tramond::testing
