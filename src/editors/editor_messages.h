#pragma once
// What an editor tells the user, and the one question it asks. Controllers
// speak through EditorPrompts so that their behaviour runs without widgets;
// the Qt views answer with message boxes, tests with a recorder.

#include <string>
#include <string_view>

#include "app/language_texts.h"
#include "app/prompter.h"  // MessageKind, shared with the other controllers

namespace tramond {

struct EditorMessage {
    MessageKind kind = MessageKind::Error;
    std::string title;
    std::string text;
    bool operator==(const EditorMessage&) const = default;
};

class EditorPrompts {
public:
    virtual ~EditorPrompts() = default;
    virtual void show(const EditorMessage& message) = 0;
    // Yes/No question; true for Yes.
    virtual bool confirm(const EditorMessage& question) = 0;
};

// A message text: language text n when the table holds it, else the English
// text (a pack that lacks the entry must not turn a message into an empty box).
inline std::string messageText(const LanguageTexts& texts, int n, std::string_view english) {
    if (n >= 0 && !texts.text(n).empty()) return texts.text(n);
    return std::string(english);
}

namespace msg {
// Language text numbers of the messages the editors share.
inline constexpr int kErrorOpeningFile = 398;
inline constexpr int kNotAvailable = 400;
inline constexpr int kError = 677;
inline constexpr int kWrongInputBang = 681;
inline constexpr int kApplicationError = 682;

inline EditorMessage error(const LanguageTexts& t, int n, std::string_view english) {
    return {MessageKind::Error, messageText(t, kError, "Error"), messageText(t, n, english)};
}
inline EditorMessage errorOpeningFile(const LanguageTexts& t) {
    return error(t, kErrorOpeningFile, "Error opening File !!");
}
// Not a register text: reported when the disk refuses a record, so that a
// failed write is never taken for a stored record.
inline EditorMessage errorWritingFile(const LanguageTexts& t) {
    return error(t, -1, "Error writing File !!");
}
inline EditorMessage wrongInputBang(const LanguageTexts& t) {
    return error(t, kWrongInputBang, "Wrong Input!");
}
inline EditorMessage wrongInput(const LanguageTexts& t) { return error(t, -1, "Wrong Input"); }
}  // namespace msg

}  // namespace tramond
