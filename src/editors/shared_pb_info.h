#pragma once
// TSharedPbInfoFile: whether this program shares its PB info file with
// others (bit 4 of byte 2566), whether it holds the active file (bit 5), and
// the list of the passive programs (".stf", one application file a line).

#include <filesystem>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "editors/editor_messages.h"
#include "program/session.h"

namespace tramond {

namespace pbshare {
inline constexpr std::size_t kSettings = 2566;
inline constexpr std::uint8_t kSharing = 0x10;
inline constexpr std::uint8_t kActive = 0x20;
inline constexpr std::size_t kPbCount = 2173;  // u16
inline constexpr std::size_t kPbFlags = 2175;
inline constexpr std::size_t kPbTextSize = 2176;
}  // namespace pbshare

class SharedPbInfoController {
public:
    SharedPbInfoController(ProgramSession& session, const LanguageTexts& texts, EditorPrompts& prompts);

    // The settings from the block, the list from ".stf" (created empty when
    // missing; "Could not create file!" when that fails).
    void open();

    bool sharing = false;
    bool active = false;
    std::vector<std::string> programs;

    // "Add application to the list": the chosen program must share, be
    // passive and have the same PB info settings. false (message shown)
    // when it is refused.
    bool addApplication(const std::filesystem::path& app);
    void remove(int line);
    // OK: the block's settings and the whole ".app", then ".stf". false when
    // the ".app" could not be written (nothing changed) or ".stf" could not be.
    bool ok();

private:
    ProgramSession& session_;
    const LanguageTexts& texts_;
    EditorPrompts& prompts_;
};

}  // namespace tramond
