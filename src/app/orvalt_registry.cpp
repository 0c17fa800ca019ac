#include "app/orvalt_registry.h"

#include <charconv>

namespace tramond {

bool installationCheck(SettingsStore& store, const std::filesystem::path& programDir) {
    const std::string value = store.read(kInstallationKey, "FirstRun");
    std::size_t i = 0;
    while (i < value.size() && value[i] == ' ') ++i;
    int n = 0;
    const auto [end, ec] = std::from_chars(value.data() + i, value.data() + value.size(), n);
    if (ec != std::errc{} || n != 1) return false;
    std::error_code ignored;
    for (const char* name : {"Tramond.mwt", "Tramond.hlp", "Tramond.cnt", "Tramond.gid", "Tramond.html"})
        std::filesystem::remove(programDir / name, ignored);
    store.write(kInstallationKey, "FirstRun", "0");
    return true;
}

}  // namespace tramond
