// A language pack as a dealer's editor may have left it: any bytes, any
// encoding; reading must keep every entry within its limits, and the table
// written back must read again the same.
#include <sstream>

#include "app/language_pack.h"
#include "app/language_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    LanguageTexts table;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    readLanguagePack(table, in);
    const std::string written = formatLanguagePack(table);
    LanguageTexts again;
    std::istringstream back(written);
    readLanguagePack(again, back);
    if (formatLanguagePack(again) != written) __builtin_trap();
    return 0;
}
