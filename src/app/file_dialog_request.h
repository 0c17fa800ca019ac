#pragma once
// What a file dialog is asked for: the same request serves the main window's
// prompter and every dialog's desktop choosers.

#include <filesystem>
#include <string>

namespace tramond {

struct FileDialogRequest {
    std::string title;
    std::filesystem::path directory;  // initial directory; empty for the default
    std::string fileName;             // preset file name
    std::string filter;               // "Applications (*.app)|*.app"
    std::string defaultSuffix;        // "app"
    std::string acceptLabel;          // "&Delete"; empty for the usual one
};

}  // namespace tramond
