#pragma once
// Register texts are stored in an OEM code page (CP850 by default, CP437
// selectable); the tool shows and edits them as UTF-8. PC-side texts in
// fixed byte fields (keyboard layout files) are Windows-1252, the ANSI code
// page the files were made with. Both directions are
// total: a character the code page lacks becomes a replacement character,
// never an error or a dropped byte.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

enum class CodePage { Cp850, Cp437, Cp1252 };

void setDefaultCodePage(CodePage cp);
CodePage defaultCodePage();

// Converts bytes up to (not including) the first zero byte, or all of them.
std::string oemToUtf8(std::span<const std::uint8_t> oem, CodePage cp = defaultCodePage());
// One OEM byte per character; '?' stands for characters the code page lacks.
std::vector<std::uint8_t> utf8ToOem(std::string_view utf8, CodePage cp = defaultCodePage());

// Windows-1252 (ANSI) text of PC-side fixed fields: one byte per character.
inline std::string ansiToUtf8(std::span<const std::uint8_t> ansi) { return oemToUtf8(ansi, CodePage::Cp1252); }
inline std::vector<std::uint8_t> utf8ToAnsi(std::string_view utf8) { return utf8ToOem(utf8, CodePage::Cp1252); }

}  // namespace tramond
