#pragma once
// A loaded program in a temporary directory for the Setup controller tests.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "program/default_records.h"
#include "program/file_io.h"
#include "program/record_kinds.h"
#include "program/session.h"

namespace tramond::testing {

class SetupFixture : public ::testing::Test {
protected:
    std::filesystem::path dir;
    ProgramSession session;

    void SetUp() override {
        static std::atomic<int> serial{0};
        dir = std::filesystem::temp_directory_path() /
              ("tramond-setup-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Writes the session's blocks as a program "shop" and marks it loaded;
    // record files are created for the kinds given.
    void loadProgram(std::initializer_list<RecordKind> kinds = {}) {
        session.programPath = dir / "shop.app";
        session.loaded = true;
        writeFileAtomic(session.programPath, session.app.bytes());
        for (auto k : kinds) createRecordFile(session.file(kindInfo(k).extension), k, session.app, session.text);
    }

    std::uintmax_t recordsIn(RecordKind kind) const {
        const auto f = session.file(kindInfo(kind).extension);
        if (!std::filesystem::exists(f)) return 0;
        return std::filesystem::file_size(f) / kindInfo(kind).recordSize;
    }
    bool fileExists(std::string_view ext) const { return std::filesystem::exists(session.file(ext)); }
    ApplicationBlock appOnDisk() const {
        ApplicationBlock a;
        const auto bytes = readFile(session.programPath);
        EXPECT_EQ(bytes.size(), ApplicationBlock::kSize);
        std::copy(bytes.begin(), bytes.end(), a.bytes().begin());
        return a;
    }
};

}  // namespace tramond::testing
