#pragma once
// A program file set with random contents and small counts, written to a
// fresh directory, for transfer tests.

#include <gtest/gtest.h>

#include <algorithm>
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
    // Every system block read back equals this program's, block 3 with its
    // bytes 64..67 zeroed as the receiver does.
    void expectSystemBlocksReceived(const ApplicationBlock& app, const TextBlock& txt) const {
        for (const auto& sb : systemBlocks()) {
            auto want = sb.area == BlockArea::Application ? block.slice(sb.offset, sb.length)
                                                          : text.slice(sb.offset, sb.length);
            auto got = sb.area == BlockArea::Application ? app.slice(sb.offset, sb.length)
                                                         : txt.slice(sb.offset, sb.length);
            std::vector<std::uint8_t> w(want.begin(), want.end());
            if (sb.number == kBlockApplicationCheck) std::fill(w.begin() + 64, w.begin() + 68, 0);
            EXPECT_EQ(std::vector<std::uint8_t>(got.begin(), got.end()), w) << "block " << sb.number;
        }
    }
    std::vector<std::uint8_t> randomBytes(std::size_t n) {
        std::vector<std::uint8_t> v(n);
        for (auto& b : v) b = static_cast<std::uint8_t>(rng());
        return v;
    }
};

}  // namespace tramond::test
