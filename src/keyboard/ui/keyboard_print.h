#pragma once
// Printing the keyboard: through the system print dialog, or into a PDF
// file for overlays. The board lies inside the printable area under a title
// line (program, keyboard and machine, date, scale), fitted to the page or
// at the register's true key pitch so that the sheet can be cut and slid
// under the key cover.

#include <QPageSize>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/prompter.h"

namespace tramond {

class KeyboardEditor;

// Distances between key centres on the register, in millimetres.
struct KeyPitch {
    double across = 0;
    double down = 0;
};
// "19" (down in the board's own proportion) or "19x17"; nullopt for
// anything else or a pitch outside 5..60 mm.
std::optional<KeyPitch> parseKeyPitch(std::string_view text);

// A printer cuts off what lies closer than this to the paper's edge; the
// PDF keeps it free too, as it will go through such a printer.
inline constexpr double kPrintableMarginMm = 5;

struct KeyboardPrintOptions {
    std::optional<KeyPitch> pitch;  // none: fitted to the page
    QPageSize paper{QPageSize::A4};
};

// "" when the board (true scale) and its title fit the paper's printable
// area, else what it needs and what the paper has.
std::string checkKeyboardPaper(const KeyboardPrintOptions& options);

// The date and time of a title line.
std::string printTimestamp();

// One printed page: an open keyboard and the parts of its title line.
struct KeyboardSheet {
    const KeyboardEditor* editor = nullptr;
    std::vector<std::string> title;
};

// The title parts of a keyboard: the program, which keyboard (and of which
// network register), the date and time given.
std::vector<std::string> keyboardTitle(const KeyboardEditor& editor, const std::string& timestamp);

// One page per sheet. Returns "" on success, else why nothing was written
// (a true-scale board that does not fit the paper among the reasons).
std::string writeKeyboardPdf(std::span<const KeyboardSheet> sheets, const std::filesystem::path& file,
                             const KeyboardPrintOptions& options = {},
                             const std::function<void(const std::string&)>& warning = {});

// The print dialog, then the page. Tells the user when there is no printer
// or the page could not be started; never claims a print it did not make.
void printKeyboard(const KeyboardEditor& editor, QWidget* parent, Prompter& prompter);

}  // namespace tramond
