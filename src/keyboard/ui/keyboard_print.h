#pragma once
// Printing the keyboard: through the system print dialog, or into a PDF
// file for overlays (A4 landscape, the whole page).

#include <QWidget>

#include <filesystem>
#include <string>

#include "app/prompter.h"

namespace tramond {

class KeyboardEditor;

// Returns "" on success, else why the file was not written.
std::string writeKeyboardPdf(const KeyboardEditor& editor, const std::filesystem::path& file,
                             const std::function<void(const std::string&)>& warning = {});

// The print dialog, then the page. Tells the user when there is no printer
// or the page could not be started; never claims a print it did not make.
void printKeyboard(const KeyboardEditor& editor, QWidget* parent, Prompter& prompter);

}  // namespace tramond
