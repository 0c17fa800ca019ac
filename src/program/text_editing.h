#pragma once
// The program text editors (General > Program text): a generic line grid
// (`TTextEdit`) and the ten editors that put it over a section of the text
// block or over the PB extra trailer file. Dialogs only show what these
// controllers hold and forward the user's actions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "program/session.h"

namespace tramond {

// What happens to each entry after editing, before the block is written.
enum class EntryRule {
    None,               // every character of the line is text
    PadToEndWithZero,   // blanks up to the last byte, zero in the last byte
    ZeroAtEnd,          // zero in the last byte
};

enum class TextStorage { TextBlock, PbExtraTrailerFile };

struct TextEditorInfo {
    std::string_view handler;     // menu handler name, "mReceiptHeader1Click"
    std::string_view title;       // built-in window title
    int titleText;                // language text of the title (accelerator removed)
    int lines;
    int width;                    // characters per line
    TextStorage storage;
    std::size_t offset;           // section start in the text block
    std::span<const std::uint32_t> changeCodes;
    EntryRule rule;
};

// The ten editors in menu order.
std::span<const TextEditorInfo> textEditors();
const TextEditorInfo* findTextEditor(std::string_view handler);

// The PB extra trailer: 50 lines of 24 characters in its own file.
inline constexpr int kPbExtraTrailerLines = 50;
inline constexpr int kPbExtraTrailerWidth = 24;
inline constexpr std::size_t kPbExtraTrailerSize = 1200;
inline constexpr std::uint32_t kPbExtraTrailerChangeCode = 90;

// The PB extra trailer exists only with PB accounts and the PB trailer bit.
bool pbExtraTrailerAvailable(const ApplicationBlock& app);

// The controller of `TTextEdit`: a grid of lines of fixed width in display
// text (UTF-8); widths count characters, not bytes.
class LineGrid {
public:
    static constexpr std::string_view kEmptyMark = "@";

    // `lines` holds the text of each line up to its first zero byte; an
    // empty string is an empty line. Missing lines are empty.
    LineGrid(int lineCount, int width, std::vector<std::string> lines);

    int lineCount() const { return static_cast<int>(cells_.size()); }
    int width() const { return width_; }

    // What row `row` shows: its text, or "@" for an empty line.
    const std::string& cell(int row) const { return cells_.at(static_cast<std::size_t>(row)); }
    // The "Out of Line" warning.
    bool outOfLine() const { return outOfLine_; }

    // The text of a cell changes while it is edited (no cut yet).
    void edit(int row, std::string text);
    // A key is released in the cell: an over-long text is cut.
    void keyReleased(int row);
    // The grid loses the focus: every over-long cell is cut.
    void focusLost();

    // OK: builds the result from the cells.
    void accept();
    bool accepted() const { return accepted_; }
    // After accept(): each line's text (padded with blanks to the width),
    // or nullopt for an empty line.
    const std::vector<std::optional<std::string>>& result() const { return result_; }

    static std::size_t characterCount(std::string_view utf8);
    static std::string cutToCharacters(std::string_view utf8, std::size_t count);

private:
    void cut(std::size_t row);

    int width_;
    std::vector<std::string> cells_;
    bool outOfLine_ = false;
    bool accepted_ = false;
    std::vector<std::optional<std::string>> result_;
};

// One text editor opened on the loaded program.
class TextEditorController {
public:
    enum class Check { Ok, NoProgram, NotAvailable };
    enum class Outcome { Saved, WriteFailed };

    // Whether the editor may open ("No Program Loaded !", "Not Available
    // with this Application !!").
    static Check check(const ProgramSession& session, const TextEditorInfo& info);

    // Reads the section (or the PB extra trailer file, creating it with
    // zeros when missing).
    TextEditorController(ProgramSession& session, const TextEditorInfo& info);

    const TextEditorInfo& info() const { return info_; }
    LineGrid& grid() { return grid_; }
    const LineGrid& grid() const { return grid_; }

    // Called however the editor closed. After OK: stores the grid, applies
    // the section's rule, marks the change codes and rewrites the file.
    // Without OK nothing is written and nothing marked.
    Outcome finish();

private:
    std::vector<std::uint8_t> sectionBytes() const;

    ProgramSession& session_;
    const TextEditorInfo& info_;
    std::vector<std::uint8_t> original_;  // the OEM bytes that were opened
    LineGrid grid_;
};

// The byte rules, exposed for the file formats' own tests.
// Builds `lines` x `width` OEM bytes from an accepted grid: blanks, an empty
// line starts with a zero byte, text at the start of its line.
std::vector<std::uint8_t> encodeLines(const LineGrid& grid);
// Applies a section rule to every `width`-byte entry of `bytes`.
void applyEntryRule(std::span<std::uint8_t> bytes, int width, EntryRule rule);
// The text of each `width`-byte line up to its first zero byte.
std::vector<std::string> decodeLines(std::span<const std::uint8_t> bytes, int lines, int width);

}  // namespace tramond
