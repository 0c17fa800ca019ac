#pragma once
// The bundled help: one HTML file organised by menu, and its index
// "Tramond.cnt" mapping help context numbers to the file's anchors. Lines of
// the index: the context number, a TAB, the anchor, a TAB, the topic title.

#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace tramond {

struct HelpTopic {
    int context = 0;
    std::string anchor;
    std::string title;
};

std::vector<HelpTopic> readHelpIndex(std::istream& in);

// The address of a context's topic ("…/Tramond.html#file-menu"); the
// contents page for context 0 or an unknown context. The help copied into
// the program's own directory comes first, the English help shipped under
// "Help/english" next (in the program's own directory, then in each of
// resourceDirs). Nothing when neither exists.
// What a dealer is told when the computer has nothing to show a page with:
// the address or file, so that it can be opened by other means.
std::string noBrowserMessage(const std::string& address);

std::optional<std::string> helpAddress(const std::filesystem::path& programDir, int context,
                                       const std::vector<std::filesystem::path>& resourceDirs = {});

}  // namespace tramond
