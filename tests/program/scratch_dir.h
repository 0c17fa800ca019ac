#pragma once
// A fresh directory per test, removed afterwards.

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "program/file_io.h"

namespace tramond::testing {

struct ScratchDir {
    std::filesystem::path path;
    explicit ScratchDir(const std::string& tag = "core") {
        static std::atomic<int> serial{0};
        path = std::filesystem::temp_directory_path() /
               ("tramond-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
};

inline std::vector<std::uint8_t> bytesOf(const std::filesystem::path& p) { return readFile(p); }

inline std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i * 7);
    return v;
}

}  // namespace tramond::testing
