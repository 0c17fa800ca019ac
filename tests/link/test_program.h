#pragma once
// A program file set with random contents and small counts, written to a
// fresh directory, for transfer tests.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "link/block_map.h"
#include "program/application_block.h"
#include "program/text_block.h"

namespace tramond::test {

namespace fs = std::filesystem;

inline std::vector<std::uint8_t> readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeAll(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct ScratchDir {
    fs::path path;
    explicit ScratchDir(const std::string& tag) {
        path = fs::temp_directory_path() / ("tramond_link_" + tag + "_" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~ScratchDir() { fs::remove_all(path); }
};

struct TestProgram {
    fs::path app;
    ApplicationBlock block;
    TextBlock text;
    std::mt19937 rng;

    TestProgram(const fs::path& dir, std::uint32_t seed, std::uint16_t recordsPerKind = 4) : rng(seed) {
        app = dir / "prog.app";
        for (auto& b : block.bytes()) b = static_cast<std::uint8_t>(rng());
        for (auto& b : text.bytes()) b = static_cast<std::uint8_t>(rng());
        for (const auto& k : kindBlocks()) {
            if (k.countOffset) block.setU16(k.countOffset, recordsPerKind);
            else block.setU16(findSystemBlock(k.base)->offset, recordsPerKind);
        }
        block.setU8(kAppPluRandomSizeOffset, 0);
        block.setU8(kAppLogoSettingOffset, 0);
        writeAll(app, {block.bytes().begin(), block.bytes().end()});
        writeAll(sibling(".txt"), {text.bytes().begin(), text.bytes().end()});
        for (const auto& k : kindBlocks()) writeAll(sibling(k.extension), randomBytes(std::size_t{recordsPerKind} * k.recordSize));
        writeAll(sibling(".pxt"), randomBytes(kPxtFileSize));
        writeAll(sibling(".chk"), randomBytes(kChkCommonSize + 4 * kChkPartSize));
        writeAll(sibling(".cst"), randomBytes(kCustomerRecords * kCustomerRecordSize));
    }

    fs::path sibling(std::string_view ext) const {
        auto p = app;
        p.replace_extension(std::string(ext));
        return p;
    }
    std::vector<std::uint8_t> randomBytes(std::size_t n) {
        std::vector<std::uint8_t> v(n);
        for (auto& b : v) b = static_cast<std::uint8_t>(rng());
        return v;
    }
};

}  // namespace tramond::test
