#pragma once
// The option-dialog engine. An option dialog is a table of controls, each
// bound to bytes or bits of the application block; the engine runs the edit
// cycle every option dialog shares: snapshot on opening, controls filled from
// the block, change handlers that write at once where a control says so, OK
// writing every control, the byte comparison with the snapshot, marking the
// block in the update list and rewriting the ".app" file only when the block
// changed, and the language gating of captions and enabled states.
//
// Views build their widgets from the same table and only forward the user's
// actions; everything a dialog decides is decided here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/language_texts.h"
#include "program/machine_printer.h"
#include "program/session.h"

namespace tramond {

class OptionDialog;

enum class ControlKind {
    CheckBox,
    NumberBox,  // digits only; an empty box counts as 0
    List,       // a drop-down list; the value is the item index
    Label,      // display only, no value
};

// Where a control's value lives in the application block.
struct Binding {
    enum class Kind {
        None,
        Bit,         // one bit (mask) of a byte: check boxes
        Byte,        // the whole byte
        Field,       // the bits of `mask`, value shifted down to bit 0
        PortDigit,   // units digit of a machine and port byte (10 x machine + port)
        TensDigit,   // tens digit of such a byte
    };
    Kind kind = Kind::None;
    std::size_t offset = 0;
    std::uint8_t mask = 0;

    int read(const ApplicationBlock& app) const;
    void write(ApplicationBlock& app, int value) const;
};

// Option K of system flag N (bit K-1).
Binding flagOption(int flag, int option);
// The whole byte of system flag N.
Binding flagValue(int flag);
// The bits of `mask` in system flag N.
Binding flagField(int flag, std::uint8_t mask);
Binding flagPortDigit(int flag);
Binding flagTensDigit(int flag);
// Bytes outside the flag region.
Binding blockBit(std::size_t offset, int bit);
Binding blockByte(std::size_t offset);
Binding blockField(std::size_t offset, std::uint8_t mask);

// When a control may be used.
enum class Gate {
    Text,    // enabled(n) of its gating text (the caption text unless given)
    Always,  // as the form gives it
    Never,   // display only: shows the block, writes back what it shows
    Custom,  // decided by the control's fill hook (enabled by default)
};

// A list item: a language text, or a fixed text when `text` is negative.
struct ListItem {
    int text = -1;
    std::string literal;
};

struct ControlState;

// A message for the user: language texts already resolved.
struct Message {
    enum class Kind { Information, Warning, Error };
    Kind kind = Kind::Error;
    std::string title;
    std::string text;
    // The control that gets the focus (text selected) once the message is
    // read; empty for none.
    std::string focus;
};


// One row of a dialog table.
struct ControlRow {
    std::string_view name;       // "CheckBox1", "CBFlag88opt6"
    ControlKind kind = ControlKind::CheckBox;
    std::string_view labelName;  // the label of a list or number box ("Label1")
    // Caption: prefix, language text (or the literal when text < 0), suffix.
    std::string_view prefix;
    int text = -1;
    std::string_view literal;
    bool plainCaption = false;   // accelerator marks removed
    std::string_view suffix;
    int suffixText = -1;
    Binding binding;
    bool inverted = false;       // a check box shows the opposite of its bit
    Gate gate = Gate::Text;
    int gateText = -1;           // gating text when it is not the caption text
    std::vector<ListItem> items;
    std::vector<int> values;     // stored value of each item (empty: the index)
    int maxLength = 0;           // number boxes: most characters typed (0: any)
    int maxValue = -1;           // number boxes: largest value (-1: what the binding holds)
    bool writeOnChange = false;  // a change writes the block at once
    bool writeOnOk = true;
    bool hidden = false;
    std::string_view hint;

    // Hooks for controls with their own encoding or behaviour.
    // Value shown from the block (check box 0/1, list index, number).
    std::function<int(const OptionDialog&)> read;
    // Stores the value into the block (list: index, -1 when nothing is chosen).
    std::function<void(OptionDialog&, int value)> write;
    // Builds items and the enabled state on opening, after the generic fill.
    std::function<void(OptionDialog&, ControlState&)> fill;
    // Runs after every change the user makes to the control.
    std::function<void(OptionDialog&)> changed;
    // Runs before a change the user makes (a click, a choice, typing); false
    // refuses the change. It may post a message.
    std::function<bool(OptionDialog&)> click;
    // Number boxes: checks the text when the box is left; a message means
    // the text is refused (the hook puts the text the box then shows).
    std::function<std::optional<Message>(OptionDialog&, std::size_t index)> validate;

