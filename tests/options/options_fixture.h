#pragma once
// A loaded program in a scratch directory for option-dialog tests: the
// session, a copy of the built-in language texts to play with, and what the
// dialog left on disk.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "app/language_texts.h"
#include "program/file_io.h"
#include "program/session.h"

namespace tramond::testing {

class OptionsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("tramond_options_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        session_.programPath = dir_ / "shop.app";
        session_.loaded = true;
        saveApp();
    }
    void TearDown() override {
        setWriteFaultHookForTesting(nullptr);
        std::filesystem::remove_all(dir_);
    }

    // Puts the block on disk as the loaded program's ".app".
    void saveApp() { writeFileAtomic(session_.programPath, session_.app.bytes()); }
    std::vector<std::uint8_t> appOnDisk() const { return readFile(session_.programPath); }
    bool appOnDiskEquals(const ApplicationBlock& b) const {
        return appOnDisk() == std::vector<std::uint8_t>(b.bytes().begin(), b.bytes().end());
    }
    std::vector<std::string> updateLines() const { return session_.updateList().lines(); }

    std::filesystem::path dir_;
    ProgramSession session_;
    LanguageTexts texts_ = LanguageTexts::builtIn();
};

inline std::atomic<bool> g_failWrites{false};
inline bool failWrites(WriteStage, std::size_t) { return g_failWrites.load(); }

}  // namespace tramond::testing
