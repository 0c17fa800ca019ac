#include "app/help_index.h"

#include <charconv>
#include <fstream>

#include "app/language_pack.h"
#include "app/program_dir.h"

namespace tramond {

std::vector<HelpTopic> readHelpIndex(std::istream& in) {
    std::vector<HelpTopic> topics;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        HelpTopic t;
        const auto [end, ec] = std::from_chars(line.data(), line.data() + tab, t.context);
        if (ec != std::errc{} || end != line.data() + tab) continue;
        const auto rest = line.substr(tab + 1);
        const auto tab2 = rest.find('\t');
        t.anchor = rest.substr(0, tab2);
        if (tab2 != std::string::npos) t.title = rest.substr(tab2 + 1);
        if (!t.anchor.empty()) topics.push_back(std::move(t));
    }
    return topics;
}

std::optional<std::string> helpAddress(const std::filesystem::path& programDir, int context,
                                       const std::vector<std::filesystem::path>& resourceDirs) {
    std::error_code ec;
    auto file = programDir / kHelpFile;
    if (!std::filesystem::exists(file, ec)) {
        const auto shipped = findResource(programDir, resourceDirs, std::filesystem::path("Help") / "english" / kHelpFile);
        if (!shipped) return std::nullopt;
        file = *shipped;
    }
    const auto dir = file.parent_path();
    std::string address = file.string();
    if (context > 0) {
        std::ifstream in(dir / kHelpIndexFile);
        for (const auto& t : readHelpIndex(in))
            if (t.context == context) return address + "#" + t.anchor;
    }
    return address;
}

std::string noBrowserMessage(const std::string& address) {
    std::string where = address;
    if (where.rfind("file://", 0) == 0) where.erase(0, 7);
    // A file's topic anchor means nothing outside a browser.
    if (where.find("://") == std::string::npos) where = where.substr(0, where.find('#'));
    return "There is no web browser on this computer to show this page with.\n"
           "Install one, or open it on another computer:\n" +
           where;
}

}  // namespace tramond
