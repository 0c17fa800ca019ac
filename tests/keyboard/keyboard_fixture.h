#pragma once
// A throw-away program for the keyboard tests: the built-in block written as
// ".app", record files with names the tests choose, and a prompter that
// records the messages.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "app/prompter.h"
#include "keyboard/keyboard_editor.h"
#include "program/codepage.h"
#include "program/file_io.h"
#include "program/record_kinds.h"

namespace tramond::test {

struct RecordingPrompter : Prompter {
    std::vector<std::string> messages;
    void message(MessageKind, const std::string& title, const std::string& text) override {
        messages.push_back(title + ": " + text);
    }
    bool confirm(const std::string&, const std::string&) override { return true; }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest&) override { return {}; }
};

class KeyboardProgram {
public:
    KeyboardProgram() {
        static std::atomic<int> counter{0};
        dir = std::filesystem::temp_directory_path() /
              ("tramond-keyboard-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        session.programPath = dir / "SHOP.app";
        session.loaded = true;
        writeFileAtomic(session.programPath, session.app.bytes());
    }
    ~KeyboardProgram() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Writes a record file of `count` records named name(n) (OEM, at the
    // kind's descriptor place) and sets the kind's count.
    template <class Name>
    void writeRecords(RecordKind kind, int count, Name name) {
        const auto& info = kindInfo(kind);
        const auto place = *descriptorPlace(kind);
        std::vector<std::uint8_t> bytes(info.recordSize * static_cast<std::size_t>(count), 0);
        for (int n = 1; n <= count; ++n) {
            const auto oem = utf8ToOem(name(n));
            std::copy(oem.begin(), oem.end(), bytes.begin() + (n - 1) * info.recordSize + place.offset);
        }
        writeFileAtomic(session.file(info.extension), bytes);
        session.app.setU16(info.countOffset, static_cast<std::uint16_t>(count));
    }

    std::vector<std::uint8_t> read(std::string_view ext) const { return readFile(session.file(ext)); }

    KeyboardEditor& editor(KeyboardMode mode = KeyboardMode::Register) {
        names = std::make_unique<ProgramKeyNames>(session.programPath, session.app);
        ed = std::make_unique<KeyboardEditor>(session, LanguageTexts::builtIn(), mode, dir / "bkeyboard.set",
                                              KeyboardEditorServices{prompter, *names});
        EXPECT_TRUE(ed->open());
        return *ed;
    }

    std::filesystem::path dir;
    ProgramSession session;
    RecordingPrompter prompter;
    std::unique_ptr<ProgramKeyNames> names;
    std::unique_ptr<KeyboardEditor> ed;
};

}  // namespace tramond::test
