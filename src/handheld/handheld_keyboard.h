#pragma once
// The handheld keyboard (TTovikKeyboard) without its window: the fourteen
// programmable keys of a handheld, whose function codes are the first 28
// bytes of the register configuration file's common part, chosen from the
// same groups as register keys (a shorter group list: handhelds have no
// drawer or clerk keys).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "app/prompter.h"
#include "keyboard/key_function_chooser.h"
#include "program/register_config.h"
#include "program/session.h"

namespace tramond {

inline constexpr int kHandheldKeys = 14;

// Key k (1..14) of a common part, little-endian at 2 x (k - 1).
std::uint16_t handheldKeyCode(const ConfigCommon& common, int key);
void setHandheldKeyCode(ConfigCommon& common, int key, std::uint16_t code);

class HandheldKeyboard {
public:
    // pluLines: the PLU list for PLUs addressed by code (list position is
    // what the register numbers them by); names should name PLU keys through
    // the same list.
    HandheldKeyboard(ProgramSession& session, const LanguageTexts& texts, KeyNameSource& names, Prompter& prompter,
                     PluLines* pluLines = nullptr);

    // Reads the key codes. A missing file is reported and then created with
    // the default codes. False when the file exists but cannot be read:
    // there is nothing to edit, and nothing must be written over it.
    bool open();

    std::uint16_t code(int key) const;
    const std::string& caption(int key) const;

    // Selecting a key opens the function area; every choice ends it.
    void select(int key);
    std::optional<int> selected() const { return selected_; }

    // The twelve group names of the first list ("&" removed).
    std::vector<std::string> groups() const;
    static constexpr int kGroupCount = 12;
    // The entries of a group; an empty kind or a file that cannot be read
    // is reported and lists nothing.
    std::vector<std::string> entries(int group);

    // Gives the selected key the entry's function and ends the selection.
    // PL# and AL# need a level first: then nothing changes, the selection
    // stays and the return value is the highest level to ask for.
    int choose(int group, int entry);
    // The level answered for a PL#/AL# entry of "Fixed"; a level outside
    // 1..maximum gives "Wrong Input!" and keeps the selection.
    bool chooseLevel(int entry, long level);
    // "Clear Key": no function, no caption.
    void clearKey();
    // "Cancel": ends the selection without change.
    void cancel() { selected_.reset(); }

    bool changed() const { return common_ != original_; }
    // OK: writes the common part and marks its block when a key changed.
    // False (reported) when the file cannot be written; nothing is marked.
    bool save();

private:
    void assign(std::uint16_t code);
    void refreshCaption(int key);
    void report(const KeyMessage& m);
    static std::size_t at(int key);

    ProgramSession& session_;
    Prompter& prompter_;
    KeyFunctionChooser chooser_;
    KeyCaptions captions_;
    RegisterConfigFile file_;
    ConfigCommon common_{};
    ConfigCommon original_{};
    std::array<std::string, kHandheldKeys> caption_;
    std::optional<int> selected_;
};

}  // namespace tramond
