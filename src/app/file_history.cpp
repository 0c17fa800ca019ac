#include "app/file_history.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "program/file_io.h"

namespace tramond {

bool samePathText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

FileHistory::FileHistory(std::filesystem::path file, std::size_t maxEntries)
    : file_(std::move(file)), max_(maxEntries) {}

void FileHistory::load() {
    entries_.clear();
    std::ifstream in(file_, std::ios::binary);
    std::string line;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (std::none_of(entries_.begin(), entries_.end(),
                         [&](const std::string& e) { return samePathText(e, line); }))
            entries_.push_back(line);
    }
    trim();
}

void FileHistory::add(const std::string& path) {
    if (!current_.empty()) {
        // The current entry may already be listed (loaded from the file).
        std::erase_if(entries_, [&](const std::string& e) { return samePathText(e, current_); });
        entries_.insert(entries_.begin(), current_);
    }
    if (!path.empty())
        std::erase_if(entries_, [&](const std::string& e) { return samePathText(e, path); });
    current_ = path;
    trim();
}

void FileHistory::remove(const std::string& path) {
    std::erase_if(entries_, [&](const std::string& e) { return samePathText(e, path); });
    if (samePathText(current_, path)) current_.clear();
}

bool FileHistory::saveOnExit() {
    add("");
    std::string text;
    for (const auto& e : entries_) text += e + "\r\n";
    try {
        writeTextFileAtomic(file_, text);
    } catch (const FileError&) {
        return false;
    }
    return true;
}

std::string FileHistory::caption(std::size_t index, const std::string& path) {
    return "&" + std::to_string(index + 1) + " " + path;
}

void FileHistory::trim() {
    if (entries_.size() > max_) entries_.resize(max_);
}

}  // namespace tramond
