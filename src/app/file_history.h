#pragma once
// The file history of the File menu: the most recently loaded programs,
// kept in "History.txt" in the program's own directory. The program now
// loaded is the current entry and is not listed.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tramond {

inline constexpr const char* kHistoryFile = "History.txt";

class FileHistory {
public:
    explicit FileHistory(std::filesystem::path file, std::size_t maxEntries = 5);

    // A missing or unreadable file gives an empty list.
    void load();
    // The current entry goes to the top; path leaves the list and becomes
    // current. add("") only moves the current entry into the list.
    void add(const std::string& path);
    // Forgets a path everywhere (a deleted program).
    void remove(const std::string& path);
    // add("") then write the file; false when it cannot be written.
    bool saveOnExit();

    // At most maxEntries, most recent first.
    const std::vector<std::string>& entries() const { return entries_; }
    const std::string& current() const { return current_; }
    // "&1 C:\\path" for entry i.
    static std::string caption(std::size_t index, const std::string& path);

    const std::filesystem::path& file() const { return file_; }

private:
    void trim();

    std::filesystem::path file_;
    std::size_t max_;
    std::vector<std::string> entries_;
    std::string current_;
};

// Paths compare without regard to letter case, as on the dealer's Windows PC.
bool samePathText(const std::string& a, const std::string& b);

}  // namespace tramond
