#pragma once
// The language pack "Tramond.mwt": one line per non-empty entry, "%4d,%s"
// with the entry number plus one, CR LF. The table is built in; a pack
// replaces the entries it names.

#include <filesystem>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/language_texts.h"

namespace tramond {

inline constexpr const char* kLanguagePackFile = "Tramond.mwt";
// The entry that keeps its colon when a pack is written: the web address.
inline constexpr int kWebAddressText = 908;

// Writes the pack from the table. The table itself is changed as the pack
// is: the first "_" of an entry becomes "&" and, except for the web address,
// the entry is cut at its first ":". Throws FileError.
void writeLanguagePack(LanguageTexts& table, const std::filesystem::path& file);

// The pack text of the table as it stands, without the changes above: the
// shipped English pack is made this way so that no caption loses its colon.
std::string formatLanguagePack(const LanguageTexts& table);

// Reads pack lines into the table; returns the number of entries set.
// Lines without a comma, with a number of 0, above 1100 or not a number are
// skipped; a line is cut to 49 characters and its text to 39. A pack written
// in the Windows code page (not UTF-8) is read as such.
int readLanguagePack(LanguageTexts& table, std::istream& in);

struct PackLoadResult {
    bool created = false;  // the pack was missing and was written from the table
    int entries = 0;
};
// The start-up load: writes the pack from the table when the file is missing,
// then reads it. Throws FileError when a missing pack cannot be written.
PackLoadResult loadLanguagePack(LanguageTexts& table, const std::filesystem::path& programDir);

// The language chooser's choices and where their files come from.
struct LanguageChoice {
    std::string_view name;  // "English"
    std::string_view pack;  // in "mwt Files"
    std::string_view help;  // the help folder under "Help"
};
std::span<const LanguageChoice> languageChoices();
inline constexpr const char* kRecreateOriginalText = "Recreate original text";

// The help files of the program's own directory.
inline constexpr const char* kHelpFile = "Tramond.html";
inline constexpr const char* kHelpIndexFile = "Tramond.cnt";

// Copies the chosen pack, help file and help index into the program's own
// directory; a file already there is kept. The packs and help folders are
// looked for in the program's own directory, then in resourceDirs (where an
// installed tool ships them). Returns the failure messages in the order of
// the copies; every copy is tried.
// Whether the chosen language's pack is there to be copied (otherwise the
// chooser's OK ends in "Attempt to copy mwt file has failed").
bool languageAvailable(const LanguageChoice& choice, const std::filesystem::path& programDir,
                       const std::vector<std::filesystem::path>& resourceDirs = {});
inline constexpr const char* kNotInstalledMark = " (not installed)";

std::vector<std::string> installLanguage(const LanguageChoice& choice,
                                         const std::filesystem::path& programDir,
                                         const std::vector<std::filesystem::path>& resourceDirs = {});

}  // namespace tramond
