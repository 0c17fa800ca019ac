#pragma once
// Register texts are stored in an OEM code page (CP850 by default, CP437
// selectable); the tool shows and edits them as UTF-8. Both directions are
// total: a character the code page lacks becomes a replacement character,
// never an error or a dropped byte.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tramond {

enum class CodePage { Cp850, Cp437 };

void setDefaultCodePage(CodePage cp);
CodePage defaultCodePage();

// Converts bytes up to (not including) the first zero byte, or all of them.
std::string oemToUtf8(std::span<const std::uint8_t> oem, CodePage cp = defaultCodePage());
// One OEM byte per character; '?' stands for characters the code page lacks.
std::vector<std::uint8_t> utf8ToOem(std::string_view utf8, CodePage cp = defaultCodePage());

}  // namespace tramond
