#include "handheld/handheld_keyboard.h"

#include "program/file_io.h"

namespace tramond {
namespace {

// The handheld's groups, in the order of its first list, as indices into
// the register keyboard's group list (handhelds have no drawer, clerk or
// modifier-as-PLU keys).
constexpr std::array<int, HandheldKeyboard::kGroupCount> kChooserGroup = {0, 1, 2, 4, 5, 6, 7, 8, 9, 11, 12, 13};

const KeyMessage kOpenError{std::string(kErrorTitle), std::string(kErrorOpeningFile)};

}  // namespace

std::uint16_t handheldKeyCode(const ConfigCommon& common, int key) {
    const auto i = static_cast<std::size_t>(2 * (key - 1));
    return static_cast<std::uint16_t>(common.at(i) | common.at(i + 1) << 8);
}

void setHandheldKeyCode(ConfigCommon& common, int key, std::uint16_t code) {
    const auto i = static_cast<std::size_t>(2 * (key - 1));
    common.at(i) = static_cast<std::uint8_t>(code & 0xFF);
    common.at(i + 1) = static_cast<std::uint8_t>(code >> 8);
}

HandheldKeyboard::HandheldKeyboard(ProgramSession& session, const LanguageTexts& texts, KeyNameSource& names,
                                   Prompter& prompter, PluLines* pluLines)
    : session_(session), prompter_(prompter),
      chooser_(session.app, texts, names, pluLines, session.programPath), captions_(session.app, texts, names),
      file_(RegisterConfigFile::forEditing(session)) {}

std::size_t HandheldKeyboard::at(int key) {
    if (key < 1 || key > kHandheldKeys) throw std::out_of_range("handheld key " + std::to_string(key));
    return static_cast<std::size_t>(key - 1);
}

void HandheldKeyboard::report(const KeyMessage& m) { prompter_.message(MessageKind::Error, m.title, m.text); }

bool HandheldKeyboard::open() {
    if (!file_.exists()) {
        report(kOpenError);
        try {
            file_.ensure();
        } catch (const FileError& e) {
            prompter_.message(MessageKind::Error, std::string(kErrorTitle), e.what());
            return false;
        }
    }
    try {
        common_ = file_.readCommon();
    } catch (const FileError&) {
        report(kOpenError);
        return false;
    }
    original_ = common_;
    for (int k = 1; k <= kHandheldKeys; ++k) refreshCaption(k);
    for (const auto& m : captions_.takeMessages()) report(m);
    return true;
}

std::uint16_t HandheldKeyboard::code(int key) const { return handheldKeyCode(common_, static_cast<int>(at(key)) + 1); }

const std::string& HandheldKeyboard::caption(int key) const { return caption_[at(key)]; }

void HandheldKeyboard::refreshCaption(int key) { caption_[at(key)] = captions_.caption(code(key)); }

void HandheldKeyboard::select(int key) {
    at(key);
    selected_ = key;
}

std::vector<std::string> HandheldKeyboard::groups() const {
    const auto all = chooser_.groups();
    std::vector<std::string> out;
    for (const int g : kChooserGroup) out.push_back(all.at(static_cast<std::size_t>(g)));
    return out;
}

std::vector<std::string> HandheldKeyboard::entries(int group) {
    if (group < 0 || group >= kGroupCount) return {};
    auto e = chooser_.entries(kChooserGroup[static_cast<std::size_t>(group)]);
    if (e.message) report(*e.message);
    return std::move(e.lines);
}

int HandheldKeyboard::choose(int group, int entry) {
    if (!selected_ || group < 0 || group >= kGroupCount) return 0;
    const auto choice = chooser_.choose(kChooserGroup[static_cast<std::size_t>(group)], entry);
    if (choice.levelMaximum > 0) return choice.levelMaximum;
    if (choice.code) assign(*choice.code);
    return 0;
}

bool HandheldKeyboard::chooseLevel(int entry, long level) {
    if (!selected_) return false;
    const auto code = level >= 1 && level <= 99 ? chooser_.codeWithLevel(entry, static_cast<int>(level))
                                                : std::nullopt;
    if (!code) {
        prompter_.message(MessageKind::Error, "Error", "Wrong Input!");
        return false;
    }
    assign(*code);
    return true;
}

void HandheldKeyboard::clearKey() {
    if (selected_) assign(0);
}

void HandheldKeyboard::assign(std::uint16_t code) {
    const int key = *selected_;
    setHandheldKeyCode(common_, key, code);
    refreshCaption(key);
    for (const auto& m : captions_.takeMessages()) report(m);
    selected_.reset();
}

bool HandheldKeyboard::save() {
    if (!changed()) return true;
    // Marked with the write (block 111): a failure leaves both undone, and
    // a second OK finds the change again.
    try {
        file_.writeCommon(common_);
    } catch (const std::exception& e) {
        prompter_.message(MessageKind::Error, std::string(kErrorTitle), e.what());
        return false;
    }
    original_ = common_;
    return true;
}

}  // namespace tramond