    // Table-building helpers.
    ControlRow&& invert() && { inverted = true; return std::move(*this); }
    ControlRow&& gated(Gate g, int n = -1) && { gate = g; gateText = n; return std::move(*this); }
    ControlRow&& label(std::string_view n) && { labelName = n; return std::move(*this); }
    ControlRow&& plain() && { plainCaption = true; return std::move(*this); }
    ControlRow&& atOnce() && { writeOnChange = true; return std::move(*this); }
    ControlRow&& notOnOk() && { writeOnOk = false; return std::move(*this); }
    ControlRow&& withItems(std::vector<ListItem> i) && { items = std::move(i); return std::move(*this); }
    ControlRow&& withValues(std::vector<int> v) && { values = std::move(v); return std::move(*this); }
    ControlRow&& withHint(std::string_view h) && { hint = h; return std::move(*this); }
    ControlRow&& maxChars(int n) && { maxLength = n; return std::move(*this); }
    ControlRow&& upTo(int n) && { maxValue = n; return std::move(*this); }
    ControlRow&& hide() && { hidden = true; return std::move(*this); }
    // Leaving the box with an empty or non-numeric text is refused with
    // "Wrong Input!".
    ControlRow&& numberRequired() &&;
};

// A control the language pack does not gate.
inline ControlRow always(ControlRow&& row) { return std::move(row).gated(Gate::Always); }

// Check box "prefix + text n" on `binding`, gated by enabled(n).
ControlRow checkBox(std::string_view name, std::string_view prefix, int text, Binding binding);
ControlRow numberBox(std::string_view name, std::string_view prefix, int text, Binding binding);
ControlRow list(std::string_view name, std::string_view prefix, int text, Binding binding);
// Items "Not Used" (language text 321), then "1" .. "last".
std::vector<ListItem> portItems(int last = 7);
// Items "first" .. "last" as digits.
std::vector<ListItem> numberItems(int first, int last);

// Whole-dialog rules.
struct OptionDialogTable {
    std::string_view name;      // "TGeneralOptions"
    int captionText = -1;       // window caption, accelerator removed
    std::string_view caption;   // used when captionText < 0 or the text is empty
    std::vector<ControlRow> controls;
    // Runs once the controls are filled on opening; it may post messages.
    std::function<void(OptionDialog&)> opened;
    // Runs on OK before any control is written; a message keeps the dialog
    // open and the block untouched.
    std::function<std::optional<Message>(OptionDialog&)> validateOk;
    // Runs on OK after the controls were written, before the comparison.
    std::function<void(OptionDialog&)> beforeSave;
    // Runs on OK after the save, whether or not the block changed; it may
    // post messages.
    std::function<void(OptionDialog&, bool changed)> afterOk;
};

// A table with its form name and caption (language text, or `caption` when
// the pack leaves it empty).
OptionDialogTable dialogTable(std::string_view name, int captionText, std::string_view caption);

// The state of one control as the view shows it.
struct ControlState {
    std::string caption;
    bool visible = true;
    bool enabled = true;
    std::vector<std::string> items;
    int value = 0;     // check box 0/1, list index (-1 none), number box unused
    std::string text;  // number box text
    std::string hint;  // tool tip; the row's unless a fill hook sets another
};

// Dialogs open with their left edge on the main window's, 45 pixels below
// its top.
struct DialogPosition {
    int left = 0;
    int top = 0;
};
DialogPosition placeDialog(int mainWindowLeft, int mainWindowTop);
inline constexpr int kDialogTopOffset = 45;

struct OkResult {
    bool close = false;    // the dialog closes
    bool changed = false;  // the block differed from the snapshot
    bool saved = false;    // the ".app" file was written (the block differed from it)
    // Block numbers added to the update list: every block whose bytes differ
    // from the ".app" on disk, whichever dialog changed them.
    std::vector<std::uint16_t> marked;
    std::optional<Message> message;
};

// OK's save of the ".app": written against the disk, not a snapshot, so
// whatever differs from it reaches the update list with this save. Fills
// `saved` and `marked`; false (nothing written) when it failed.
bool saveApplication(ProgramSession& session, OkResult& result);

class OptionDialog {
public:
    // A dialog on its own owns the edit cycle; a nested one (opened from
    // another option dialog) only writes its controls into the block on OK
    // and leaves the comparison and the save to the dialog that opened it.
    enum class Mode { Standalone, Nested };

