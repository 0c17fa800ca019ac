#pragma once
// A throw-away program directory with the record files an editor test
// needs, and a prompt recorder that answers questions as told.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editors/editor_messages.h"
#include "program/session.h"

namespace tramond::test {

struct RecordingPrompts : EditorPrompts {
    std::vector<EditorMessage> shown;
    std::vector<EditorMessage> asked;
    bool answer = true;
    void show(const EditorMessage& m) override { shown.push_back(m); }
    bool confirm(const EditorMessage& q) override {
        asked.push_back(q);
        return answer;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : shown) out.push_back(m.text);
        return out;
    }
};

class ProgramDir {
public:
    ProgramDir() {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("tramond-editors-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        session.app = ApplicationBlock{};
        session.programPath = dir_ / "shop.app";
        session.loaded = true;
    }
    ~ProgramDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ProgramDir(const ProgramDir&) = delete;
    ProgramDir& operator=(const ProgramDir&) = delete;

    void write(std::string_view ext, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(session.file(ext), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> read(std::string_view ext) const {
        std::ifstream in(session.file(ext), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> updates() const {
        std::vector<std::string> out;
        std::ifstream in(session.file(".upd"));
        for (std::string l; std::getline(in, l);) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            if (!l.empty()) out.push_back(l);
        }
        return out;
    }

    ProgramSession session;

private:
    std::filesystem::path dir_;
};

// Writes an OEM descriptor into a record.
inline void putText(std::vector<std::uint8_t>& rec, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) rec[offset + i] = static_cast<std::uint8_t>(text[i]);
}

}  // namespace tramond::test
