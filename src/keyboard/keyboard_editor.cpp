#include "keyboard/keyboard_editor.h"

#include <algorithm>
#include <set>

#include "keyboard/keyboard_geometry.h"
#include "program/codepage.h"
#include "program/file_io.h"
#include "program/file_set.h"

namespace tramond {
namespace {

constexpr int kSpecialKeyTexts[appblock::kSpecialKeyCount] = {273, 274, 275, 276, 277, 278,
                                                              279, 280, 281, 474, 761, 762};
// The kind whose look keys without a kind of their own take (condiment keys).
constexpr int kFallbackKind = 1;

}  // namespace

KeyboardEditor::KeyboardEditor(ProgramSession& session, const LanguageTexts& texts, KeyboardMode mode,
                               std::filesystem::path attributeFile, KeyboardEditorServices services)
    : session_(session), texts_(texts), mode_(mode), attributeFile_(std::move(attributeFile)),
      services_(std::move(services)) {}

void KeyboardEditor::error(const std::string& text) {
    services_.prompter.message(MessageKind::Error, std::string(kErrorTitle), text);
}

void KeyboardEditor::showMessages(KeyCaptions& captions) {
    for (const auto& m : captions.takeMessages()) services_.prompter.message(MessageKind::Error, m.title, m.text);
}

bool KeyboardEditor::open() {
    try {
        attributes_ = KeyAttributes::loadOrCreate(attributeFile_);
    } catch (const FileError& e) {
        // The editor still works with the built-in look; the user is told why
        // changes to it will not last.
        error(e.what());
    }
    return openMachine(session_.machineNumber);
}

bool KeyboardEditor::openForReading() {
    readOnly_ = true;
    try {
        std::error_code ec;
        attributes_ = std::filesystem::exists(attributeFile_, ec) ? KeyAttributes::fromBytes(readFile(attributeFile_))
                                                                  : KeyAttributes();
    } catch (const FileError& e) {
        error(e.what());
    }
    return openMachine(session_.machineNumber);
}

std::filesystem::path KeyboardEditor::keyboardPathOf(int machine) const {
    return fileset::keyboardFile(session_.programPath, machine);
}

bool KeyboardEditor::openMachine(int machine) {
    const auto path = keyboardPathOf(machine);
    try {
        auto read = KeyboardFile::read(path, session_.app);
        std::vector<int> build;
        if (read) {
            build = read->missing();
        } else {
            read.emplace(path);
            for (int p = 0; p < kKeyPositions; ++p) build.push_back(p);
        }
        KeyCaptions captions(session_.app, texts_, services_.names);
        if (!build.empty() || !read->headerRead()) {
            for (const int p : build) {
                KeyRecord fresh;
                applyKindLook(p, fresh);
                buildRecord(p, fresh, captions);
                read->record(p) = fresh;
            }
            if (!readOnly_) read->write(session_.app);
        }
        completeLevelCaptions(*read, captions);
        showMessages(captions);
        file_ = std::move(read);
        return true;
    } catch (const FileError& e) {
        error(e.what());
        return false;
    }
}

bool KeyboardEditor::chooserVisible() const {
    return session_.app.get(appblock::kIndividualKeyboards) && session_.app.flag(appblock::kFlagNetworkSize) > 1;
}

std::vector<std::string> KeyboardEditor::chooserEntries() const {
    std::vector<std::string> out;
    if (!chooserVisible()) return out;
    for (int m = 1; m <= session_.app.flag(appblock::kFlagNetworkSize); ++m)
        out.push_back(keyboardPathOf(m).filename().string());
    return out;
}

int KeyboardEditor::chooserIndex() const { return std::max(session_.machineNumber, 1) - 1; }

bool KeyboardEditor::chooseKeyboard(int index) {
    const int machine = index + 1;
    if (!chooserVisible() || machine < 1 || machine > session_.app.flag(appblock::kFlagNetworkSize)) return false;
    if (file_ && !writeKeyboardFile()) return false;
    const auto saved = session_.app;
    if (!openMachine(machine)) {
        session_.app = saved;
        return false;
    }
    session_.machineNumber = machine;
    if (services_.status) services_.status("Settings for machine : " + std::to_string(machine));
    return true;
}

std::uint16_t KeyboardEditor::code(int p) const { return session_.app.keyCode(blockIndexOf(p)); }
bool KeyboardEditor::managerKey(int p) const { return session_.app.managerKey(blockIndexOf(p)); }
std::uint8_t KeyboardEditor::systemChar(int p) const { return session_.app.systemChar(blockIndexOf(p)); }

std::optional<int> KeyboardEditor::specialKeyAt(int p) const {
    const int bi = blockIndexOf(p);
    for (int k = 0; k < static_cast<int>(appblock::kSpecialKeyCount); ++k)
        if (session_.app.specialKey(k) == bi) return k;
    return std::nullopt;
}

bool KeyboardEditor::showsSystemBand(int p) const {
    return specialKeyAt(p).has_value() || (mode_ == KeyboardMode::Register && systemChar(p) != 0);
}

bool KeyboardEditor::isCharacterKey(int p) const {
    return mode_ == KeyboardMode::System && systemChar(p) != 0 && !specialKeyAt(p);
}

std::string KeyboardEditor::specialKeyName(int k) const {
    if (k < 0 || k >= static_cast<int>(appblock::kSpecialKeyCount)) return {};
    return texts_.text(kSpecialKeyTexts[k]);
}

std::string KeyboardEditor::systemCaptionOf(int p) const {
    if (const auto k = specialKeyAt(p)) return specialKeyName(*k);
    const std::uint8_t c = systemChar(p);
    if (c == 0) return {};
    if (c == ' ') return " SP ";
    if (c == '&') return "&&";
    const std::uint8_t one[1] = {c};
    return oemToUtf8(one);
}

void KeyboardEditor::applyKindLook(int p, KeyRecord& record) const {
    const auto c = code(p);
    if (c == 0) {
        for (int l = 0; l < 3; ++l) record.setStyle(l, removedKeyStyle());
        return;
    }
    attributes_.applyTo(keyKind(c).value_or(kFallbackKind), record);
}

void KeyboardEditor::completeLevelCaptions(KeyboardFile& file, KeyCaptions& captions) const {
    for (int p = 0; p < kKeyPositions; ++p) {
        const auto c = code(p);
        const auto level = levelOfCode(c);
        if (!level) continue;
        auto& r = file.record(p);
        if (r.individual() || r.displayKind() == DisplayKind::Bitmap) continue;
        const auto text = r.text(0);
        if (text.empty() || text == texts_.text(level->article ? kArticleLevelText : kPriceLevelText))
            r.setText(0, captions.caption(c));
    }
}

void KeyboardEditor::buildRecord(int p, KeyRecord& record, KeyCaptions& captions) const {
    record.setSystemCaption(systemCaptionOf(p));
    const auto c = code(p);
    record.setText(0, c == 0 ? std::string() : captions.caption(c));
}

bool KeyboardEditor::writeKeyboardFile() {
    if (readOnly_) return false;
    try {
        file_->write(session_.app);
        return true;
    } catch (const FileError& e) {
        error(e.what());
        return false;
    }
}

bool KeyboardEditor::commit(const std::vector<std::size_t>& changedOffsets) {
    if (readOnly_) return false;
    try {
        writeFileAtomic(session_.programPath, session_.app.bytes());
        file_->write(session_.app);
        std::set<std::uint32_t> codes;
        for (const auto o : changedOffsets)
            if (services_.locate)
                if (const auto block = services_.locate(o)) codes.insert(*block);
        const std::vector<std::uint32_t> list(codes.begin(), codes.end());
        session_.updateList().markMany(list);
        return true;
    } catch (const std::exception& e) {
        error(e.what());
        return false;
    }
}

bool KeyboardEditor::toggleManager(int p) {
    const int bi = blockIndexOf(p);
    session_.app.setManagerKey(bi, !session_.app.managerKey(bi));
    return commit({appblock::kManagerKeyMap + static_cast<std::size_t>(bi) / 8});
}

bool KeyboardEditor::removeKey(int p) {
    const int bi = blockIndexOf(p);
    session_.app.setKeyCode(bi, 0);
    auto& r = file_->record(p);
    for (int l = 0; l < 3; ++l) {
        r.setStyle(l, removedKeyStyle());
        r.setText(l, "");
    }
    const auto at = appblock::kKeyCodes + 2 * static_cast<std::size_t>(bi);
    return commit({at, at + 1});
}

void KeyboardEditor::applyAttributes() {
    for (int p = 0; p < kKeyPositions; ++p) {
        auto& r = file_->record(p);
        if (r.individual()) continue;
        applyKindLook(p, r);
        if (code(p) == 0)
            for (int l = 0; l < 3; ++l) r.setText(l, "");
    }
}

bool KeyboardEditor::assignAttributes() {
    applyAttributes();
    return writeKeyboardFile();
}

bool KeyboardEditor::updateKeyboard() {
    KeyCaptions captions(session_.app, texts_, services_.names);
    for (int p = 0; p < kKeyPositions; ++p) {
        auto& r = file_->record(p);
        if (r.individual()) continue;
        buildRecord(p, r, captions);
    }
    showMessages(captions);
    return writeKeyboardFile();
}

bool KeyboardEditor::setKeyFunction(int p, std::uint16_t c) {
    if (c == 0) return false;
    const int bi = blockIndexOf(p);
    session_.app.setKeyCode(bi, c);
    KeyCaptions captions(session_.app, texts_, services_.names);
    auto& r = file_->record(p);
    r.setDisplayKind(DisplayKind::OneLine);
    r.setText(0, captions.caption(c));
    showMessages(captions);
    const auto at = appblock::kKeyCodes + 2 * static_cast<std::size_t>(bi);
    return commit({at, at + 1});
}

bool KeyboardEditor::setSpecialKey(int p, int k) {
    if (k < 0 || k >= static_cast<int>(appblock::kSpecialKeyCount)) return false;
    const int previous = session_.app.specialKey(k);
    session_.app.setSpecialKey(k, static_cast<std::uint8_t>(blockIndexOf(p)));
    if (previous < kKeyPositions) {
        const int old = positionOfBlockIndex(previous);
        if (old != p) file_->record(old).setSystemCaption(systemCaptionOf(old));
    }
    file_->record(p).setSystemCaption(specialKeyName(k));
    return commit({appblock::kSpecialKeys + static_cast<std::size_t>(k)});
}

bool KeyboardEditor::acceptsCharacter(int p) const {
    if (specialKeyAt(p)) return false;
    const auto c = code(p);
    if (c == 0) return true;  // a key without a function may still type a character
    if (c == 1 || c == 2 || c == 2000 || (c >= 210 && c <= 214)) return false;
    return c >= 256 || c == 46;
}

bool KeyboardEditor::setSystemCharacter(int p, std::optional<std::uint8_t> oem) {
    const int bi = blockIndexOf(p);
    session_.app.setSystemChar(bi, oem.value_or(0));
    file_->record(p).setSystemCaption(systemCaptionOf(p));
    applyAttributes();
    return commit({appblock::kSystemChars + static_cast<std::size_t>(bi)});
}

bool KeyboardEditor::storeRecord(int p, const KeyRecord& record) {
    file_->record(p) = record;
    return writeKeyboardFile();
}

bool KeyboardEditor::refreshCaption(int p) {
    KeyCaptions captions(session_.app, texts_, services_.names);
    file_->record(p).setText(0, captions.caption(code(p)));
    showMessages(captions);
    return writeKeyboardFile();
}

bool KeyboardEditor::setAttributes(int kind, const KeyLineStyle& style) {
    if (readOnly_) return false;
    for (int l = 0; l < 3; ++l) attributes_.setLine(kind, l, style);
    try {
        attributes_.save(attributeFile_);
        return true;
    } catch (const FileError& e) {
        error(e.what());
        return false;
    }
}

void KeyboardEditor::close() {
    if (file_) writeKeyboardFile();
    file_.reset();
}

}  // namespace tramond