    // Opening: takes the snapshot and fills every control from the block. A
    // nested dialog shares the machines of the dialog that opened it.
    OptionDialog(const OptionDialogTable& table, ProgramSession& session, const LanguageTexts& texts,
                 Mode mode = Mode::Standalone, OptionDialog* opener = nullptr);

    const OptionDialogTable& table() const { return table_; }
    std::string caption() const;

    std::size_t size() const { return states_.size(); }
    const ControlRow& row(std::size_t i) const { return table_.controls.at(i); }
    const ControlState& state(std::size_t i) const { return states_.at(i); }
    ControlState& state(std::size_t i) { return states_.at(i); }
    // Throws std::out_of_range for an unknown name.
    std::size_t indexOf(std::string_view name) const;
    const ControlState& control(std::string_view name) const { return states_[indexOf(name)]; }
    ControlState& control(std::string_view name) { return states_[indexOf(name)]; }

    // The user's actions. Each is refused (returns false) on a disabled or
    // hidden control and on a value the control cannot take.
    bool setChecked(std::string_view name, bool checked);
    bool select(std::string_view name, int item);
    bool setText(std::string_view name, std::string text);
    // The user leaves a number box: a refused text empties the box and
    // returns the message to show.
    std::optional<Message> leave(std::string_view name);

    // OK: writes every control, compares, saves.
    OkResult ok();
    // Cancel, Escape or the close box: the block, the current machine and
    // every file are as they were when the dialog opened, whatever the
    // change handlers wrote at once.
    void cancel();

    // Shows every control from the block again (after another machine's
    // settings were loaded into it).
    void refill();

    // Messages hooks posted since the view last took them, in order.
    void post(Message message) { messages_.push_back(std::move(message)); }
    std::vector<Message> takeMessages() { return std::exchange(messages_, {}); }
    Mode mode() const { return mode_; }
    // Called by hooks that changed more than the block, such as the current
    // machine (the main window's status text follows it). May be empty.
    std::function<void()> sessionChanged;

    // What the hooks work on.
    ApplicationBlock& block() { return session_.app; }
    const ApplicationBlock& block() const { return session_.app; }
    const ApplicationBlock& snapshot() const { return snapshot_; }
    // The machines' printer and port values while the dialog is open.
    MachineEdits& machines() { return opener_ ? opener_->machines() : machines_; }
    const MachineEdits& machines() const { return opener_ ? opener_->machines() : machines_; }
    ProgramSession& session() { return session_; }
    const ProgramSession& session() const { return session_; }
    const LanguageTexts& texts() const { return texts_; }
    // A language text, or `fallback` when the loaded pack leaves it empty.
    std::string text(int n, std::string_view fallback = {}) const;
    // The value a control shows (number boxes: their number, empty = 0).
    int value(std::size_t i) const;
    // Writes one control into the block now.
    void writeControl(std::size_t i);
    // The standard message "Wrong Input!" titled "Error".
    Message wrongInput() const;
    // "Error opening File !!" titled "Error".
    Message fileError() const;
    // The largest number a number box may hold.
    int limit(std::size_t i) const;

private:
    void fillControl(std::size_t i);
    bool usable(std::size_t i) const;
    bool allowed(std::size_t i);
    void afterChange(std::size_t i);
    std::optional<Message> checkLimit(std::size_t i);

    const OptionDialogTable& table_;
    ProgramSession& session_;
    const LanguageTexts& texts_;
    Mode mode_;
    OptionDialog* opener_;
    ApplicationBlock snapshot_;
    MachineEdits machines_;
    std::vector<ControlState> states_;
    std::vector<Message> messages_;
};

// Whether a text is a non-negative number (digits only, not empty).
bool isNumber(std::string_view text);
// The number in a box: empty or not a number counts as 0. Values too large
// for any box read as 100000, which every limit refuses.
int numberValue(const std::string& text);

}  // namespace tramond
