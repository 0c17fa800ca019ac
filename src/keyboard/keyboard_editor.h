#pragma once
// The keyboard editor (TKeyboard) without its window: opening or creating
// the keyboard layout file of the current machine, the keyboard chooser of a
// network, manager keys, removing keys, the default look per key kind, and
// rebuilding captions. Every change of a keyboard region of the block goes
// through one commit: the ".app" file, the keyboard file's header and the
// update list (the block that holds each changed byte) move together.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "app/prompter.h"
#include "keyboard/key_functions.h"
#include "keyboard/keyboard_file.h"
#include "program/session.h"

namespace tramond {

enum class KeyboardMode { Register, System };

// The register block number that carries an application-block byte (the
// block-number map); nullopt for bytes no system block carries.
using BlockLocator = std::function<std::optional<std::uint32_t>(std::size_t appOffset)>;

struct KeyboardEditorServices {
    Prompter& prompter;
    KeyNameSource& names;
    BlockLocator locate;
    // The main window's status panel ("Settings for machine : 3").
    std::function<void(const std::string&)> status = {};
};

class KeyboardEditor {
public:
    KeyboardEditor(ProgramSession& session, const LanguageTexts& texts, KeyboardMode mode,
                   std::filesystem::path attributeFile, KeyboardEditorServices services);

    // Creates "bkeyboard.set" when missing, opens (or creates) the keyboard
    // file of the current machine. False, after a message, when it cannot.
    bool open();
    // For printing: reads "bkeyboard.set" and the keyboard file of the
    // current machine, creating and writing neither; what a file lacks is
    // built in memory as opening the editor builds it. Every change is then
    // refused.
    bool openForReading();
    bool isOpen() const { return file_.has_value(); }
    KeyboardMode mode() const { return mode_; }
    const ProgramSession& session() const { return session_; }

    // The chooser of a network's individual keyboards.
    bool chooserVisible() const;
    std::vector<std::string> chooserEntries() const;  // "SHOP.kbf", "SHOP.kb2" ..
    int chooserIndex() const;
    // Saves the open keyboard's header, opens the chosen one, makes its
    // machine current. False (the old keyboard stays open) on failure.
    bool chooseKeyboard(int index);

    // What a key shows.
    const KeyRecord& record(int position) const { return file_->record(position); }
    std::uint16_t code(int position) const;
    bool managerKey(int position) const;
    std::optional<int> specialKeyAt(int position) const;  // 0..11
    std::uint8_t systemChar(int position) const;
    // Whether the key shows its system caption band (special keys; keys with
    // a character in register keyboard mode).
    bool showsSystemBand(int position) const;
    // System keyboard mode: a character key drawn white with its character only.
    bool isCharacterKey(int position) const;
    std::string specialKeyName(int k) const;

    // Pop-up menu and buttons.
    bool toggleManager(int position);
    bool removeKey(int position);
    bool assignAttributes();
    // The look of every key not edited individually from its kind.
    void applyAttributes();
    bool updateKeyboard();

    // Add key function: the key gets the code, a fresh one-line record with
    // the caption of the code. Code 0 is refused.
    bool setKeyFunction(int position, std::uint16_t code);
    // System keyboard: makes the key special key k (0..11).
    bool setSpecialKey(int position, int k);
    // Character chooser: an OEM character, or nullopt to delete it.
    bool setSystemCharacter(int position, std::optional<std::uint8_t> oem);
    // Whether a right click on the system keyboard opens the character chooser.
    bool acceptsCharacter(int position) const;
    // Key editor OK and Key Info: stores a record as given.
    bool storeRecord(int position, const KeyRecord& record);
    // Key Info: rebuilds line 1's caption after the record editor closed.
    bool refreshCaption(int position);

    // The default look per kind ("Set Attributes").
    const KeyAttributes& attributes() const { return attributes_; }
    bool setAttributes(int kind, const KeyLineStyle& style);

    // Closes the keyboard file (its header is written back).
    void close();

    const std::filesystem::path& filePath() const { return file_->path(); }
    std::filesystem::path keyboardPathOf(int machine) const;
    // The system caption of a key as "Update Keyboard" writes it.
    std::string systemCaptionOf(int position) const;

private:
    bool openMachine(int machine);
    // Price and article level keys drawn by an earlier version without their
    // level ("PL#", or nothing) get their caption, in memory.
    void completeLevelCaptions(KeyboardFile& file, KeyCaptions& captions) const;
    void buildRecord(int position, KeyRecord& record, KeyCaptions& captions) const;
    void applyKindLook(int position, KeyRecord& record) const;
    // Writes the ".app" (when the block changed), the keyboard file, and
    // marks the blocks of the changed block offsets.
    bool commit(const std::vector<std::size_t>& changedOffsets);
    bool writeKeyboardFile();
    void showMessages(KeyCaptions& captions);
    void error(const std::string& text);

    ProgramSession& session_;
    const LanguageTexts& texts_;
    KeyboardMode mode_;
    std::filesystem::path attributeFile_;
    KeyboardEditorServices services_;
    KeyAttributes attributes_;
    std::optional<KeyboardFile> file_;
    bool readOnly_ = false;
};

}  // namespace tramond
